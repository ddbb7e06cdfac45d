/*
 * minmax_tables.h - the case-class minimum and maximum tables (internal).
 *
 * Per 128-character page, the element index of the page's block or -1;
 * per character, minimum - character or maximum - character.  Generated
 * into tables/minmax_tables.cpp.
 */
#ifndef STRKERNEL_MINMAX_TABLES_H
#define STRKERNEL_MINMAX_TABLES_H

#include <stdint.h>

extern const int32_t skz_min_meta[512];
extern const int32_t skz_minshift[31 * 128];
extern const int32_t skz_max_meta[512];
extern const int32_t skz_maxshift[29 * 128];

#endif /* STRKERNEL_MINMAX_TABLES_H */
