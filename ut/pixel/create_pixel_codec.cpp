#include "ut/pixel/create_pixel_codec.h"

#include <span>

#include "ut/pixel/pixel_codec_classes.h"

namespace {

// The families of codec classes, searched in order: the per-pixel formats, then the
// block-compressed and the pair formats as their classes join the list.
using PixelCodecFamily = std::span<const PixelCodecClass> (*)();
constexpr PixelCodecFamily kPixelCodecFamilies[] = {
    &LayoutPixelCodecClasses,
};

const PixelCodecClass* FindPixelCodecClass(D3DFORMAT format) {
  for (PixelCodecFamily family : kPixelCodecFamilies) {
    for (const PixelCodecClass& codecClass : family()) {
      if (codecClass.format == format) return &codecClass;
    }
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<PixelCodec> CreatePixelCodec(const PixelBlockDesc& desc) {
  const PixelCodecClass* codecClass = FindPixelCodecClass(desc.format);
  if (!codecClass) return nullptr;
  std::unique_ptr<PixelCodec> codec = codecClass->create(desc);
  if (!codec) return nullptr;
  if (codec->palettized && !codec->BuildPalette(desc.palette)) return nullptr;
  if (codec->colorKey != 0) codec->QuantizeColorKey();
  return codec;
}
