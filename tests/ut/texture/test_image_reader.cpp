#include "test_image_reader.h"

#include <cstring>

namespace {

SyntheticImage g_image;
std::vector<ImageReader> g_readers;

constexpr char kMagic[8] = {'U', 'T', 'S', 'Y', 'N', 'T', 'H', 0};

UINT Halved(UINT v, UINT level) { return (v >> level) ? (v >> level) : 1; }

// Fills `record` with level `level` of the synthetic image.
bool FillRecord(DecodedImage& record, UINT level) {
  const std::vector<uint8_t>& pixel = g_image.levelPixel[level % g_image.levelPixel.size()];
  const UINT bytes = static_cast<UINT>(pixel.size());
  record.format = g_image.format;
  record.width = Halved(g_image.width, level);
  record.height = Halved(g_image.height, level);
  record.depth = Halved(g_image.depth, level);
  record.resourceType = g_image.resourceType;
  record.rowPitch = record.width * bytes;
  record.slicePitch = record.depth > 1 ? record.rowPitch * record.height : 0;
  BYTE* out = record.AllocatePixels(record.rowPitch, record.height, record.depth);
  if (!out) return false;
  for (UINT i = 0; i < record.width * record.height * record.depth; ++i)
    std::memcpy(out + i * bytes, pixel.data(), bytes);
  if (g_image.hasPalette) {
    PALETTEENTRY* palette = record.AllocatePalette();
    if (!palette) return false;
    std::memcpy(palette, g_image.palette.data(), sizeof g_image.palette);
  }
  return true;
}

HRESULT ReadSynthetic(DecodedImage& image, const void* data, UINT size) {
  if (size < sizeof kMagic || std::memcmp(data, kMagic, sizeof kMagic) != 0) return E_FAIL;
  DecodedImage* face = &image;
  for (UINT f = 0; f < g_image.faces; ++f) {
    if (f > 0) {
      face->nextFace = new DecodedImage;
      face = face->nextFace;
    }
    if (!FillRecord(*face, 0)) return E_OUTOFMEMORY;
    DecodedImage* level = face;
    for (UINT l = 1; l < g_image.levels; ++l) {
      level->nextLevel = new DecodedImage;
      level = level->nextLevel;
      if (!FillRecord(*level, l)) return E_OUTOFMEMORY;
    }
  }
  return S_OK;
}

}  // namespace

ScopedSyntheticReader::ScopedSyntheticReader(const SyntheticImage& image) {
  g_image = image;
  g_readers.assign(GetImageReaders().begin(), GetImageReaders().end());
  g_readers.insert(g_readers.begin(), ImageReader{UT_IFF_DDS, "synthetic", ReadSynthetic});
  previous_ = SetImageReadersForTest(g_readers);
}

ScopedSyntheticReader::~ScopedSyntheticReader() { SetImageReadersForTest(previous_); }

const std::vector<uint8_t>& SyntheticFile() {
  static const std::vector<uint8_t> file(kMagic, kMagic + sizeof kMagic);
  return file;
}
