#include "ut/surface/linear_weights.h"

#include <cstdint>
#include <new>

std::unique_ptr<LinearWeight[]> BuildLinearWeights(UINT source, UINT destination, bool wrap) {
  if (source == 0 || destination == 0) return nullptr;
  std::unique_ptr<LinearWeight[]> table(new (std::nothrow) LinearWeight[destination]);
  if (!table) return nullptr;
  const float ratio = static_cast<float>(source) / static_cast<float>(destination);
  for (UINT i = 0; i < destination; ++i) {
    // t is the sample point plus half a pixel, so its integer part m is the right neighbour.
    const float t = (static_cast<float>(i) + 0.5f) * ratio + 0.5f;
    const int64_t m = static_cast<int64_t>(t);
    const float firstWeight = static_cast<float>(m + 1) - t;
    LinearWeight& w = table[i];
    w.firstWeight = firstWeight;
    w.secondWeight = 1.0f - firstWeight;
    w.first = m - 1 < 0 ? (wrap ? source - 1 : 0) : static_cast<UINT>(m - 1);
    // Rounding of t can't pass S, but the index is kept inside the row whatever happens.
    if (w.first >= source) w.first = source - 1;
    w.second = m >= int64_t{source} ? (wrap ? 0 : source - 1) : static_cast<UINT>(m);
  }
  return table;
}
