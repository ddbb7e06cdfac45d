/*
 * column_avx512.cpp - the column kernel for processors with AVX-512 F, DQ
 * and VL (eight pairs per vector), compiled with those and chosen only
 * where the processor has them.  See column_impl.inc.
 */
#include "column_simd.h"
#include "tkyrdif.h"

#define COLUMN_FN(name) tk_column_avx512_##name
#include "column_impl.inc"
