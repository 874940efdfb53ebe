// The two dither tables of the encoders, 4 rows of 8 offsets each, indexed by
// [y mod 4][(z mod 4) + (i mod 4)]. A quantiser adds the offset before truncating toward zero.
#pragma once

using DitherTable = float[4][8];

// Without dithering every offset is 0.5: plain rounding to nearest.
inline constexpr DitherTable kNoDitherTable = {
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
    {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f},
};

// The 4x4 Bayer matrix with 0.5 added, over 16, each row written twice so that the slice can
// shift the column without wrapping.
inline constexpr DitherTable kOrderedDitherTable = {
    {15.5f / 16, 7.5f / 16, 13.5f / 16, 5.5f / 16, 15.5f / 16, 7.5f / 16, 13.5f / 16, 5.5f / 16},
    {3.5f / 16, 11.5f / 16, 1.5f / 16, 9.5f / 16, 3.5f / 16, 11.5f / 16, 1.5f / 16, 9.5f / 16},
    {12.5f / 16, 4.5f / 16, 14.5f / 16, 6.5f / 16, 12.5f / 16, 4.5f / 16, 14.5f / 16, 6.5f / 16},
    {0.5f / 16, 8.5f / 16, 2.5f / 16, 10.5f / 16, 0.5f / 16, 8.5f / 16, 2.5f / 16, 10.5f / 16},
};
