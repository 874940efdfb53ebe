// Closest-format search: how well one catalogued format can stand in for another, and the best
// stand-in among a caller's list or among the formats a device supports for a use.
#pragma once

#include <cstdint>

#include "d3d9/d3d9.h"
#include "ut/pixel/pixel_format.h"

inline constexpr uint32_t kUnusableScore = 0xFFFFFFFF;

// Smaller is better; kUnusableScore when `candidate` cannot stand in for `desired`. From the
// most significant byte down the score counts channels dropped, bits lost by narrowing, channels
// added and bits gained by widening.
uint32_t ScoreFormatMatch(const PixelFormatInfo& desired, const PixelFormatInfo& candidate);

// The best format of a list ended by D3DFMT_UNKNOWN (a null list counts as empty), an exact match
// first; palette formats only when `allowPalette`. D3DFMT_UNKNOWN when nothing qualifies.
D3DFORMAT FindClosestFormatInList(const D3DFORMAT* formats, BOOL allowPalette,
                                  const PixelFormatInfo& desired);

// The best catalogued format that `device` supports for `usage` and `resourceType`, the desired
// format itself when supported. Without a device every catalogued format counts as supported.
// D3DFMT_UNKNOWN when nothing qualifies. The runtime's debug output is muted meanwhile.
D3DFORMAT FindClosestDeviceFormat(IDirect3DDevice9* device, DWORD usage,
                                  D3DRESOURCETYPE resourceType, const PixelFormatInfo& desired);

// The running choice of both searches: the lowest score wins, a tie goes to the candidate with
// strictly fewer bits per pixel, and otherwise to the one seen first.
class ClosestFormatChoice {
 public:
  void Consider(const PixelFormatInfo& desired, const PixelFormatInfo& candidate) {
    const uint32_t score = ScoreFormatMatch(desired, candidate);
    if (score == kUnusableScore || score > best_) return;
    if (score == best_ && candidate.bitsPerPixel >= chosen_->bitsPerPixel) return;
    best_ = score;
    chosen_ = &candidate;
  }
  void Take(const PixelFormatInfo& exact) { chosen_ = &exact; }
  D3DFORMAT Format() const { return chosen_->format; }

 private:
  uint32_t best_ = kUnusableScore;
  const PixelFormatInfo* chosen_ = &g_unknownFormatInfo;
};
