// The kernels for processors with AVX2: four demes (or amounts) per register. Compiled with
// -mavx2 alone (no -mfma): nothing here may fuse a multiply with an add.
#include <immintrin.h>

#include "common/power.h"
#include "quorvel/model/genotype_tables.h"
#include "quorvel/model/lane_kernels.h"
#include "quorvel/model/uniform_generator.h"

namespace quorvel::lanes {
namespace avx2 {

#include "quorvel/model/lane_scalar.inc"

struct Lanes {
  using T = __m256d;
  using Mask = __m256d;
  static constexpr int kWidth = 4;
  static T Load(const double* p) { return _mm256_loadu_pd(p); }
  static void Store(double* p, T v) { _mm256_storeu_pd(p, v); }
  // The first k (below kWidth) of the lanes, the others 0 and never touched in memory.
  static __m128i First(int k) {
    return _mm_cmpgt_epi32(_mm_set1_epi32(k), _mm_set_epi32(3, 2, 1, 0));
  }
  static __m256i FirstWide(int k) { return _mm256_cvtepi32_epi64(First(k)); }
  static T Load(const double* p, int k) { return _mm256_maskload_pd(p, FirstWide(k)); }
  static void Store(double* p, T v, int k) { _mm256_maskstore_pd(p, FirstWide(k), v); }
  // The first k of the values, built in registers from values held there: a vector load of
  // values just stored one by one would wait for the stores to reach the cache.
  static T Gather(const double* p, int k) {
    auto at = [&](int i) { return i < k ? p[i] : 0.0; };
    return _mm256_set_pd(at(3), at(2), at(1), at(0));
  }
  static T LoadFloats(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
  static T LoadFloats(const float* p, int k) {
    return _mm256_cvtps_pd(_mm_maskload_ps(p, First(k)));
  }
  static T LoadUniforms(const uint32_t* p) {
    return Uniforms(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
  static T LoadUniforms(const uint32_t* p, int k) {
    return Uniforms(_mm_maskload_epi32(reinterpret_cast<const int*>(p), First(k)));
  }
  // UniformGenerator::Uniform on four words: the 24-bit integer, exact in float64, times
  // 2^-24.
  static T Uniforms(__m128i w) {
    w = _mm_mullo_epi32(w, _mm_set1_epi32(5));
    w = _mm_or_si128(_mm_slli_epi32(w, 7), _mm_srli_epi32(w, 25));
    w = _mm_srli_epi32(_mm_mullo_epi32(w, _mm_set1_epi32(9)), 8);
    return _mm256_mul_pd(_mm256_cvtepi32_pd(w), _mm256_set1_pd(1.0 / 16777216.0));
  }
  static T Set(double v) { return _mm256_set1_pd(v); }
  static T Sqrt(T v) { return _mm256_sqrt_pd(v); }
  static T Floor(T v) { return _mm256_round_pd(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
  static T Ceil(T v) { return _mm256_round_pd(v, _MM_FROUND_TO_POS_INF | _MM_FROUND_NO_EXC); }
  static T CopySign(T magnitude, T sign) {
    const T bit = _mm256_set1_pd(-0.0);
    return _mm256_or_pd(_mm256_andnot_pd(bit, magnitude), _mm256_and_pd(bit, sign));
  }
  static Mask Lt(T a, T b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static Mask Gt(T a, T b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
  static Mask Ge(T a, T b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
  static Mask Eq(T a, T b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  static Mask And(Mask a, Mask b) { return _mm256_and_pd(a, b); }
  static Mask Or(Mask a, Mask b) { return _mm256_or_pd(a, b); }
  static T Select(Mask m, T a, T b) { return _mm256_blendv_pd(b, a, m); }
  static bool Any(Mask m) { return _mm256_movemask_pd(m) != 0; }
  static void Apart(T&) {}
  // Lane j as a value in registers, never through memory.
  static double Lane(T v, int j) { return v[j]; }
};

#include "quorvel/model/lane_operators.inc"

}  // namespace avx2

const Kernels& Avx2Kernels() {
  return avx2::kKernels;
}

}  // namespace quorvel::lanes
