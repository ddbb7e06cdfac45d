/*
 * search.cpp - tkzsndx (first occurrence of a UTF-32 needle) and tkzstrp
 * (length less trailing blanks).
 *
 * Neither allocates, writes its inputs or calls the host.  The work is in
 * search.h, shared with the basis parser.
 */
#include "search.h"
#include "tkyrdif.h"

int64_t tkzsndx(const uint32_t *hay, int64_t hay_len, const uint32_t *needle, int64_t needle_len)
{
    return sk_search(hay, hay_len, needle, needle_len);
}

int64_t tkzstrp(const uint32_t *s, uint64_t len)
{
    return sk_trim(s, len);
}
