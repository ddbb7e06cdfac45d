/*
 * column_sse2.cpp - the column kernel for every x86-64 processor (two
 * pairs per SSE2 vector).  See column_impl.inc.
 */
#include "column_simd.h"
#include "tkyrdif.h"

#define COLUMN_FN(name) tk_column_sse2_##name
#include "column_impl.inc"
