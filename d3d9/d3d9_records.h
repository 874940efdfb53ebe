// Plain records of the Direct3D 9 interfaces: colours, matrices, rectangles and boxes, locks,
// resource descriptions.
#pragma once

#include "d3d9/d3d9_formats.h"
#include "win32/win32_types.h"

// 0xAARRGGBB.
typedef DWORD D3DCOLOR;

#define D3DCOLOR_ARGB(a, r, g, b)                                                            \
  ((D3DCOLOR)((((DWORD)(a) & 0xffu) << 24) | (((DWORD)(r) & 0xffu) << 16) |                   \
              (((DWORD)(g) & 0xffu) << 8) | ((DWORD)(b) & 0xffu)))
#define D3DCOLOR_RGBA(r, g, b, a) D3DCOLOR_ARGB(a, r, g, b)
#define D3DCOLOR_XRGB(r, g, b) D3DCOLOR_ARGB(0xff, r, g, b)
#define D3DCOLOR_XYUV(y, u, v) D3DCOLOR_ARGB(0xff, y, u, v)
#define D3DCOLOR_AYUV(a, y, u, v) D3DCOLOR_ARGB(a, y, u, v)
// Float channels in [0, 1] scaled to bytes by truncation, as the runtime does.
#define D3DCOLOR_COLORVALUE(r, g, b, a)                                                      \
  D3DCOLOR_RGBA((DWORD)((r) * 255.f), (DWORD)((g) * 255.f), (DWORD)((b) * 255.f),             \
                (DWORD)((a) * 255.f))

struct D3DCOLORVALUE {
  float r;
  float g;
  float b;
  float a;
};

struct D3DVECTOR {
  float x;
  float y;
  float z;
};

// Row-major 4 x 4 matrix; vectors are rows (v' = v * M), so the translation sits in _41.._43.
struct D3DMATRIX {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };
};

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;
  LONG y2;
};

// A box of texels; Right, Bottom and Back are exclusive.
struct D3DBOX {
  UINT Left;
  UINT Top;
  UINT Right;
  UINT Bottom;
  UINT Front;
  UINT Back;
};

struct D3DVIEWPORT9 {
  DWORD X;
  DWORD Y;
  DWORD Width;
  DWORD Height;
  float MinZ;
  float MaxZ;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DLOCKED_BOX {
  INT RowPitch;
  INT SlicePitch;
  void* pBits;
};

// Lock flags.
#define D3DLOCK_READONLY 0x00000010u
#define D3DLOCK_NOSYSLOCK 0x00000800u
#define D3DLOCK_NOOVERWRITE 0x00001000u
#define D3DLOCK_DISCARD 0x00002000u
#define D3DLOCK_DONOTWAIT 0x00004000u
#define D3DLOCK_NO_DIRTY_UPDATE 0x00008000u

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DVOLUME_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Width;
  UINT Height;
  UINT Depth;
};

struct D3DVERTEXBUFFER_DESC {
  D3DFORMAT Format;  // always D3DFMT_VERTEXDATA
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  UINT Size;
  DWORD FVF;
};
