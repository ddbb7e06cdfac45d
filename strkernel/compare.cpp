/*
 * compare.cpp - case-insensitive UTF-32 comparison: tkzseqn (equality) and
 * tkzsncmp (order, the shorter string extended with blanks, ties broken by
 * the exact characters).
 *
 * Both fold with skChLow, the table-only lower-case mapping, and never
 * consult the host's case-mapping service.  A negative length counts as 0,
 * so that nothing outside the strings is read.
 *
 * Relies on: the case tables, skMemTNot.
 */
#include "case.h"

int32_t tkzseqn(const uint32_t *a, int64_t a_len, const uint32_t *b, int64_t b_len)
{
    if (a_len != b_len)
        return 0;
    for (int64_t i = 0; i < a_len; i++)
        if (skChLow(a[i]) != skChLow(b[i]))
            return 0;
    return 1;
}

int32_t tkzsncmp(const uint32_t *a, int64_t a_len, const uint32_t *b, int64_t b_len)
{
    if (a_len < 0)
        a_len = 0;
    if (b_len < 0)
        b_len = 0;
    int32_t tie = 0;
    int64_t n = a_len < b_len ? a_len : b_len;
    for (int64_t k = 0; k < n; k++) {
        uint32_t x = a[k], y = b[k];
        if (x == y)
            continue;
        if (tie == 0)
            tie = (int32_t)x < (int32_t)y ? -1 : 1;
        int32_t fx = (int32_t)skChLow(x), fy = (int32_t)skChLow(y);
        if (fx < fy)
            return -2;
        if (fx > fy)
            return 2;
    }
    if (a_len == b_len)
        return tie;
    if (a_len < b_len)
        return skMemTNot(0x20, b + n, (uint64_t)(b_len - n)) ? tie : -2;
    return skMemTNot(0x20, a + n, (uint64_t)(a_len - n)) ? tie : 2;
}
