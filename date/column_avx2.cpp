/*
 * column_avx2.cpp - the column kernel for processors with AVX2 (four pairs
 * per vector), compiled with -mavx2 and chosen only where the processor
 * has it.  See column_impl.inc.
 */
#include "column_simd.h"
#include "tkyrdif.h"

#define COLUMN_FN(name) tk_column_avx2_##name
#include "column_impl.inc"
