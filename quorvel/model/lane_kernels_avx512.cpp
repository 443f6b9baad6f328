// The kernels for processors with AVX-512 (foundation): eight demes (or amounts) per
// register, selections through mask registers. Compiled with -mavx512f alone: nothing here
// may fuse a multiply with an add.
// GCC 12 takes the intrinsics' placeholder for unused result lanes for an uninitialised value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include "common/power.h"
#include "quorvel/model/genotype_tables.h"
#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/uniform_generator.h"

namespace quorvel::lanes {
namespace avx512 {

#include "quorvel/model/lane_scalar.inc"

struct Lanes {
  using T = __m512d;
  using Mask = __mmask8;
  static constexpr int kWidth = 8;
  static T Load(const double* p) { return _mm512_loadu_pd(p); }
  static void Store(double* p, T v) { _mm512_storeu_pd(p, v); }
  // The first k (below kWidth) of the lanes, the others 0 and never touched in memory.
  static Mask First(int k) { return static_cast<Mask>((1u << k) - 1); }
  static T Load(const double* p, int k) { return _mm512_maskz_loadu_pd(First(k), p); }
  static void Store(double* p, T v, int k) { _mm512_mask_storeu_pd(p, First(k), v); }
  // The first k of the values, built in registers from values held there: a vector load of
  // values just stored one by one would wait for the stores to reach the cache.
  static T Gather(const double* p, int k) {
    auto at = [&](int i) { return i < k ? p[i] : 0.0; };
    return _mm512_set_pd(at(7), at(6), at(5), at(4), at(3), at(2), at(1), at(0));
  }
  static T LoadFloats(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
  static T LoadFloats(const float* p, int k) {
    return _mm512_cvtps_pd(_mm512_castps512_ps256(_mm512_maskz_loadu_ps(First(k), p)));
  }
  static T LoadUniforms(const uint32_t* p) {
    return Uniforms(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
  }
  static T LoadUniforms(const uint32_t* p, int k) {
    return Uniforms(_mm512_castsi512_si256(_mm512_maskz_loadu_epi32(First(k), p)));
  }
  // UniformGenerator::Uniform on eight words: the 24-bit integer, exact in float64, times
  // 2^-24.
  static T Uniforms(__m256i w) {
    w = _mm256_mullo_epi32(w, _mm256_set1_epi32(5));
    w = _mm256_or_si256(_mm256_slli_epi32(w, 7), _mm256_srli_epi32(w, 25));
    w = _mm256_srli_epi32(_mm256_mullo_epi32(w, _mm256_set1_epi32(9)), 8);
    return _mm512_mul_pd(_mm512_cvtepi32_pd(w), _mm512_set1_pd(1.0 / 16777216.0));
  }
  static T Set(double v) { return _mm512_set1_pd(v); }
  static T Sqrt(T v) { return _mm512_sqrt_pd(v); }
  static T Floor(T v) { return _mm512_roundscale_pd(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
  static T Ceil(T v) { return _mm512_roundscale_pd(v, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC); }
  static T CopySign(T magnitude, T sign) {
    const __m512i bit = _mm512_set1_epi64(static_cast<long long>(0x8000000000000000ull));
    const __m512i m = _mm512_andnot_si512(bit, _mm512_castpd_si512(magnitude));
    const __m512i s = _mm512_and_si512(bit, _mm512_castpd_si512(sign));
    return _mm512_castsi512_pd(_mm512_or_si512(m, s));
  }
  static Mask Lt(T a, T b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static Mask Gt(T a, T b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
  static Mask Ge(T a, T b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
  static Mask Eq(T a, T b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
  static Mask And(Mask a, Mask b) { return static_cast<Mask>(a & b); }
  static Mask Or(Mask a, Mask b) { return static_cast<Mask>(a | b); }
  static T Select(Mask m, T a, T b) { return _mm512_mask_blend_pd(m, b, a); }
  static bool Any(Mask m) { return m != 0; }
  static Mask MaskOf(unsigned lanes) { return static_cast<Mask>(lanes); }
  // Lane j of the pair (a, b) that index[j] names (0 to 15).
  static T Permute(T a, T b, const int (&index)[kWidth]) {
    return _mm512_permutex2var_pd(a,
                                  _mm512_set_epi64(index[7], index[6], index[5], index[4], index[3],
                                                   index[2], index[1], index[0]),
                                  b);
  }
  // Keeps a value computed whole: a later selection between it and another result would
  // otherwise become a masked operation that waits for the other.
  static void Apart(T& v) { __asm__("" : "+v"(v)); }
  // Lane j as a value in registers, never through memory.
  static double Lane(T v, int j) { return v[j]; }
};

#include "quorvel/model/lane_operators.inc"

}  // namespace avx512

const Kernels& Avx512Kernels() {
  return avx512::kKernels;
}

}  // namespace quorvel::lanes
