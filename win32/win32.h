// The Win32 layer: every header, for code written against the Windows API.
#pragma once

#include "win32/win32_types.h"
#include "win32/debug_output.h"
#include "win32/file.h"
#include "win32/file_mapping.h"
#include "win32/handle.h"
#include "win32/last_error.h"
#include "win32/module.h"
#include "win32/processor.h"
#include "win32/registry.h"
#include "win32/resource.h"
#include "win32/string_conversion.h"
#include "win32/version.h"
