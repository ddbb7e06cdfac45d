/*
 * column_simd.h - the processor variants of the column kernel (internal).
 * Each evaluates n pairs under a basis code of 1 .. 5 and stores the year
 * output of zdatdif or the missing value; column.cpp chooses one once.
 */
#ifndef DATE_COLUMN_SIMD_H
#define DATE_COLUMN_SIMD_H

#include <stddef.h>
#include <stdint.h>

void tk_column_sse2_years(int32_t basis, const double *start, const double *end, size_t n,
                          double *years);
void tk_column_avx2_years(int32_t basis, const double *start, const double *end, size_t n,
                          double *years);
void tk_column_avx512_years(int32_t basis, const double *start, const double *end, size_t n,
                            double *years);

/* The same over Arrow date32 days (days from 1970-01-01), with ok[i] 1
 * where the pair has a result and 0 where a date is outside the calendar
 * or not in it.  With present, pair i is present where bit first_bit + i
 * of those words is set, and has no result where it is not (a null in;
 * ok[i] is then 0 or 1).  They return whether every pair has a result or
 * is not present. */
bool tk_column_sse2_date32(int32_t basis, const int32_t *start, const int32_t *end, size_t n,
                           const uint64_t *present, size_t first_bit, double *years, uint8_t *ok);
bool tk_column_avx2_date32(int32_t basis, const int32_t *start, const int32_t *end, size_t n,
                           const uint64_t *present, size_t first_bit, double *years, uint8_t *ok);
bool tk_column_avx512_date32(int32_t basis, const int32_t *start, const int32_t *end, size_t n,
                             const uint64_t *present, size_t first_bit, double *years, uint8_t *ok);

#endif /* DATE_COLUMN_SIMD_H */
