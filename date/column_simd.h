/*
 * column_simd.h - the processor variants of the column kernel (internal).
 * Each evaluates n pairs under a basis code of 1 .. 5 and stores the year
 * output of zdatdif or the missing value; column.cpp chooses one once.
 */
#ifndef DATE_COLUMN_SIMD_H
#define DATE_COLUMN_SIMD_H

#include <stddef.h>
#include <stdint.h>

typedef void tk_years_fn(int32_t basis, const double *start, const double *end, size_t n,
                         double *years);
tk_years_fn tk_column_sse2_years, tk_column_avx2_years, tk_column_avx512_years;
/* The same, each asking for the dates two blocks ahead of the one it is
 * on. */
tk_years_fn tk_column_sse2_years_ahead, tk_column_avx2_years_ahead, tk_column_avx512_years_ahead;

/* The variant for this processor, in the form that asks ahead or in the
 * other (column.cpp chooses the form by the processor's maker). */
__attribute__((visibility("hidden"))) tk_years_fn *tk_column_years_for(bool ahead);

/* tk_yrdif_date32 (column.h), one for each processor variant. */
typedef int64_t tk_date32_fn(int32_t basis, const int32_t *codes, const int32_t *start,
                             const uint8_t *start_valid, int64_t start_offset, const int32_t *end,
                             const uint8_t *end_valid, int64_t end_offset, size_t n,
                             double *years, int64_t *days, uint8_t *valid);
tk_date32_fn tk_column_sse2_date32, tk_column_avx2_date32, tk_column_avx512_date32;

#endif /* DATE_COLUMN_SIMD_H */
