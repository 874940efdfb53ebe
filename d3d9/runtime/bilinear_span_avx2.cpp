#include "d3d9/runtime/bilinear_span_avx2.h"

#include <immintrin.h>

namespace d3d9rt {
namespace {

// The fraction in each pixel's low byte, spread over the pixel's four 16-bit channel lanes,
// for the pixels unpacklo_epi8 (dwords 0, 1 of each half) and unpackhi_epi8 (2, 3) widen.
__m256i SpreadLow(__m256i f) {
  const __m256i order = _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1,
                                         0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1);
  return _mm256_shuffle_epi8(f, order);
}
__m256i SpreadHigh(__m256i f) {
  const __m256i order = _mm256_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1,
                                         8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1);
  return _mm256_shuffle_epi8(f, order);
}

// (a * (256 - w) + b * w + 128) >> 8 per 16-bit channel; no sum exceeds 255 * 256 + 128.
__m256i Mix(__m256i a, __m256i b, __m256i w) {
  const __m256i rest = _mm256_sub_epi16(_mm256_set1_epi16(256), w);
  const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(a, rest), _mm256_mullo_epi16(b, w));
  return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(128)), 8);
}

// Four texels of eight pixels weighed: across with fx, then down with fy.
__m256i Weigh(__m256i a, __m256i b, __m256i c, __m256i d, __m256i fx, __m256i fy) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i fxLo = SpreadLow(fx), fxHi = SpreadHigh(fx);
  const __m256i fyLo = SpreadLow(fy), fyHi = SpreadHigh(fy);
  const __m256i topLo = Mix(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero), fxLo);
  const __m256i topHi = Mix(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero), fxHi);
  const __m256i bottomLo = Mix(_mm256_unpacklo_epi8(c, zero), _mm256_unpacklo_epi8(d, zero), fxLo);
  const __m256i bottomHi = Mix(_mm256_unpackhi_epi8(c, zero), _mm256_unpackhi_epi8(d, zero), fxHi);
  return _mm256_packus_epi16(Mix(topLo, bottomLo, fyLo), Mix(topHi, bottomHi, fyHi));
}

// The depth keys of eight pixels from their fixed-point depths, four to a register.
__m256i DepthKeys(__m256i fixedLo, __m256i fixedHi, __m256i maxKey, __m128i shift) {
  const __m256i half = _mm256_set1_epi64x(int64_t{1} << 23);
  const __m256i zero = _mm256_setzero_si256();
  auto clamp = [&](__m256i fixed) {
    const __m256i t = _mm256_add_epi64(fixed, half);
    // A logical shift is the arithmetic one wherever t >= 0; negative t reads 0.
    __m256i key = _mm256_andnot_si256(_mm256_cmpgt_epi64(zero, t), _mm256_srli_epi64(t, 24));
    return _mm256_blendv_epi8(key, maxKey, _mm256_cmpgt_epi64(key, maxKey));
  };
  const __m256i odd = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i lo = _mm256_permutevar8x32_epi32(clamp(fixedLo), odd);
  const __m256i hi = _mm256_permutevar8x32_epi32(clamp(fixedHi), odd);
  return _mm256_sll_epi32(_mm256_permute2x128_si256(lo, hi, 0x20), shift);
}

// The texels at byte offsets `at` and the ones just right of them, as two 64-bit gathers: the
// first takes pixels 0, 1, 4, 5 and the second 2, 3, 6, 7, so that separating the pairs puts
// the texels back in pixel order.
void GatherPairs(const int* bits, __m256i at, __m256i* left, __m256i* right) {
  const __m256i order = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
  const __m256i split = _mm256_permutevar8x32_epi32(at, order);
  const long long* base = reinterpret_cast<const long long*>(bits);
  const __m256 first = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_castsi256_si128(split), 1));
  const __m256 second = _mm256_castsi256_ps(_mm256_i32gather_epi64(base, _mm256_extracti128_si256(split, 1), 1));
  *left = _mm256_castps_si256(_mm256_shuffle_ps(first, second, 0x88));
  *right = _mm256_castps_si256(_mm256_shuffle_ps(first, second, 0xdd));
}

__m256i Ramp(uint32_t start, uint32_t step) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  return _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(start)),
                          _mm256_mullo_epi32(lanes, _mm256_set1_epi32(static_cast<int>(step))));
}

}  // namespace

bool HaveBilinearSpanAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

void BilinearSpanAvx2(const BilinearSpanJob& job) {
  const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i all = _mm256_set1_epi32(-1);
  const __m256i maskX = _mm256_set1_epi32(static_cast<int>(job.maskX));
  const __m256i maskY = _mm256_set1_epi32(static_cast<int>(job.maskY));
  const __m256i byte = _mm256_set1_epi32(255);
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i seven = _mm256_set1_epi32(7);
  // The leftmost texel column of a group is its first pixel's, or its last one's where u falls
  // along the row.
  const __m256i firstLane = _mm256_set1_epi32(static_cast<int32_t>(job.du) < 0 ? 7 : 0);
  const __m256i pitch = _mm256_set1_epi32(static_cast<int>(job.pitch));
  const __m256i alpha = _mm256_set1_epi32(static_cast<int>(job.alpha));
  const __m256i keep = _mm256_set1_epi32(static_cast<int>(job.keep));
  const int* const bits = reinterpret_cast<const int*>(job.bits);
  __m256i u = Ramp(job.u, job.du), v = Ramp(job.v, job.dv);
  const __m256i du = _mm256_set1_epi32(static_cast<int>(job.du * 8u));
  const __m256i dv = _mm256_set1_epi32(static_cast<int>(job.dv * 8u));

  const __m256i field = _mm256_set1_epi32(static_cast<int>(job.field));
  const __m256i sign = _mm256_set1_epi32(INT32_MIN);
  const __m256i passLess = (job.passMask & 1u) ? all : _mm256_setzero_si256();
  const __m256i passEqual = (job.passMask & 2u) ? all : _mm256_setzero_si256();
  const __m256i passGreater = (job.passMask & 4u) ? all : _mm256_setzero_si256();
  const __m256i maxKey = _mm256_set1_epi64x(job.maxKey);
  const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(job.shift));
  const int64_t s = job.fixedStep;
  __m256i fixedLo = _mm256_setr_epi64x(job.fixed, job.fixed + s, job.fixed + 2 * s, job.fixed + 3 * s);
  __m256i fixedHi = _mm256_add_epi64(fixedLo, _mm256_set1_epi64x(4 * s));
  const __m256i fixedStep = _mm256_set1_epi64x(8 * s);

  for (int i = 0; i < job.count; i += 8) {
    const int left = job.count - i;
    __m256i pass = left >= 8 ? all : _mm256_cmpgt_epi32(_mm256_set1_epi32(left), lanes);
    if (job.depth) {
      int* const at = reinterpret_cast<int*>(job.depth + i);
      const __m256i word = left >= 8 ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at))
                                     : _mm256_maskload_epi32(at, pass);
      const __m256i key = DepthKeys(fixedLo, fixedHi, maxKey, shift);
      const __m256i stored = _mm256_and_si256(word, field);
      const __m256i less = _mm256_cmpgt_epi32(_mm256_xor_si256(stored, sign), _mm256_xor_si256(key, sign));
      const __m256i equal = _mm256_cmpeq_epi32(key, stored);
      const __m256i greater = _mm256_andnot_si256(_mm256_or_si256(less, equal), all);
      const __m256i passed = _mm256_or_si256(
          _mm256_or_si256(_mm256_and_si256(less, passLess), _mm256_and_si256(equal, passEqual)),
          _mm256_and_si256(greater, passGreater));
      pass = _mm256_and_si256(pass, passed);
      if (job.write) {
        const __m256i updated = _mm256_or_si256(_mm256_andnot_si256(field, word), key);
        if (_mm256_movemask_ps(_mm256_castsi256_ps(pass)) == 0xff) {
          _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), updated);
        } else {
          _mm256_maskstore_epi32(at, pass, updated);
        }
      }
      fixedLo = _mm256_add_epi64(fixedLo, fixedStep);
      fixedHi = _mm256_add_epi64(fixedHi, fixedStep);
    }
    const int drawn = _mm256_movemask_ps(_mm256_castsi256_ps(pass));
    if (drawn != 0) {
      const __m256i ax = _mm256_and_si256(_mm256_srli_epi32(u, 16), maskX);
      const __m256i ay = _mm256_and_si256(_mm256_srli_epi32(v, 16), maskY);
      // The texel column of the group's leftmost pixel, and each pixel's column from it.
      const __m256i first = _mm256_permutevar8x32_epi32(ax, firstLane);
      const __m256i across = _mm256_sub_epi32(ax, first);
      const __m256i sameRow = _mm256_cmpeq_epi32(ay, _mm256_permutevar8x32_epi32(ay, _mm256_setzero_si256()));
      const __m256i near = _mm256_cmpeq_epi32(_mm256_max_epu32(across, seven), seven);
      const uint32_t column = static_cast<uint32_t>(_mm256_cvtsi256_si32(first));
      __m256i a, b, c, d;
      if (_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_and_si256(sameRow, near))) == 0xff &&
          column + 8 <= job.maskX) {
        // One row of texels and at most eight columns (and their right neighbours), none
        // wrapping: two loads a row, each pixel picking its texel out of them.
        const uint32_t row = static_cast<uint32_t>(_mm256_cvtsi256_si32(ay));
        const uint8_t* const top = job.bits + static_cast<size_t>(row) * job.pitch + column * 4u;
        const uint8_t* const bottom = job.bits + static_cast<size_t>((row + 1) & job.maskY) * job.pitch + column * 4u;
        a = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(top)), across);
        b = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + 4)), across);
        c = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom)), across);
        d = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + 4)), across);
      } else {
        const __m256i bx = _mm256_and_si256(_mm256_add_epi32(ax, one), maskX);
        const __m256i by = _mm256_and_si256(_mm256_add_epi32(ay, one), maskY);
        const __m256i top = _mm256_mullo_epi32(ay, pitch), bottom = _mm256_mullo_epi32(by, pitch);
        const __m256i left4 = _mm256_slli_epi32(ax, 2), right4 = _mm256_slli_epi32(bx, 2);
        if (_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(ax, maskX))) == 0) {
          // No pixel wraps across the right edge: each pair of texels sits side by side.
          GatherPairs(bits, _mm256_add_epi32(top, left4), &a, &b);
          GatherPairs(bits, _mm256_add_epi32(bottom, left4), &c, &d);
        } else {
          a = _mm256_i32gather_epi32(bits, _mm256_add_epi32(top, left4), 1);
          b = _mm256_i32gather_epi32(bits, _mm256_add_epi32(top, right4), 1);
          c = _mm256_i32gather_epi32(bits, _mm256_add_epi32(bottom, left4), 1);
          d = _mm256_i32gather_epi32(bits, _mm256_add_epi32(bottom, right4), 1);
        }
      }
      const __m256i fx = _mm256_and_si256(_mm256_srli_epi32(u, 8), byte);
      const __m256i fy = _mm256_and_si256(_mm256_srli_epi32(v, 8), byte);
      const __m256i texel = _mm256_or_si256(Weigh(a, b, c, d, fx, fy), alpha);
      const __m256i out = _mm256_and_si256(texel, keep);
      int* const to = reinterpret_cast<int*>(job.color + i);
      if (drawn == 0xff) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), out);
      } else {
        _mm256_maskstore_epi32(to, pass, out);
      }
    }
    u = _mm256_add_epi32(u, du);
    v = _mm256_add_epi32(v, dv);
  }
}

}  // namespace d3d9rt
