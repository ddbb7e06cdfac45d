/*
 * case.cpp - in-place UTF-32 case conversion: tkzstup and tkzstlo.
 *
 * Without a case-mapping service every character goes through the static
 * tables.  With one (word 27 of the kernel handle, fetched once per call),
 * characters below 128 still go through the tables and every other one is
 * replaced by what the service returns, unchecked.  The byte conversions
 * skStrUp and skStrLow are vectorised and live with the other vectorised
 * primitives.
 *
 * Relies on: Exported_TKHandle (a null handle counts as no service).
 */
#include "case.h"

/* The tables' mapping of a character below 128: only 'a'..'z' (upper) or
 * 'A'..'Z' (lower) change, by 32.  A test checks every character against
 * the tables' own answer. */
static inline uint32_t ascii_case(uint32_t c, int upper)
{
    uint32_t first = upper ? 'a' : 'A';
    return c - first < 26 ? (upper ? c - 32 : c + 32) : c;
}

static void convert(uint32_t *s, int64_t n, int upper)
{
    if (n <= 0)
        return;
    void *kernel = Exported_TKHandle;
    void *svc = kernel ? tkh_word(kernel, TKH_KERNEL_CASEMAP_WORD) : nullptr;
    if (svc == nullptr) {
        for (int64_t i = 0; i < n; i++) {
            uint32_t c = s[i];
            s[i] = c < 128 ? ascii_case(c, upper) : upper ? skChUp(c) : skChLow(c);
        }
        return;
    }
    tkhCaseMapFn map =
        TKH_ENTRY(tkhCaseMapFn, svc, upper ? TKH_CASEMAP_UPPER : TKH_CASEMAP_LOWER);
    for (int64_t i = 0; i < n; i++) {
        uint32_t c = s[i];
        if (c < 128)
            s[i] = ascii_case(c, upper);
        else
            s[i] = map(svc, c, 1);
    }
}

void tkzstup(uint32_t *s, int64_t n)
{
    convert(s, n, 1);
}

void tkzstlo(uint32_t *s, int64_t n)
{
    convert(s, n, 0);
}
