// The processor-specific row kernels against the generic loops of the same codec: every
// decoded colour and every encoded byte must be identical, over random rows of awkward widths
// and over the special values (NaN, infinities, negative zero, huge and rounding-edge values).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/pixel/encode_steps.h"
#include "ut/pixel/pixel_codec_layouts.h"
#include "ut/pixel/pixel_row_kernels.h"

namespace {

// Restores the kernels whatever a test does.
class KernelSwitch {
 public:
  KernelSwitch() : saved_(PixelRowKernelsEnabled()) {}
  ~KernelSwitch() { SetPixelRowKernelsEnabled(saved_); }
  std::unique_ptr<PixelCodec> Create(const PixelBlockDesc& desc, bool kernels) {
    SetPixelRowKernelsEnabled(kernels);
    return CreatePixelCodec(desc);
  }

 private:
  bool saved_;
};

std::vector<const PixelCodecLayout*> FormatsWithKernels() {
  std::vector<const PixelCodecLayout*> formats;
  KernelSwitch keep;
  SetPixelRowKernelsEnabled(true);
  for (const PixelCodecLayout& layout : kPixelCodecLayouts) {
    if (FindPixelRowKernels(layout.format)) formats.push_back(&layout);
  }
  return formats;
}

TEST(PixelRowKernels, PresentForTheCommonFormats) {
#if defined(__SSE2__)
  KernelSwitch keep;
  SetPixelRowKernelsEnabled(true);
  for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8B8G8R8, D3DFMT_X8B8G8R8,
                      D3DFMT_L8}) {
    EXPECT_NE(FindPixelRowKernels(f), nullptr) << "format " << f;
  }
  SetPixelRowKernelsEnabled(false);
  EXPECT_EQ(FindPixelRowKernels(D3DFMT_A8R8G8B8), nullptr);
#else
  GTEST_SKIP() << "no processor-specific kernels on this architecture";
#endif
}

TEST(PixelRowKernels, FamiliesInOrderOfPreference) {
  std::vector<std::string> names;
  for (const PixelRowKernelFamily& family : PixelRowKernelFamilies()) names.push_back(family.name);
  EXPECT_EQ(names, (std::vector<std::string>{"avx512", "avx2", "sse2"}));
}

// Channel values where a quantiser can go wrong: NaN of either sign, infinities, signed zeros,
// the smallest values, just above 1 and just below 0, sums beyond the int range, and the ties:
// values whose c x 255 + 0.5 lands on or next to an integer, including the neighbours of
// (k + 0.5) / 255 and the values whose sum rounds up to 1.0.
float SpecialValue(std::mt19937& random) {
  static const float kValues[] = {
      0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 127.5f / 255.0f, 128.5f / 255.0f, 254.5f / 255.0f,
      1.0f / 510.0f, 1.0001f, 2.0f, -0.001f, 1e10f, -1e10f, 3e9f, -3e9f,
      std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
      std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
      std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
      std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
      std::numeric_limits<float>::min(), std::nextafter(1.0f, 2.0f), std::nextafter(1.0f, 0.0f),
      std::nextafter(0.0f, -1.0f), std::nextafter(-0.5f / 255.0f, 0.0f), -0.5f / 255.0f,
      std::nextafter(0.5f / 255.0f, 0.0f), 0.5f / 255.0f,
      // Sums at 2^31 and around it (c x 255 + 0.5 no longer converts to an int).
      8421504.0f, 8421505.0f, 8421503.0f, -8421504.0f, -8421505.0f};
  const size_t which = random() % (std::size(kValues) + 8);
  if (which < std::size(kValues)) return kValues[which];
  // A tie of a random code, or one of its nearest neighbours.
  const float tie = (static_cast<float>(random() % 256) + 0.5f) / 255.0f;
  switch (which - std::size(kValues)) {
    case 0: return std::nextafter(tie, 2.0f);
    case 1: return std::nextafter(tie, -1.0f);
    case 2: return std::nextafter(std::nextafter(tie, 2.0f), 2.0f);
    case 3: return -tie;
    case 4: return static_cast<float>(random() % 256) / 255.0f;
    default: return tie;
  }
}

TEST(PixelRowKernels, DecodeMatchesTheGenericLoop) {
  std::mt19937 random(7);
  for (const PixelCodecLayout* layout : FormatsWithKernels()) {
    for (UINT width : {1u, 2u, 3u, 4u, 5u, 7u, 15u, 16u, 17u, 31u, 33u, 1024u}) {
      const size_t bytesPerPixel = layout->bitsPerPixel / 8;
      std::vector<uint8_t> bytes(width * bytesPerPixel);
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
      KernelSwitch kernels;
      const PixelBlockDesc desc =
          MakeBlock(bytes.data(), layout->format, static_cast<UINT>(bytes.size()), width);
      std::unique_ptr<PixelCodec> fast = kernels.Create(desc, true);
      std::unique_ptr<PixelCodec> generic = kernels.Create(desc, false);
      ASSERT_TRUE(fast && generic);
      std::vector<UtColor> a(width), b(width);
      fast->DecodeRow(0, 0, a.data());
      generic->DecodeRow(0, 0, b.data());
      for (UINT x = 0; x < width; ++x) {
        ASSERT_TRUE(SameBits(a[x], b[x]))
            << "format " << layout->format << " width " << width << " pixel " << x << " bytes "
            << HexBytes(&bytes[x * bytesPerPixel], bytesPerPixel) << ": kernel "
            << ColorText(a[x]) << ", generic " << ColorText(b[x]);
      }
    }
  }
}

TEST(PixelRowKernels, EncodeMatchesTheGenericLoop) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> ordinary(-0.25f, 1.25f);
  for (const PixelCodecLayout* layout : FormatsWithKernels()) {
    for (UINT width : {1u, 2u, 3u, 4u, 5u, 7u, 15u, 16u, 17u, 31u, 33u, 1024u}) {
      const size_t bytesPerPixel = layout->bitsPerPixel / 8;
      std::vector<UtColor> colors(width);
      for (UtColor& c : colors) {
        float ch[4];
        for (float& v : ch) v = random() % 4 == 0 ? SpecialValue(random) : ordinary(random);
        c = UtColor(ch[0], ch[1], ch[2], ch[3]);
      }
      std::vector<uint8_t> a(width * bytesPerPixel, 0xCD), b(width * bytesPerPixel, 0xCD);
      KernelSwitch kernels;
      std::unique_ptr<PixelCodec> fast = kernels.Create(
          MakeBlock(a.data(), layout->format, static_cast<UINT>(a.size()), width), true);
      std::unique_ptr<PixelCodec> generic = kernels.Create(
          MakeBlock(b.data(), layout->format, static_cast<UINT>(b.size()), width), false);
      ASSERT_TRUE(fast && generic);
      std::vector<UtColor> inA = colors, inB = colors;
      fast->EncodeRow(0, 0, inA.data());
      generic->EncodeRow(0, 0, inB.data());
      for (UINT x = 0; x < width; ++x) {
        ASSERT_EQ(HexBytes(&a[x * bytesPerPixel], bytesPerPixel),
                  HexBytes(&b[x * bytesPerPixel], bytesPerPixel))
            << "format " << layout->format << " width " << width << " pixel " << x
            << " colour " << ColorText(colors[x]);
      }
    }
  }
}

}  // namespace

namespace {

std::vector<UtColor> RandomColors(std::mt19937& random, UINT width) {
  std::uniform_real_distribution<float> ordinary(-0.25f, 1.25f);
  std::vector<UtColor> colors(width);
  for (UtColor& c : colors) {
    float ch[4];
    for (float& v : ch) v = random() % 4 == 0 ? SpecialValue(random) : ordinary(random);
    c = UtColor(ch[0], ch[1], ch[2], ch[3]);
  }
  return colors;
}

// Every family the processor has, called directly, against the generic codec.
TEST(PixelRowKernels, EveryFamilyMatchesTheGenericLoop) {
  std::mt19937 random(13);
  int families = 0;
  for (const PixelRowKernelFamily& family : PixelRowKernelFamilies()) {
    if (!family.available()) {
      std::printf("[   INFO   ] %s kernels not run: this processor lacks %s\n", family.name,
                  family.name);
      continue;
    }
    ++families;
    EXPECT_FALSE(family.kernels().empty()) << family.name << " is available but has no kernels";
    for (const PixelRowKernels& kernels : family.kernels()) {
      const size_t bytesPerPixel = kernels.format == D3DFMT_L8 ? 1 : 4;
      for (UINT width : {1u, 2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 64u, 1000u}) {
        KernelSwitch generic;
        // Decoding.
        std::vector<uint8_t> bytes(width * bytesPerPixel);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        std::unique_ptr<PixelCodec> reference = generic.Create(
            MakeBlock(bytes.data(), kernels.format, static_cast<UINT>(bytes.size()), width), false);
        ASSERT_NE(reference, nullptr);
        std::vector<UtColor> want(width), got(width + 1, UtColor(-9, -9, -9, -9));
        reference->DecodeRow(0, 0, want.data());
        kernels.decode(bytes.data(), got.data(), width);
        for (UINT x = 0; x < width; ++x) {
          ASSERT_TRUE(SameBits(got[x], want[x]))
              << family.name << " decode of format " << kernels.format << " width " << width
              << " pixel " << x << ": " << ColorText(got[x]) << " vs " << ColorText(want[x]);
        }
        EXPECT_TRUE(SameBits(got[width], UtColor(-9, -9, -9, -9))) << "wrote past the row";
        // Encoding; the luminance step belongs to the codec, before the kernel.
        const std::vector<UtColor> colors = RandomColors(random, width);
        std::vector<uint8_t> wantBytes(width * bytesPerPixel, 0xCD);
        std::vector<uint8_t> gotBytes(width * bytesPerPixel + 1, 0xCD);
        reference = generic.Create(MakeBlock(wantBytes.data(), kernels.format,
                                             static_cast<UINT>(wantBytes.size()), width),
                                   false);
        std::vector<UtColor> in = colors;
        reference->EncodeRow(0, 0, in.data());
        in = colors;
        if (kernels.format == D3DFMT_L8) ReplaceRedByLuminance(in.data(), width);
        kernels.encode(in.data(), gotBytes.data(), width);
        EXPECT_EQ(gotBytes[width * bytesPerPixel], 0xCD) << "wrote past the row";
        for (UINT x = 0; x < width; ++x) {
          ASSERT_EQ(HexBytes(&gotBytes[x * bytesPerPixel], bytesPerPixel),
                    HexBytes(&wantBytes[x * bytesPerPixel], bytesPerPixel))
              << family.name << " encode of format " << kernels.format << " width " << width
              << " pixel " << x << " colour " << ColorText(colors[x]);
        }
      }
    }
  }
  EXPECT_GE(families, 1);
}

}  // namespace

namespace {

// Every family against the generic codec over rows that start anywhere a UtColor may (every
// 4-byte offset within a cache line) and packed rows at every byte offset, for every width up to
// two full groups of the widest family: the kernels take pixels one group at a time before and
// after their aligned loop, and must neither miss one nor touch a byte outside the row.
TEST(PixelRowKernels, EveryFamilyMatchesAtEveryAlignmentAndWidth) {
  std::mt19937 random(17);
  constexpr float kGuard = -9.0f;
  constexpr uint8_t kGuardByte = 0xCD;
  for (const PixelRowKernelFamily& family : PixelRowKernelFamilies()) {
    if (!family.available()) continue;
    for (const PixelRowKernels& kernels : family.kernels()) {
      const size_t bytesPerPixel = kernels.format == D3DFMT_L8 ? 1 : 4;
      for (UINT width = 0; width <= 40; ++width) {
        for (size_t floatOffset = 0; floatOffset < 16; ++floatOffset) {
          const size_t byteOffset = floatOffset % 4;
          // Decoding into a row of colours that starts floatOffset floats into a line.
          std::vector<uint8_t> packed(byteOffset + width * bytesPerPixel + 1);
          for (uint8_t& b : packed) b = static_cast<uint8_t>(random());
          std::vector<UtColor> want(width);
          if (width > 0) {
            KernelSwitch generic;
            std::unique_ptr<PixelCodec> reference = generic.Create(
                MakeBlock(packed.data() + byteOffset, kernels.format,
                          static_cast<UINT>(width * bytesPerPixel), width),
                false);
            ASSERT_NE(reference, nullptr);
            reference->DecodeRow(0, 0, want.data());
          }
          alignas(64) float floats[16 + 4 * 41 + 4];
          std::fill(std::begin(floats), std::end(floats), kGuard);
          UtColor* const out = reinterpret_cast<UtColor*>(floats + floatOffset);
          kernels.decode(packed.data() + byteOffset, out, width);
          for (UINT x = 0; x < width; ++x) {
            ASSERT_TRUE(SameBits(out[x], want[x]))
                << family.name << " decode of format " << kernels.format << " width " << width
                << " row offset " << 4 * floatOffset << " pixel " << x << ": "
                << ColorText(out[x]) << " vs " << ColorText(want[x]);
          }
          for (size_t f = 0; f < std::size(floats); ++f) {
            if (f >= floatOffset && f < floatOffset + 4 * width) continue;
            ASSERT_EQ(floats[f], kGuard) << family.name << " decode of format " << kernels.format
                                         << " width " << width << " row offset "
                                         << 4 * floatOffset << " wrote float " << f;
          }
          // Encoding from that row into packed bytes at byteOffset.
          const std::vector<UtColor> colors = RandomColors(random, width);
          std::vector<uint8_t> wantBytes(width * bytesPerPixel + 1, kGuardByte);
          if (width > 0) {
            KernelSwitch generic;
            std::unique_ptr<PixelCodec> reference = generic.Create(
                MakeBlock(wantBytes.data(), kernels.format,
                          static_cast<UINT>(width * bytesPerPixel), width),
                false);
            std::vector<UtColor> in = colors;
            reference->EncodeRow(0, 0, in.data());
          }
          std::fill(std::begin(floats), std::end(floats), kGuard);
          UtColor* const in = reinterpret_cast<UtColor*>(floats + floatOffset);
          for (UINT x = 0; x < width; ++x) in[x] = colors[x];
          if (kernels.format == D3DFMT_L8) ReplaceRedByLuminance(in, width);
          std::vector<uint8_t> gotBytes(byteOffset + width * bytesPerPixel + 8, kGuardByte);
          kernels.encode(in, gotBytes.data() + byteOffset, width);
          for (UINT x = 0; x < width; ++x) {
            ASSERT_EQ(HexBytes(&gotBytes[byteOffset + x * bytesPerPixel], bytesPerPixel),
                      HexBytes(&wantBytes[x * bytesPerPixel], bytesPerPixel))
                << family.name << " encode of format " << kernels.format << " width " << width
                << " row offset " << 4 * floatOffset << " pixel " << x << " colour "
                << ColorText(colors[x]);
          }
          for (size_t b = 0; b < gotBytes.size(); ++b) {
            if (b >= byteOffset && b < byteOffset + width * bytesPerPixel) continue;
            ASSERT_EQ(gotBytes[b], kGuardByte)
                << family.name << " encode of format " << kernels.format << " width " << width
                << " wrote byte " << b;
          }
        }
      }
    }
  }
}

}  // namespace
