#include "ut/pixel/format_match.h"

namespace {

// Which candidate families may serve a desired family (row: desired, column: candidate).
// Palette and luminance data can always be expanded to colour; nothing else crosses families.
constexpr uint8_t g_familyCompatibility[kFormatFamilyCount][kFormatFamilyCount] = {
    //        colour palette luminance signed depth
    /* colour    */ {1, 0, 0, 0, 0},
    /* palette   */ {1, 1, 0, 0, 0},
    /* luminance */ {1, 0, 1, 0, 0},
    /* signed    */ {0, 0, 0, 1, 0},
    /* depth     */ {0, 0, 0, 0, 1},
};

constexpr uint32_t kChannelAdded = 0x100;
constexpr uint32_t kChannelDropped = 0x01000000;
constexpr int kNarrowingShift = 16;
constexpr int kDroppedShift = 24;

}  // namespace

uint32_t ScoreFormatMatch(const PixelFormatInfo& desired, const PixelFormatInfo& candidate) {
  if (desired.family >= kFormatFamilyCount || candidate.family >= kFormatFamilyCount ||
      !g_familyCompatibility[desired.family][candidate.family]) {
    return kUnusableScore;
  }
  const uint32_t wanted[] = {desired.otherBits, desired.alphaBits, desired.redBits,
                             desired.greenBits, desired.blueBits};
  const uint32_t offered[] = {candidate.otherBits, candidate.alphaBits, candidate.redBits,
                              candidate.greenBits, candidate.blueBits};
  // With at most five channels of at most 32 bits no byte of the score carries into the next.
  uint32_t score = 0;
  uint32_t present = 0;
  for (int slot = 0; slot < 5; ++slot) {
    const uint32_t a = wanted[slot];
    const uint32_t b = offered[slot];
    if (a > 0) ++present;
    if (a < b) {
      score += a == 0 ? kChannelAdded : b - a;
    } else if (a > b) {
      score += b == 0 ? kChannelDropped : (a - b) << kNarrowingShift;
    }
  }
  // A candidate that drops every channel the desired format has keeps nothing of it.
  if (present == score >> kDroppedShift) return kUnusableScore;
  return score;
}

D3DFORMAT FindClosestFormatInList(const D3DFORMAT* formats, BOOL allowPalette,
                                  const PixelFormatInfo& desired) {
  ClosestFormatChoice choice;
  if (formats == nullptr) return choice.Format();
  for (const D3DFORMAT* format = formats; *format != D3DFMT_UNKNOWN; ++format) {
    const PixelFormatInfo* candidate = GetPixelFormatInfo(*format);
    if (candidate->format == D3DFMT_UNKNOWN) continue;
    if (candidate->family == FAMILY_PALETTE && !allowPalette) continue;
    if (candidate->format == desired.format) return candidate->format;
    choice.Consider(desired, *candidate);
  }
  return choice.Format();
}
