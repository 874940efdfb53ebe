#include "ut/surface/pixel_converter.h"

#include "ut/pixel/create_pixel_codec.h"
#include "ut/surface/codec_rows.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/filter_flags.h"

namespace {

// What a strategy may change on the codecs and must give back when it declines, so that the
// next strategy starts from the same state: the gamma flags ("gamma off"), the source geometry
// (the box filters drop an odd last column, row or slice) and the carried diffusion errors.
class CodecStateGuard {
 public:
  CodecStateGuard(PixelCodec& source, PixelCodec& destination)
      : source_(source),
        destination_(destination),
        sourceGamma_(source.gamma),
        destinationGamma_(destination.gamma),
        width_(source.width),
        height_(source.height),
        depth_(source.depth),
        rowBytes_(source.rowBytes) {
    if (destination.errorRow) ClearColorsOf(destination);
  }
  ~CodecStateGuard() {
    source_.width = width_;
    source_.height = height_;
    source_.depth = depth_;
    source_.rowBytes = rowBytes_;
    if (!kept_) {
      source_.gamma = sourceGamma_;
      destination_.gamma = destinationGamma_;
    }
  }
  void Keep() { kept_ = true; }

 private:
  static void ClearColorsOf(PixelCodec& codec) {
    for (UINT i = 0; i < codec.width + 2; ++i) codec.errorRow[i] = UtColor(0.0f, 0.0f, 0.0f, 0.0f);
  }

  PixelCodec& source_;
  PixelCodec& destination_;
  const BOOL sourceGamma_;
  const BOOL destinationGamma_;
  const UINT width_, height_, depth_, rowBytes_;
  bool kept_ = false;
};

HRESULT TryStrategy(const ConversionStrategy& strategy, ConversionContext& context) {
  if (!strategy.applies(context)) return E_FAIL;
  CodecStateGuard guard(context.source, context.destination);
  const HRESULT hr = strategy.run(context);
  if (SUCCEEDED(hr)) guard.Keep();
  return hr;
}

}  // namespace

HRESULT PixelConverter::Convert(PixelBlockDesc* destination, PixelBlockDesc* source,
                                DWORD filterFlags) {
  SetLastConversionStrategy(nullptr);
  if (!IsValidFilter(filterFlags)) return D3DERR_INVALIDCALL;
  if (destination == nullptr || source == nullptr) return D3DERR_INVALIDCALL;
  filter = filterFlags;

  source->gamma = (filter & UT_FILTER_SRGB_IN) ? TRUE : FALSE;
  destination->gamma = (filter & UT_FILTER_SRGB_OUT) ? TRUE : FALSE;
  destination->orderedDither = (filter & UT_FILTER_DITHER) ? TRUE : FALSE;
  destination->errorDiffusion = (filter & UT_FILTER_DITHER_DIFFUSION) ? TRUE : FALSE;

  destinationCodec = CreatePixelCodec(*destination);
  sourceCodec = CreatePixelCodec(*source);
  HRESULT hr = E_FAIL;
  if (destinationCodec && sourceCodec) {
    hr = destinationCodec->BindSource(*sourceCodec);
    if (SUCCEEDED(hr)) hr = RunStrategies();
  }
  // The destination first: pair codecs write their pending pixels when destroyed.
  destinationCodec.reset();
  sourceCodec.reset();
  return hr;
}

HRESULT PixelConverter::RunStrategies() {
  ConversionContext context{*sourceCodec, *destinationCodec, filter};
  // An empty destination region has nothing to write, whatever the source.
  if (RegionIsEmpty(*destinationCodec)) {
    SetLastConversionStrategy("");
    return S_OK;
  }
  if (const ConversionStrategy* forced = ForcedConversionStrategy()) {
    if (FAILED(TryStrategy(*forced, context))) return E_FAIL;
    SetLastConversionStrategy(forced->name);
    return S_OK;
  }
  for (const ConversionStrategy& strategy : ConversionStrategies()) {
    if (SUCCEEDED(TryStrategy(strategy, context))) {
      SetLastConversionStrategy(strategy.name);
      return S_OK;
    }
  }
  return E_FAIL;
}
