// The factory's table for the per-pixel formats, generated from the layout table so that the
// two cannot drift: row i of kPixelCodecLayouts gets the class stamped from row i.
#include "ut/pixel/pixel_codec_classes.h"

#include <array>
#include <new>
#include <utility>

#include "ut/pixel/float_pixel_codec.h"
#include "ut/pixel/packed_pixel_codec.h"
#include "ut/pixel/palette_pixel_codec.h"

namespace {

template <typename Codec>
std::unique_ptr<PixelCodec> Make(const PixelBlockDesc& desc) {
  return std::unique_ptr<PixelCodec>(new (std::nothrow) Codec(desc));
}

template <size_t Index>
std::unique_ptr<PixelCodec> CreateLayoutCodec(const PixelBlockDesc& desc) {
  constexpr PixelStorage storage = kPixelCodecLayouts[Index].storage;
  if constexpr (storage == PixelStorage::Packed) {
    return Make<PackedPixelCodec<Index>>(desc);
  } else if constexpr (storage == PixelStorage::Half) {
    return Make<HalfPixelCodec<Index>>(desc);
  } else if constexpr (storage == PixelStorage::Float) {
    return Make<FloatPixelCodec<Index>>(desc);
  } else if constexpr (storage == PixelStorage::Palette) {
    return Make<P8PixelCodec>(desc);
  } else {
    static_assert(storage == PixelStorage::PaletteAlpha);
    return Make<A8P8PixelCodec>(desc);
  }
}

template <size_t... Index>
constexpr std::array<PixelCodecClass, sizeof...(Index)> MakeClasses(
    std::index_sequence<Index...>) {
  return {{{kPixelCodecLayouts[Index].format, &CreateLayoutCodec<Index>}...}};
}

constexpr auto kLayoutClasses = MakeClasses(std::make_index_sequence<kPixelCodecLayoutCount>());

}  // namespace

std::span<const PixelCodecClass> LayoutPixelCodecClasses() { return kLayoutClasses; }
