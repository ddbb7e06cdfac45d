/*
 * column_avx2.cpp - the column kernel for processors with AVX2 and FMA
 * (four pairs per vector), compiled with -mavx2 -mfma and chosen only where
 * the processor has them.  See column_impl.inc.
 */
#include "column_simd.h"
#include "tkyrdif.h"

#define COLUMN_FN(name) tk_column_avx2_##name
#include "column_impl.inc"
