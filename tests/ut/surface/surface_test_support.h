// Reading and writing the stored bytes of surfaces and volumes of the software runtime, for
// the tests of the loading entry points and of mip filtering.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "d3d9/d3d9.h"
#include "tests/d3d9/runtime/runtime_fixture.h"
#include "tests/ut/surface/convert_test_support.h"
#include "win32/com_ptr.h"

// The stored bytes of a lockable surface, rows joined (bytesPerPixel x width per row).
inline std::vector<uint8_t> ReadSurface(IDirect3DSurface9* surface, UINT bytesPerPixel) {
  D3DSURFACE_DESC desc{};
  surface->GetDesc(&desc);
  std::vector<uint8_t> out;
  D3DLOCKED_RECT r{};
  EXPECT_EQ(surface->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  if (!r.pBits) return out;
  for (UINT y = 0; y < desc.Height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(r.pBits) + size_t(y) * r.Pitch;
    out.insert(out.end(), row, row + size_t(desc.Width) * bytesPerPixel);
  }
  surface->UnlockRect();
  return out;
}

inline void WriteSurface(IDirect3DSurface9* surface, const std::vector<uint8_t>& bytes, UINT bytesPerPixel) {
  D3DSURFACE_DESC desc{};
  surface->GetDesc(&desc);
  D3DLOCKED_RECT r{};
  ASSERT_EQ(surface->LockRect(&r, nullptr, 0), D3D_OK);
  const size_t rowBytes = size_t(desc.Width) * bytesPerPixel;
  for (UINT y = 0; y < desc.Height; ++y)
    std::memcpy(static_cast<uint8_t*>(r.pBits) + size_t(y) * r.Pitch, bytes.data() + y * rowBytes, rowBytes);
  surface->UnlockRect();
}

inline std::vector<uint8_t> ReadVolume(IDirect3DVolume9* volume, UINT bytesPerPixel) {
  D3DVOLUME_DESC desc{};
  volume->GetDesc(&desc);
  std::vector<uint8_t> out;
  D3DLOCKED_BOX b{};
  EXPECT_EQ(volume->LockBox(&b, nullptr, D3DLOCK_READONLY), D3D_OK);
  if (!b.pBits) return out;
  for (UINT z = 0; z < desc.Depth; ++z)
    for (UINT y = 0; y < desc.Height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(b.pBits) + size_t(z) * b.SlicePitch + size_t(y) * b.RowPitch;
      out.insert(out.end(), row, row + size_t(desc.Width) * bytesPerPixel);
    }
  volume->UnlockBox();
  return out;
}

inline void WriteVolume(IDirect3DVolume9* volume, const std::vector<uint8_t>& bytes, UINT bytesPerPixel) {
  D3DVOLUME_DESC desc{};
  volume->GetDesc(&desc);
  D3DLOCKED_BOX b{};
  ASSERT_EQ(volume->LockBox(&b, nullptr, 0), D3D_OK);
  const size_t rowBytes = size_t(desc.Width) * bytesPerPixel;
  size_t at = 0;
  for (UINT z = 0; z < desc.Depth; ++z)
    for (UINT y = 0; y < desc.Height; ++y, at += rowBytes)
      std::memcpy(static_cast<uint8_t*>(b.pBits) + size_t(z) * b.SlicePitch + size_t(y) * b.RowPitch,
                  bytes.data() + at, rowBytes);
  volume->UnlockBox();
}

// Repeatable bytes.
inline std::vector<uint8_t> PatternBytes(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  uint32_t state = seed * 2654435761u + 7;
  for (uint8_t& b : bytes) {
    state = state * 1664525u + 1013904223u;
    b = uint8_t(state >> 24);
  }
  return bytes;
}

// The engine's result of converting a packed image of `bytes` (width x height, bpp) into
// another size or format in memory: the reference the entry points must reproduce.
inline std::vector<uint8_t> ConvertInMemory(const std::vector<uint8_t>& bytes, D3DFORMAT format, UINT bpp, UINT width,
                                            UINT height, D3DFORMAT toFormat, UINT toBpp, UINT toWidth, UINT toHeight,
                                            DWORD filter) {
  TestImage source(format, bpp, width, height);
  for (UINT y = 0; y < height; ++y) std::memcpy(source.Row(y), bytes.data() + size_t(y) * width * bpp, size_t(width) * bpp);
  TestImage destination(toFormat, toBpp, toWidth, toHeight);
  EXPECT_EQ(ConvertImage(destination, source, filter), S_OK);
  return destination.Pixels();
}
