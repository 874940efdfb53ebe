// A reader of the tests' own synthetic image files, put in front of the library's readers, so
// the texture-from-file tests can hand the pipeline any format, palette, level and face count.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "ut/image/image_readers.h"

// What the next synthetic file decodes to. Level l of every face is a solid block of
// `levelPixel(l)` in `format` (bytes of one pixel), sized width >> l by height >> l (at least 1).
struct SyntheticImage {
  D3DFORMAT format = D3DFMT_X8R8G8B8;
  UINT width = 8;
  UINT height = 8;
  UINT depth = 1;
  UINT levels = 1;
  UINT faces = 1;
  D3DRESOURCETYPE resourceType = D3DRTYPE_TEXTURE;
  std::vector<std::vector<uint8_t>> levelPixel = {{0x10, 0x20, 0x30, 0xFF}};
  bool hasPalette = false;
  std::array<PALETTEENTRY, 256> palette{};
};

// Puts the synthetic reader in front of the library's readers for the object's life; the bytes
// of SyntheticFile() decode to `image`.
class ScopedSyntheticReader {
 public:
  explicit ScopedSyntheticReader(const SyntheticImage& image);
  ~ScopedSyntheticReader();

 private:
  std::span<const ImageReader> previous_;
};

// The bytes that the synthetic reader accepts (and every library reader refuses).
const std::vector<uint8_t>& SyntheticFile();
