// The utility library's public interface: every Ut function, type and constant.
#pragma once

#include "d3d9/d3d9.h"
#include "ut_math.h"
#include "ut_diag.h"
#include "ut_image.h"
#include "ut_texture.h"
#include "ut_surface.h"
#include "ut_texture_file.h"
