// UtLoadSurfaceFromMemory with formats, sizes, rectangles, filters, colour keys and palettes
// taken from the input, on a scratch surface of the software runtime. The source memory ends
// exactly at the last byte of the source rectangle, so the sanitizers see any read past it.
// Every call must succeed or return one of the engine's error codes; the surface outside the
// destination rectangle must keep its bytes.
//
// Input: destination format, source format, width, height (1 to 16 each), a flags byte (bit 0:
// a destination rectangle follows; bit 1: destination palette; bit 2: source palette; bit 3:
// colour key), destination rectangle (4 signed bytes), source rectangle (4 signed bytes),
// extra pitch, filter (4 bytes, little-endian), colour key (4 bytes); the rest fills the source
// memory and the palette, repeated as needed.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "d3d9/d3d9.h"
#include "tests/ut/surface/convert_formats.h"
#include "ut_surface.h"
#include "win32/com_ptr.h"

namespace {

IDirect3DDevice9* Device() {
  static IDirect3DDevice9* device = [] {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = 16;
    p.BackBufferHeight = 16;
    p.BackBufferFormat = D3DFMT_A8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    IDirect3DDevice9* created = nullptr;
    if (d3d) d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &created);
    return created;  // both live for the whole process
  }();
  return device;
}

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
  uint8_t Byte() { return at < size ? data[at++] : 0; }
  uint32_t Word() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
    return v;
  }
  LONG Signed() { return LONG(int8_t(Byte())) % 20; }
};

std::vector<uint8_t> ReadSurface(IDirect3DSurface9* surface, UINT rowBytes, UINT height) {
  std::vector<uint8_t> bytes;
  D3DLOCKED_RECT r{};
  if (FAILED(surface->LockRect(&r, nullptr, D3DLOCK_READONLY))) return bytes;
  for (UINT y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(r.pBits) + size_t(y) * r.Pitch;
    bytes.insert(bytes.end(), row, row + rowBytes);
  }
  surface->UnlockRect();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IDirect3DDevice9* device = Device();
  if (device == nullptr || size < 24) return 0;
  Reader in{data, size};
  constexpr size_t kPublic = std::size(kCodecFormats) - 2;  // surfaces can't hold the private codes
  const CodecFormat& to = kCodecFormats[in.Byte() % kPublic];
  const CodecFormat& from = kCodecFormats[in.Byte() % std::size(kCodecFormats)];
  const UINT width = 1 + in.Byte() % 16, height = 1 + in.Byte() % 16;
  const uint8_t flags = in.Byte();
  const RECT destinationRect{in.Signed(), in.Signed(), in.Signed(), in.Signed()};
  const RECT sourceRect{in.Signed(), in.Signed(), in.Signed(), in.Signed()};
  const UINT pitch = 16 * from.bytesPerPixel + in.Byte() % 16;
  const DWORD filter = in.Word();
  const D3DCOLOR key = (flags & 8) ? in.Word() : 0;

  // The rest of the input, repeated, fills the palette and the source memory.
  const uint8_t* rest = data + in.at;
  const size_t restSize = size - in.at;
  auto fill = [&](uint8_t* out, size_t n, size_t offset) {
    for (size_t i = 0; i < n; ++i) out[i] = restSize ? rest[(offset + i) % restSize] : 0;
  };
  PALETTEENTRY palette[256];
  fill(reinterpret_cast<uint8_t*>(palette), sizeof palette, 0);
  const bool sourceUsable = sourceRect.left >= 0 && sourceRect.top >= 0 && sourceRect.right > sourceRect.left &&
                            sourceRect.bottom > sourceRect.top;
  const size_t bytes = sourceUsable ? size_t(sourceRect.bottom - 1) * pitch + size_t(sourceRect.right) * from.bytesPerPixel : 1;
  std::unique_ptr<uint8_t[]> memory(new uint8_t[bytes]);
  fill(memory.get(), bytes, sizeof palette);

  ComPtr<IDirect3DTexture9> texture;
  if (FAILED(device->CreateTexture(width, height, 1, 0, to.format, D3DPOOL_SCRATCH, texture.GetAddressOf(), nullptr)))
    return 0;
  ComPtr<IDirect3DSurface9> surface;
  if (FAILED(texture->GetSurfaceLevel(0, surface.GetAddressOf()))) return 0;
  const std::vector<uint8_t> before = ReadSurface(surface.Get(), width * to.bytesPerPixel, height);

  const HRESULT hr = UtLoadSurfaceFromMemory(surface.Get(), (flags & 2) ? palette : nullptr,
                                             (flags & 1) ? &destinationRect : nullptr, memory.get(), from.format, pitch,
                                             (flags & 4) ? palette : nullptr, &sourceRect, filter, key);
  if (hr != S_OK && hr != D3DERR_INVALIDCALL && hr != E_FAIL && hr != E_OUTOFMEMORY) __builtin_trap();

  const RECT written = (flags & 1) ? destinationRect : RECT{0, 0, LONG(width), LONG(height)};
  const std::vector<uint8_t> after = ReadSurface(surface.Get(), width * to.bytesPerPixel, height);
  if (after.size() != before.size()) __builtin_trap();
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x) {
      const bool inside = hr == S_OK && LONG(x) >= written.left && LONG(x) < written.right && LONG(y) >= written.top &&
                          LONG(y) < written.bottom;
      const size_t at = (size_t(y) * width + x) * to.bytesPerPixel;
      if (!inside && std::memcmp(&after[at], &before[at], to.bytesPerPixel) != 0) __builtin_trap();
    }
  return 0;
}
