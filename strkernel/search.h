/*
 * search.h - the UTF-32 substring search and trailing-blank trim, inline,
 * for the exported tkzsndx and tkzstrp and for the basis parser, which
 * runs a dozen searches over a short text per call.
 *
 * A blank is U+0020 only.  Invalid (negative) lengths never lead to a read
 * outside the given strings.
 */
#ifndef STRKERNEL_SEARCH_H
#define STRKERNEL_SEARCH_H

#include <stdint.h>

/* Position of the first occurrence of needle in hay, 0 for an empty
 * needle, -1 when there is none.  A plain left-to-right scan that tests the
 * first character before comparing the rest. */
static inline int64_t sk_search(const uint32_t *hay, int64_t hay_len, const uint32_t *needle,
                                int64_t needle_len)
{
    if (needle_len == 0)
        return 0;
    if (needle_len < 0)
        return needle == 0 ? 0 : -1;
    if (hay_len <= 0)
        return -1;
    int64_t limit = hay_len - (needle_len - 1); /* positions where the needle fits */
    if (limit <= 0)
        return -1;
    const uint32_t first = needle[0];
    for (int64_t i = 0; i < limit; i++) {
        if (hay[i] != first)
            continue;
        int64_t k = 1;
        while (k < needle_len && hay[i + k] == needle[k])
            k++;
        if (k == needle_len)
            return i;
    }
    return -1;
}

/* The length less trailing blanks. */
static inline int64_t sk_trim(const uint32_t *s, uint64_t len)
{
    while (len > 0 && s[len - 1] == 0x20)
        len--;
    return (int64_t)len;
}

#endif /* STRKERNEL_SEARCH_H */
