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

static void convert(uint32_t *s, int64_t n, int upper)
{
    if (n <= 0)
        return;
    void *kernel = Exported_TKHandle;
    void *svc = kernel ? tkh_word(kernel, TKH_KERNEL_CASEMAP_WORD) : nullptr;
    if (svc == nullptr) {
        for (int64_t i = 0; i < n; i++)
            s[i] = upper ? skChUp(s[i]) : skChLow(s[i]);
        return;
    }
    tkhCaseMapFn map =
        TKH_ENTRY(tkhCaseMapFn, svc, upper ? TKH_CASEMAP_UPPER : TKH_CASEMAP_LOWER);
    for (int64_t i = 0; i < n; i++) {
        uint32_t c = s[i];
        if (c < 128)
            s[i] = upper ? skChUp(c) : skChLow(c);
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
