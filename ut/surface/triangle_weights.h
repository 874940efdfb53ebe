// BuildTriangleWeights: the table of one axis of the tent filter. Each source pixel spreads its
// colour under a tent (rising from the previous pixel's centre to its own, falling to the
// next); destination pixel m receives the integral of each tent over its footprint [m, m + 1)
// in destination coordinates. The tents of all source pixels add up to 1 everywhere, so the
// weights of every destination pixel sum to 1: each destination pixel is the average over its
// footprint of the linearly interpolated source.
#pragma once

#include <memory>

#include "win32/win32_types.h"

struct TriangleWeight {
  UINT destination;
  float weight;
};

// One record per source pixel: its (destination index, weight) pairs, in the order of the
// destination coordinate where they were found. With wrapping, a tent that leaves one end
// continues at the other, so a record may name a destination index twice.
class TriangleWeights {
 public:
  UINT SourceCount() const { return sources_; }
  const TriangleWeight* begin(UINT source) const { return pairs_.get() + starts_[source]; }
  const TriangleWeight* end(UINT source) const { return pairs_.get() + starts_[source + 1]; }
  UINT PairCount() const { return starts_ ? starts_[sources_] : 0; }

 private:
  friend bool BuildTriangleWeights(UINT, UINT, bool, TriangleWeights*);
  UINT sources_ = 0;
  std::unique_ptr<UINT[]> starts_;  // sources_ + 1 offsets into pairs_
  std::unique_ptr<TriangleWeight[]> pairs_;
};

// Builds the table for S source and D destination pixels; mirroring (not wrapping) clips the
// tents at the outer edges and keeps their weight inside. False when S or D is 0 or memory
// runs out.
bool BuildTriangleWeights(UINT source, UINT destination, bool wrap, TriangleWeights* table);
