/*
 * scalar.h - the plain unit-by-unit forms of the vectorised primitives.
 *
 * These are the definitions: each vectorised variant must give exactly
 * these results, and the tests check every variant against them over all
 * lengths and alignments.  Header-only so the tests can use them directly.
 */
#ifndef STRKERNEL_SCALAR_H
#define STRKERNEL_SCALAR_H

#include <stdint.h>

static inline void sk_ref_MemSet(void *buf, int32_t value, int64_t n)
{
    uint8_t *p = (uint8_t *)buf;
    for (int64_t i = 0; i < n; i++)
        p[i] = (uint8_t)value;
}

static inline void sk_ref_MemTSet(uint32_t *buf, uint32_t value, int64_t n)
{
    for (int64_t i = 0; i < n; i++)
        buf[i] = value;
}

static inline int64_t sk_ref_MemScan(const void *buf, uint64_t n, int32_t value)
{
    const uint8_t *p = (const uint8_t *)buf;
    if (p == 0)
        return -1;
    for (uint64_t i = 0; i < n; i++)
        if (p[i] == (uint8_t)value)
            return (int64_t)i;
    return -1;
}

static inline int64_t sk_ref_MemNScan(const void *buf, uint64_t n, int32_t value)
{
    const uint8_t *p = (const uint8_t *)buf;
    if (p == 0)
        return -1;
    for (uint64_t i = 0; i < n; i++)
        if (p[i] != (uint8_t)value)
            return (int64_t)i;
    return -1;
}

static inline int64_t sk_ref_MemTNScan(const uint32_t *buf, int64_t n, uint32_t value)
{
    if (buf == 0)
        return -1;
    for (int64_t i = 0; i < n; i++)
        if (buf[i] != value)
            return i;
    return -1;
}

static inline int32_t sk_ref_MemNot(int32_t value, const void *buf, uint64_t n)
{
    const uint8_t *p = (const uint8_t *)buf;
    for (uint64_t i = 0; i < n; i++)
        if (p[i] != (uint8_t)value)
            return 0;
    return 1;
}

static inline int32_t sk_ref_MemTNot(uint32_t value, const uint32_t *buf, uint64_t n)
{
    for (uint64_t i = 0; i < n; i++)
        if (buf[i] != value)
            return 0;
    return 1;
}

static inline int32_t sk_ref_MemCmp(const void *a, const void *b, uint64_t n)
{
    const uint8_t *x = (const uint8_t *)a, *y = (const uint8_t *)b;
    for (uint64_t i = 0; i < n; i++)
        if (x[i] != y[i])
            return x[i] < y[i] ? -1 : 1;
    return 0;
}

static inline int32_t sk_ref_WMemCmp(const uint32_t *a, const uint32_t *b, uint64_t n)
{
    for (uint64_t i = 0; i < n; i++)
        if (a[i] != b[i])
            return (int32_t)(a[i] - b[i]) < 0 ? -1 : 1;
    return 0;
}

static inline void sk_ref_StrUp(uint8_t *s, int64_t n)
{
    for (int64_t i = 0; i < n; i++)
        if (s[i] >= 'a' && s[i] <= 'z')
            s[i] = (uint8_t)(s[i] - 0x20);
}

static inline void sk_ref_StrLow(uint8_t *s, int64_t n)
{
    for (int64_t i = 0; i < n; i++)
        if (s[i] >= 'A' && s[i] <= 'Z')
            s[i] = (uint8_t)(s[i] + 0x20);
}

#endif /* STRKERNEL_SCALAR_H */
