// Layouts of the records that the library, the runtime and the file readers and writers share.
#include <cstddef>

#include <gtest/gtest.h>

#include "d3d9/d3d9.h"

namespace {

// Matrices are copied and reinterpreted as 16 floats row after row.
static_assert(sizeof(D3DMATRIX) == 64);
static_assert(offsetof(D3DMATRIX, _11) == 0 && offsetof(D3DMATRIX, _14) == 12);
static_assert(offsetof(D3DMATRIX, _21) == 16 && offsetof(D3DMATRIX, _41) == 48);
static_assert(offsetof(D3DMATRIX, _44) == 60);

static_assert(offsetof(D3DLOCKED_RECT, Pitch) == 0);
static_assert(offsetof(D3DLOCKED_RECT, pBits) == sizeof(void*));
static_assert(offsetof(D3DLOCKED_BOX, RowPitch) == 0 && offsetof(D3DLOCKED_BOX, SlicePitch) == 4);
static_assert(offsetof(D3DLOCKED_BOX, pBits) == 8);

static_assert(sizeof(D3DSURFACE_DESC) == 32);
static_assert(offsetof(D3DSURFACE_DESC, Format) == 0 && offsetof(D3DSURFACE_DESC, Type) == 4);
static_assert(offsetof(D3DSURFACE_DESC, Usage) == 8 && offsetof(D3DSURFACE_DESC, Pool) == 12);
static_assert(offsetof(D3DSURFACE_DESC, MultiSampleType) == 16);
static_assert(offsetof(D3DSURFACE_DESC, MultiSampleQuality) == 20);
static_assert(offsetof(D3DSURFACE_DESC, Width) == 24 && offsetof(D3DSURFACE_DESC, Height) == 28);

static_assert(sizeof(D3DVOLUME_DESC) == 28);
static_assert(offsetof(D3DVOLUME_DESC, Pool) == 12 && offsetof(D3DVOLUME_DESC, Width) == 16);
static_assert(offsetof(D3DVOLUME_DESC, Height) == 20 && offsetof(D3DVOLUME_DESC, Depth) == 24);

static_assert(sizeof(D3DBOX) == 24);
static_assert(offsetof(D3DBOX, Left) == 0 && offsetof(D3DBOX, Top) == 4);
static_assert(offsetof(D3DBOX, Right) == 8 && offsetof(D3DBOX, Bottom) == 12);
static_assert(offsetof(D3DBOX, Front) == 16 && offsetof(D3DBOX, Back) == 20);

static_assert(sizeof(D3DRECT) == 16 && sizeof(D3DVIEWPORT9) == 24);
static_assert(sizeof(D3DCOLORVALUE) == 16 && sizeof(D3DVECTOR) == 12);

// Every enumeration is a 32-bit value, as in the records and files that store them.
static_assert(sizeof(D3DFORMAT) == 4 && sizeof(D3DPOOL) == 4 && sizeof(D3DRESOURCETYPE) == 4);
static_assert(sizeof(D3DRENDERSTATETYPE) == 4 && sizeof(D3DTRANSFORMSTATETYPE) == 4);

// The capability record in its public field order: 76 four-byte fields.
static_assert(sizeof(D3DCAPS9) == 304);
static_assert(offsetof(D3DCAPS9, DevCaps) == 28);
static_assert(offsetof(D3DCAPS9, TextureCaps) == 60);
static_assert(offsetof(D3DCAPS9, MaxTextureWidth) == 88);
static_assert(offsetof(D3DCAPS9, MaxTextureHeight) == 92);
static_assert(offsetof(D3DCAPS9, MaxVolumeExtent) == 96);
static_assert(offsetof(D3DCAPS9, MaxTextureAspectRatio) == 104);
static_assert(offsetof(D3DCAPS9, VS20Caps) == 248 && offsetof(D3DCAPS9, PS20Caps) == 264);
static_assert(offsetof(D3DCAPS9, MaxPixelShader30InstructionSlots) == 300);

TEST(D3DMatrix, ElementNamesAliasTheArrayRowAfterRow) {
  D3DMATRIX matrix = {};
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) matrix.m[row][column] = float(row * 4 + column);
  const float named[16] = {matrix._11, matrix._12, matrix._13, matrix._14,
                           matrix._21, matrix._22, matrix._23, matrix._24,
                           matrix._31, matrix._32, matrix._33, matrix._34,
                           matrix._41, matrix._42, matrix._43, matrix._44};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(named[i], float(i)) << "element " << i;
}

TEST(D3DColor, PacksChannelsAsAaRrGgBb) {
  EXPECT_EQ(D3DCOLOR_ARGB(0xFF, 0, 0, 0), 0xFF000000u);
  EXPECT_EQ(D3DCOLOR_ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
  EXPECT_EQ(D3DCOLOR_RGBA(0x34, 0x56, 0x78, 0x12), 0x12345678u);
  EXPECT_EQ(D3DCOLOR_XRGB(0x01, 0x02, 0x03), 0xFF010203u);
  // Out-of-range channels are masked, not carried into the neighbouring byte.
  EXPECT_EQ(D3DCOLOR_ARGB(0x1FF, 0x100, 0x1FF, 0x101), 0xFF00FF01u);
  EXPECT_EQ(D3DCOLOR_COLORVALUE(1.0f, 0.0f, 0.5f, 1.0f), 0xFFFF007Fu);
}

}  // namespace
