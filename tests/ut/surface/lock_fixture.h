// Locks on the software runtime: surfaces filled with a pattern that names every stored unit
// (pixel, pair or block) by its position, read back whatever their pool, and the runtime's
// debugger output captured.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/runtime/runtime_config.h"
#include "tests/d3d9/runtime/runtime_fixture.h"
#include "ut/pixel/pixel_block_desc.h"
#include "win32/com_ptr.h"

namespace lock_test {

// How a format stores its pixels: units of width x height pixels, `bytes` each. Written out
// here rather than taken from the library, so that the tests check the library's table.
struct Unit {
  UINT width;
  UINT height;
  UINT bytes;
};
Unit UnitOf(D3DFORMAT format);

// The pattern byte k of the unit at unit column ux, unit row uy: the first bytes name the unit,
// the rest depend on the seed.
BYTE PatternByte(UINT ux, UINT uy, UINT k, BYTE seed);

// Stored bytes of a surface, row of units after row of units, without pitch padding.
struct StoredImage {
  Unit unit;
  UINT unitsAcross = 0;
  UINT unitsDown = 0;
  std::vector<BYTE> bytes;
  const BYTE* At(UINT ux, UINT uy) const {
    return bytes.data() + (static_cast<size_t>(uy) * unitsAcross + ux) * unit.bytes;
  }
};

// The runtime's call counts, taken at one moment.
struct CallCounts {
  unsigned createTexture, createRenderTarget, lockRect, lockBox, updateSurface, stretchRect;
  static CallCounts Now();
  CallCounts Since(const CallCounts& before) const;
};

class LockTest : public d3d9rt_test::RuntimeTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A device without the default adapter's power-of-two rule, for mip chains of any size (the
  // only home of DXT levels that are not a multiple of 4 outside D3DPOOL_SCRATCH).
  static void AllowAnyTextureSize();

  // Level `level` of a new texture (the surface keeps the texture alive).
  ComPtr<IDirect3DSurface9> MakeLevel(UINT width, UINT height, UINT levels, UINT level,
                                      DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ComPtr<IDirect3DSurface9> MakePlain(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool);

  // Writes the pattern into the whole surface: directly when it can be locked, else through a
  // system-memory copy and UpdateSurface.
  void WritePattern(IDirect3DSurface9* surface, BYTE seed);
  // Reads the stored bytes: directly when lockable, else through StretchRect into a lockable
  // render target.
  StoredImage ReadStored(IDirect3DSurface9* surface);
  // Fails the test at the first unit that is not the pattern of `seed`.
  void ExpectPattern(IDirect3DSurface9* surface, BYTE seed);

  // The lock records made since `first` (an earlier size of the log).
  static std::vector<d3d9rt::LockRecord> LocksSince(size_t first);

  std::vector<std::string> debugLines_;
  // The read-only locks that a test writes through on purpose; any other write through one
  // fails the test (the runtime's guard keeps such writes from landing and counts them).
  unsigned readOnlyWritesByTheTest_ = 0;
};

}  // namespace lock_test

// For comparing and printing boxes in assertions (found by argument lookup, so global).
bool operator==(const D3DBOX& a, const D3DBOX& b);
std::ostream& operator<<(std::ostream& out, const D3DBOX& box);
