// Every Direct3D 9 type, constant and result code, with the runtime's public values.
#pragma once

#include "d3d9/d3d9_caps.h"
#include "d3d9/d3d9_device_types.h"
#include "d3d9/d3d9_errors.h"
#include "d3d9/d3d9_formats.h"
#include "d3d9/d3d9_records.h"
#include "d3d9/d3d9_states.h"
