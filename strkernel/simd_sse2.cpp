/*
 * simd_sse2.cpp - the vectorised primitives over 16-byte SSE2 vectors, the
 * x86-64 baseline that every processor of the platform has.
 */
#include <emmintrin.h>

#include "scalar.h"
#include "simd.h"

typedef __m128i skv;
#define SK_ISA(name) sk_sse2_##name
#define SK_SHORT(name) sk_ref_##name /* below 16 bytes: unit by unit */
#define SKV_W 16
#define SKV_ALL 0xFFFFu
#define SKV_LOAD(p) _mm_loadu_si128((const __m128i *)(const void *)(p))
#define SKV_STORE(p, v) _mm_storeu_si128((__m128i *)(void *)(p), (v))
#define SKV_SPLAT8(x) _mm_set1_epi8(x)
#define SKV_SPLAT32(x) _mm_set1_epi32(x)
#define SKV_EQ8(a, b) _mm_cmpeq_epi8((a), (b))
#define SKV_EQ32(a, b) _mm_cmpeq_epi32((a), (b))
#define SKV_GT8(a, b) _mm_cmpgt_epi8((a), (b))
#define SKV_AND(a, b) _mm_and_si128((a), (b))
#define SKV_OR(a, b) _mm_or_si128((a), (b))
#define SKV_ADD8(a, b) _mm_add_epi8((a), (b))
#define SKV_MASK(v) ((uint32_t)_mm_movemask_epi8(v))

#include "simd_impl.inc"
