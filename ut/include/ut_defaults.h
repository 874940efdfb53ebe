// The values that leave a choice to the library, shared by every family of entry points.
#pragma once

// As a size, depth, mip count, usage or filter: let the library choose.
#define UT_DEFAULT 0xFFFFFFFFu
// As a size of the texture-from-file entry points: the image file's exact size.
#define UT_DEFAULT_NONPOW2 0xFFFFFFFEu
