/*
 * simd_avx2.cpp - the vectorised primitives over 32-byte AVX2 vectors,
 * chosen at load time on processors that have AVX2.  This file alone is
 * compiled with -mavx2 (see CMakeLists.txt); nothing here runs elsewhere.
 */
#include <immintrin.h>

#include "scalar.h"
#include "simd.h"

typedef __m256i skv;
#define SK_ISA(name) sk_avx2_##name
#define SK_SHORT(name) sk_sse2_##name /* below 32 bytes: 16-byte vectors */
#define SKV_W 32
#define SKV_ALL 0xFFFFFFFFu
#define SKV_LOAD(p) _mm256_loadu_si256((const __m256i *)(const void *)(p))
#define SKV_STORE(p, v) _mm256_storeu_si256((__m256i *)(void *)(p), (v))
#define SKV_SPLAT8(x) _mm256_set1_epi8(x)
#define SKV_SPLAT32(x) _mm256_set1_epi32(x)
#define SKV_EQ8(a, b) _mm256_cmpeq_epi8((a), (b))
#define SKV_EQ32(a, b) _mm256_cmpeq_epi32((a), (b))
#define SKV_GT8(a, b) _mm256_cmpgt_epi8((a), (b))
#define SKV_AND(a, b) _mm256_and_si256((a), (b))
#define SKV_OR(a, b) _mm256_or_si256((a), (b))
#define SKV_ADD8(a, b) _mm256_add_epi8((a), (b))
#define SKV_MASK(v) ((uint32_t)_mm256_movemask_epi8(v))

#include "simd_impl.inc"
