/*
 * minmax.cpp - tkzstmin and tkzstmax: every character replaced in place by
 * the smallest or largest member of its case class.
 *
 * Each character costs two table reads and an addition; characters above
 * U+FFFF and pages without a block stay as they are.  Each character is
 * mapped once.
 *
 * Relies on: the generated min/max tables.
 */
#include "minmax_tables.h"
#include "tkyrdif.h"

static void map_all(uint32_t *s, int64_t n, const int32_t *meta, const int32_t *shift)
{
    for (int64_t i = 0; i < n; i++) {
        uint32_t c = s[i];
        if (c > 0xFFFF)
            continue;
        int32_t e = meta[c >> 7]; /* -1, or an element index 0 .. 30 * 128 */
        if (e >= 0)
            s[i] = c + (uint32_t)shift[e + (int32_t)(c & 0x7F)];
    }
}

void tkzstmin(uint32_t *s, int64_t n)
{
    map_all(s, n, skz_min_meta, skz_minshift);
}

void tkzstmax(uint32_t *s, int64_t n)
{
    map_all(s, n, skz_max_meta, skz_maxshift);
}
