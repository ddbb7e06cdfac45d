/*
 * case.h - single-character case mapping through the static tables
 * (internal to the string kernel).
 *
 * skChUp and skChLow are the table-only mappings: they never consult the
 * host.  A character above U+FFFF, or on a page without a block, maps to
 * itself; a shift byte of -128 sends the lookup to the auxiliary list.
 *
 * Relies on: the generated tables skz_metatable, skz_upshift, skz_downshift,
 * skz_upaux and skz_downaux.
 */
#ifndef STRKERNEL_CASE_H
#define STRKERNEL_CASE_H

#include "tkyrdif.h"

/* The escape shift byte: the mapping stands in the auxiliary list. */
#define SK_SHIFT_ESCAPE (-128)

/* Walks an auxiliary list of (character, mapped) pairs closed by a zero
 * word; the character itself when it has no pair. */
static inline uint32_t sk_aux_lookup(const uint32_t *aux, uint32_t c)
{
    for (; aux[0] != 0; aux += 2)
        if (aux[0] == c)
            return aux[1];
    return c;
}

static inline uint32_t sk_table_map(const int8_t *shift, const uint32_t *aux, uint32_t c)
{
    if (c > 0xFFFF)
        return c;
    int32_t e = skz_metatable[c >> 7]; /* -1, or a block offset 0 .. 2304 */
    if (e < 0)
        return c;
    int32_t d = shift[e + (int32_t)(c & 0x7F)];
    if (d != SK_SHIFT_ESCAPE)
        return c + (uint32_t)d; /* 32-bit wrap-around addition */
    return sk_aux_lookup(aux, c);
}

static inline uint32_t skChUp(uint32_t c)
{
    return sk_table_map(skz_upshift, skz_upaux, c);
}

static inline uint32_t skChLow(uint32_t c)
{
    return sk_table_map(skz_downshift, skz_downaux, c);
}

#endif /* STRKERNEL_CASE_H */
