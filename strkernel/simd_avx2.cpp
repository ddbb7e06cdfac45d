/*
 * simd_avx2.cpp - the vectorised primitives over 32-byte AVX2 vectors,
 * chosen at load time on processors that have AVX2.  This file alone is
 * compiled with -mavx2 (see CMakeLists.txt); nothing here runs elsewhere.
 */
#include <immintrin.h>

#include "scalar.h"
#include "simd.h"

/* Ranges below one 32-byte vector.  Fills and scans of 16 to 31 bytes take
 * two overlapping 16-byte vectors here, inline, with no further call (the
 * second one ends exactly at the range's end, at a whole number of units
 * from its start); shorter ones go unit by unit.  The rest use the SSE2
 * forms. */
static inline int64_t sk_short_scan(const uint8_t *p, uint64_t n, __m128i v, int unit,
                                    int want_eq)
{
    __m128i a = _mm_loadu_si128((const __m128i *)(const void *)p);              /* [0, 16) */
    __m128i b = _mm_loadu_si128((const __m128i *)(const void *)(p + n - 16));   /* [n - 16, n) */
    uint32_t ma = (uint32_t)_mm_movemask_epi8(unit == 4 ? _mm_cmpeq_epi32(a, v) : _mm_cmpeq_epi8(a, v));
    uint32_t mb = (uint32_t)_mm_movemask_epi8(unit == 4 ? _mm_cmpeq_epi32(b, v) : _mm_cmpeq_epi8(b, v));
    if (!want_eq) {
        ma = ~ma & 0xFFFFu;
        mb = ~mb & 0xFFFFu;
    }
    uint64_t hits = ma | (uint64_t)mb << (n - 16);
    return hits ? (int64_t)__builtin_ctzll(hits) : -1;
}

static inline void sk_short_fill(uint8_t *p, uint64_t n, __m128i v)
{
    _mm_storeu_si128((__m128i *)(void *)p, v);
    _mm_storeu_si128((__m128i *)(void *)(p + n - 16), v);
}

static inline void sk_avx2_short_MemSet(void *buf, int32_t value, int64_t n)
{
    if (n >= 16)
        sk_short_fill((uint8_t *)buf, (uint64_t)n, _mm_set1_epi8((char)value));
    else
        sk_ref_MemSet(buf, value, n);
}

static inline void sk_avx2_short_MemTSet(uint32_t *buf, uint32_t value, int64_t n)
{
    if (n >= 4)
        sk_short_fill((uint8_t *)buf, (uint64_t)n * 4, _mm_set1_epi32((int)value));
    else
        sk_ref_MemTSet(buf, value, n);
}

static inline int64_t sk_avx2_short_MemScan(const void *buf, uint64_t n, int32_t value)
{
    if (buf == 0 || n < 16)
        return sk_ref_MemScan(buf, n, value);
    return sk_short_scan((const uint8_t *)buf, n, _mm_set1_epi8((char)value), 1, 1);
}

static inline int64_t sk_avx2_short_MemNScan(const void *buf, uint64_t n, int32_t value)
{
    if (buf == 0 || n < 16)
        return sk_ref_MemNScan(buf, n, value);
    return sk_short_scan((const uint8_t *)buf, n, _mm_set1_epi8((char)value), 1, 0);
}

static inline int64_t sk_avx2_short_MemTNScan(const uint32_t *buf, int64_t n, uint32_t value)
{
    if (buf == 0 || n < 4)
        return sk_ref_MemTNScan(buf, n, value);
    int64_t at = sk_short_scan((const uint8_t *)buf, (uint64_t)n * 4, _mm_set1_epi32((int)value), 4, 0);
    return at < 0 ? -1 : at / 4;
}

#define sk_avx2_short_MemNot sk_sse2_MemNot
#define sk_avx2_short_MemTNot sk_sse2_MemTNot
#define sk_avx2_short_MemCmp sk_sse2_MemCmp
#define sk_avx2_short_WMemCmp sk_sse2_WMemCmp
#define sk_avx2_short_StrUp sk_sse2_StrUp
#define sk_avx2_short_StrLow sk_sse2_StrLow

typedef __m256i skv;
#define SK_ISA(name) sk_avx2_##name
#define SK_SHORT(name) sk_avx2_short_##name
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
