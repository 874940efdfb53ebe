#include "ut/surface/conversion_strategy.h"

#include <atomic>
#include <cstring>

namespace {

// Cheapest first; the tent filter of any depth is last and accepts every size.
constexpr ConversionStrategy kStrategies[] = {
    {"CopyStraight", &CopyStraightApplies, &CopyStraight},
    {"ConvertSameSize", &ConvertSameSizeApplies, &ConvertSameSize},
    {"FilterNone", &FilterNoneApplies, &FilterNone},
    {"FilterPoint", &FilterPointApplies, &FilterPoint},
    {"FilterBoxHalf2D", &FilterBoxHalf2DApplies, &FilterBoxHalf2D},
    {"FilterBoxHalf3D", &FilterBoxHalf3DApplies, &FilterBoxHalf3D},
    {"FilterLinear2D", &FilterLinear2DApplies, &FilterLinear2D},
    {"FilterLinear3D", &FilterLinear3DApplies, &FilterLinear3D},
    {"FilterTriangle2D", &FilterTriangle2DApplies, &FilterTriangle2D},
    {"FilterTriangle3D", &FilterTriangle3DApplies, &FilterTriangle3D},
};
static_assert(std::size(kStrategies) == 10);

std::atomic<const ConversionStrategy*> g_forcedStrategy{nullptr};
std::atomic<const char*> g_lastStrategy{nullptr};

}  // namespace

std::span<const ConversionStrategy> ConversionStrategies() { return kStrategies; }

const ConversionStrategy* FindConversionStrategy(const char* name) {
  if (name == nullptr) return nullptr;
  for (const ConversionStrategy& strategy : kStrategies) {
    if (std::strcmp(strategy.name, name) == 0) return &strategy;
  }
  return nullptr;
}

bool ForceConversionStrategy(const char* name) {
  if (name == nullptr) {
    g_forcedStrategy.store(nullptr);
    return true;
  }
  const ConversionStrategy* strategy = FindConversionStrategy(name);
  if (strategy == nullptr) return false;
  g_forcedStrategy.store(strategy);
  return true;
}

const ConversionStrategy* ForcedConversionStrategy() { return g_forcedStrategy.load(); }

void CancelMatchingGamma(ConversionContext& context) {
  if (context.source.gamma && context.destination.gamma) {
    context.source.gamma = FALSE;
    context.destination.gamma = FALSE;
  }
}

const char* LastConversionStrategy() { return g_lastStrategy.load(); }

void SetLastConversionStrategy(const char* name) { g_lastStrategy.store(name); }
