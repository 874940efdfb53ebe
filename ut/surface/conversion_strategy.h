// The strategies of the conversion engine, as one ordered table: from a byte copy to a tent
// filter, the first that completes wins. Each declines with a failure code when its conditions
// don't hold or when memory runs out part-way, and then the next one rewrites the whole region.
#pragma once

#include <span>

#include "ut/pixel/pixel_codec.h"
#include "win32/win32_types.h"

// What one strategy works on: both codecs, already bound (BindSource), and the filter flags.
struct ConversionContext {
  PixelCodec& source;
  PixelCodec& destination;
  DWORD filter;
};

struct ConversionStrategy {
  const char* name;
  // The conditions of the strategy; a strategy whose conditions hold may still decline (memory).
  bool (*applies)(const ConversionContext& context);
  // Converts the whole region: S_OK, or a failure code when it gives up part-way.
  HRESULT (*run)(ConversionContext& context);
};

// The ten strategies in their order.
std::span<const ConversionStrategy> ConversionStrategies();
// The strategy of that name, or null.
const ConversionStrategy* FindConversionStrategy(const char* name);

// For tests only: with a name, PixelConverter::Convert tries that one strategy alone (E_FAIL
// when it declines); with null, the whole table again. Returns false for an unknown name.
bool ForceConversionStrategy(const char* name);
const ConversionStrategy* ForcedConversionStrategy();
// For tests only: the name of the strategy that completed the latest conversion ("" when the
// destination region was empty), or null when none completed.
const char* LastConversionStrategy();
void SetLastConversionStrategy(const char* name);

// "Gamma off": when both codecs are gamma-encoded their curves cancel, so neither applies them.
void CancelMatchingGamma(ConversionContext& context);

// The strategies, in table order (each file holds a family of them).
bool CopyStraightApplies(const ConversionContext& context);
HRESULT CopyStraight(ConversionContext& context);
// The block form of CopyStraight, for codecs that are not byte-addressable.
HRESULT CopyBlocks(ConversionContext& context);
bool ConvertSameSizeApplies(const ConversionContext& context);
HRESULT ConvertSameSize(ConversionContext& context);
bool FilterNoneApplies(const ConversionContext& context);
HRESULT FilterNone(ConversionContext& context);
bool FilterPointApplies(const ConversionContext& context);
HRESULT FilterPoint(ConversionContext& context);
bool FilterBoxHalf2DApplies(const ConversionContext& context);
HRESULT FilterBoxHalf2D(ConversionContext& context);
bool FilterBoxHalf3DApplies(const ConversionContext& context);
HRESULT FilterBoxHalf3D(ConversionContext& context);
bool FilterLinear2DApplies(const ConversionContext& context);
HRESULT FilterLinear2D(ConversionContext& context);
bool FilterLinear3DApplies(const ConversionContext& context);
HRESULT FilterLinear3D(ConversionContext& context);
bool FilterTriangle2DApplies(const ConversionContext& context);
HRESULT FilterTriangle2D(ConversionContext& context);
bool FilterTriangle3DApplies(const ConversionContext& context);
HRESULT FilterTriangle3D(ConversionContext& context);
