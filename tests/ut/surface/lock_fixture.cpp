#include "lock_fixture.h"

#include <cstring>
#include <ostream>

#include "win32/debug_output.h"

namespace lock_test {
namespace {

void CaptureDebugOutput(const char* text, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(text);
}

bool IsLockable(const D3DSURFACE_DESC& desc) {
  return desc.Pool != D3DPOOL_DEFAULT || (desc.Usage & D3DUSAGE_DYNAMIC);
}

void CopyOut(const D3DLOCKED_RECT& locked, StoredImage* image) {
  const size_t rowBytes = static_cast<size_t>(image->unitsAcross) * image->unit.bytes;
  image->bytes.resize(rowBytes * image->unitsDown);
  for (UINT row = 0; row < image->unitsDown; ++row) {
    std::memcpy(image->bytes.data() + row * rowBytes,
                static_cast<const BYTE*>(locked.pBits) + static_cast<size_t>(row) * locked.Pitch,
                rowBytes);
  }
}

}  // namespace

Unit UnitOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_DXT1:
      return {4, 4, 8};
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      return {4, 4, 16};
    case D3DFMT_YUY2:
    case D3DFMT_UYVY:
    case D3DFMT_R8G8_B8G8:
    case D3DFMT_G8R8_G8B8:
      return {2, 1, 4};
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return {1, 1, 4};
    case D3DFMT_R5G6B5:
    case D3DFMT_A4R4G4B4:
      return {1, 1, 2};
    case D3DFMT_L8:
      return {1, 1, 1};
    case D3DFMT_A16B16G16R16F:
      return {1, 1, 8};
    default:
      ADD_FAILURE() << "no unit written down for format " << format;
      return {1, 1, 4};
  }
}

BYTE PatternByte(UINT ux, UINT uy, UINT k, BYTE seed) {
  if (k == 0) return static_cast<BYTE>(ux);
  if (k == 1) return static_cast<BYTE>(uy);
  return static_cast<BYTE>(seed + 17 * k);
}

CallCounts CallCounts::Now() {
  using d3d9rt::CallCount;
  return {CallCount(d3d9rt::kCreateTexture), CallCount(d3d9rt::kCreateRenderTarget),
          CallCount(d3d9rt::kLockRect),      CallCount(d3d9rt::kLockBox),
          CallCount(d3d9rt::kUpdateSurface), CallCount(d3d9rt::kStretchRect)};
}

CallCounts CallCounts::Since(const CallCounts& before) const {
  return {createTexture - before.createTexture, createRenderTarget - before.createRenderTarget,
          lockRect - before.lockRect,           lockBox - before.lockBox,
          updateSurface - before.updateSurface, stretchRect - before.stretchRect};
}

void LockTest::SetUp() {
  RuntimeTest::SetUp();
  // Read-only locks get copies, so what a test or the library writes through one never lands.
  d3d9rt::SetReadOnlyLockGuard(true);
  win32::SetDebugOutputHook(&CaptureDebugOutput, &debugLines_);
}

void LockTest::TearDown() {
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), readOnlyWritesByTheTest_)
      << "something wrote through a read-only lock";
  win32::SetDebugOutputHook(nullptr, nullptr);
  RuntimeTest::TearDown();
}

void LockTest::AllowAnyTextureSize() {
  D3DCAPS9 caps = d3d9rt::DefaultCaps();
  caps.TextureCaps &= ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
  d3d9rt::SetCaps(caps);
}

ComPtr<IDirect3DSurface9> LockTest::MakeLevel(UINT width, UINT height, UINT levels, UINT level,
                                              DWORD usage, D3DFORMAT format, D3DPOOL pool) {
  ComPtr<IDirect3DTexture9> texture = MakeTexture(width, height, levels, usage, format, pool);
  if (!texture) return nullptr;
  return Level(texture.Get(), level);
}

ComPtr<IDirect3DSurface9> LockTest::MakePlain(UINT width, UINT height, D3DFORMAT format,
                                              D3DPOOL pool) {
  ComPtr<IDirect3DSurface9> surface;
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(width, height, format, pool,
                                                 surface.GetAddressOf(), nullptr),
            D3D_OK)
      << width << "x" << height << " format " << format << " pool " << pool;
  return surface;
}

void LockTest::WritePattern(IDirect3DSurface9* surface, BYTE seed) {
  D3DSURFACE_DESC desc;
  ASSERT_EQ(surface->GetDesc(&desc), D3D_OK);
  ComPtr<IDirect3DSurface9> staging;
  IDirect3DSurface9* target = surface;
  if (!IsLockable(desc)) {
    ComPtr<IDirect3DTexture9> texture =
        MakeTexture(desc.Width, desc.Height, 1, 0, desc.Format, D3DPOOL_SYSTEMMEM);
    ASSERT_TRUE(texture);
    staging = Level(texture.Get(), 0);
    target = staging.Get();
  }
  const Unit unit = UnitOf(desc.Format);
  const UINT across = (desc.Width + unit.width - 1) / unit.width;
  const UINT down = (desc.Height + unit.height - 1) / unit.height;
  D3DLOCKED_RECT locked;
  ASSERT_EQ(target->LockRect(&locked, nullptr, 0), D3D_OK);
  for (UINT uy = 0; uy < down; ++uy) {
    BYTE* row = static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(uy) * locked.Pitch;
    for (UINT ux = 0; ux < across; ++ux) {
      for (UINT k = 0; k < unit.bytes; ++k) row[ux * unit.bytes + k] = PatternByte(ux, uy, k, seed);
    }
  }
  ASSERT_EQ(target->UnlockRect(), D3D_OK);
  if (staging) {
    ASSERT_EQ(device_->UpdateSurface(staging.Get(), nullptr, surface, nullptr), D3D_OK);
  }
}

StoredImage LockTest::ReadStored(IDirect3DSurface9* surface) {
  StoredImage image;
  D3DSURFACE_DESC desc;
  EXPECT_EQ(surface->GetDesc(&desc), D3D_OK);
  image.unit = UnitOf(desc.Format);
  image.unitsAcross = (desc.Width + image.unit.width - 1) / image.unit.width;
  image.unitsDown = (desc.Height + image.unit.height - 1) / image.unit.height;
  ComPtr<IDirect3DSurface9> readable = surface;
  if (!IsLockable(desc)) {
    readable = nullptr;
    EXPECT_EQ(device_->CreateRenderTarget(desc.Width, desc.Height, desc.Format,
                                          D3DMULTISAMPLE_NONE, 0, TRUE,
                                          readable.GetAddressOf(), nullptr),
              D3D_OK);
    if (!readable) return image;
    EXPECT_EQ(device_->StretchRect(surface, nullptr, readable.Get(), nullptr, D3DTEXF_NONE),
              D3D_OK);
  }
  D3DLOCKED_RECT locked;
  EXPECT_EQ(readable->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  CopyOut(locked, &image);
  EXPECT_EQ(readable->UnlockRect(), D3D_OK);
  return image;
}

void LockTest::ExpectPattern(IDirect3DSurface9* surface, BYTE seed) {
  const StoredImage image = ReadStored(surface);
  for (UINT uy = 0; uy < image.unitsDown; ++uy) {
    for (UINT ux = 0; ux < image.unitsAcross; ++ux) {
      for (UINT k = 0; k < image.unit.bytes; ++k) {
        ASSERT_EQ(image.At(ux, uy)[k], PatternByte(ux, uy, k, seed))
            << "unit (" << ux << ", " << uy << ") byte " << k << ", seed " << int(seed);
      }
    }
  }
}

std::vector<d3d9rt::LockRecord> LockTest::LocksSince(size_t first) {
  std::vector<d3d9rt::LockRecord> log = d3d9rt::LockLog();
  if (first >= log.size()) return {};
  return {log.begin() + static_cast<std::ptrdiff_t>(first), log.end()};
}

}  // namespace lock_test

bool operator==(const D3DBOX& a, const D3DBOX& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom &&
         a.Front == b.Front && a.Back == b.Back;
}

std::ostream& operator<<(std::ostream& out, const D3DBOX& box) {
  return out << "(" << box.Left << ", " << box.Top << ", " << box.Right << ", " << box.Bottom
             << ", " << box.Front << ", " << box.Back << ")";
}

