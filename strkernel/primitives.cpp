/*
 * primitives.cpp - the memory and string primitives that are not
 * vectorised: skUnsup, skStrLen, skStrTLen, skStrCpy, skStrTCpy, skMemCpy,
 * skMemSCpy, skMemDup and skMissArray.
 *
 * The copies hand ranges of more than 96 bytes whose starts lie more than
 * the count apart to memcpy; everything else goes byte by byte, so that an
 * overlapping skMemCpy repeats the first (destination - source) bytes, as
 * callers of it rely on.
 *
 * Relies on: memcpy; the pool's allocate entry for skMemDup.
 */
#include <string.h>

#include "tkyrdif.h"

/* Copies above this many bytes may go to the platform's block copy. */
#define SK_BLOCK_COPY_MIN 96

int32_t skUnsup(void)
{
    return TKH_STATUS_UNSUPPORTED;
}

/* Units before the first zero unit; 0 for a null string. */
template <class Unit> static inline uint64_t string_length(const Unit *s)
{
    uint64_t n = 0;
    if (s)
        while (s[n] != 0)
            n++;
    return n;
}

/* Copies up to and including the terminating zero unit; a null source
 * gives a single zero unit, a null destination nothing. */
template <class Unit> static inline void string_copy(const Unit *src, Unit *dst)
{
    if (dst == nullptr)
        return;
    if (src == nullptr) {
        dst[0] = 0;
        return;
    }
    uint64_t i = 0;
    do
        dst[i] = src[i];
    while (src[i++] != 0);
}

uint64_t skStrLen(const uint8_t *s)
{
    return string_length(s);
}

uint64_t skStrTLen(const uint32_t *s)
{
    return string_length(s);
}

void skStrCpy(const uint8_t *src, uint8_t *dst)
{
    string_copy(src, dst);
}

void skStrTCpy(const uint32_t *src, uint32_t *dst)
{
    string_copy(src, dst);
}

/* True when a block copy of n bytes from src to dst cannot overlap and is
 * long enough to be worth it. */
static inline int block_copy_ok(const uint8_t *src, const uint8_t *dst, uint64_t n)
{
    uint64_t apart = src < dst ? (uint64_t)(dst - src) : (uint64_t)(src - dst);
    return n > SK_BLOCK_COPY_MIN && apart > n;
}

/* Ascending copy, each source byte read after every lower destination byte
 * is written. */
static inline void copy_ascending(const uint8_t *src, uint8_t *dst, uint64_t n)
{
    if (block_copy_ok(src, dst, n)) {
        memcpy(dst, src, n);
        return;
    }
    for (uint64_t i = 0; i < n; i++)
        dst[i] = src[i];
}

void *skMemCpy(const void *src, void *dst, int64_t n)
{
    if (n > 0)
        copy_ascending((const uint8_t *)src, (uint8_t *)dst, (uint64_t)n);
    return dst;
}

/* Overlap-safe copy.  When dst starts strictly inside the source, with
 * d = dst - src and r = n - d, it is built from pieces that never overlap
 * what they read:
 *   d >= r: src[d, n) (= dst[0, r)) goes first, to dst[d, n), which starts
 *           at src + 2d >= src + n; then src[0, d) to dst[0, d);
 *   d <  r: src[n - d, n) goes to dst[n - d, n), which starts at src + n;
 *           then offsets r - 1 down to d one by one (each write lands above
 *           every byte still to be read); then src[0, d) to dst[0, d). */
void skMemSCpy(const void *src_, void *dst_, uint64_t n)
{
    const uint8_t *src = (const uint8_t *)src_;
    uint8_t *dst = (uint8_t *)dst_;
    if (n == 0)
        return;
    if (src < dst && dst < src + n) {
        uint64_t d = (uint64_t)(dst - src); /* 1 .. n - 1 */
        uint64_t r = n - d;                 /* 1 .. n - 1 */
        if (d >= r) {
            memcpy(dst + d, src + d, r);
        } else {
            memcpy(dst + r, src + r, d);
            for (uint64_t k = r; k-- > d;)
                dst[k] = src[k];
        }
        memcpy(dst, src, d);
        return;
    }
    copy_ascending(src, dst, n);
}

void *skMemDup(const void *src, int64_t n, void *pool)
{
    if (src == nullptr || pool == nullptr)
        return nullptr;
    tkhPoolAllocFn alloc = TKH_ENTRY(tkhPoolAllocFn, pool, TKH_POOL_ALLOC);
    void *copy = alloc(pool, n, 0);
    if (copy == nullptr)
        return nullptr;
    if (n > 0)
        memcpy(copy, src, (size_t)n);
    return copy;
}

int32_t skMissArray(const double *values, uint64_t n)
{
    for (uint64_t i = 0; i < n; i++)
        if (values[i] != values[i])
            return 1;
    return 0;
}
