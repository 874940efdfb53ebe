// One pixel of a format to and from 8-bit B, G, R, A (the layout of a D3DCOLOR), for the
// rasteriser's texture reads and colour writes and for Present. Works on the channel fields of
// format_layout.h; formats without computable fields (palettes, signed, blocks, pairs) have
// no codec.
#pragma once

#include <cstdint>

#include "d3d9/d3d9_types.h"
#include "d3d9/runtime/format_layout.h"

namespace d3d9rt {

class ColorCodec {
 public:
  // False for formats the codec can't compute with.
  bool Init(const FormatLayout& layout);

  // Channels a format lacks read as 1 (alpha too), except that an alpha-only format reads
  // black: A8 is (0, 0, 0, a). Luminance goes to red, green and blue.
  D3DCOLOR Decode(const BYTE* pixel) const;
  // Narrower unorm fields keep the top bits of each 8-bit channel, as Clear packs colours;
  // X fields are written as 0.
  void Encode(D3DCOLOR color, BYTE* pixel) const;
  UINT Bytes() const { return bytes_; }

 private:
  struct Part {
    uint8_t source;  // byte of the D3DCOLOR: 0 blue, 1 green, 2 red, 3 alpha; 4 luminance
    uint8_t shift;
    uint8_t bits;
  };
  Part parts_[4] = {};
  int count_ = 0;
  UINT bytes_ = 0;
  Numeric numeric_ = Numeric::kOpaque;
  D3DCOLOR missing_ = 0;  // the channels the format lacks, already in place
};

}  // namespace d3d9rt
