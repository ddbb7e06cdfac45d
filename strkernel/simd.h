/*
 * simd.h - the processor variants of the vectorised primitives (internal).
 *
 * simd_impl.inc is compiled once per instruction set (simd_sse2.cpp, the
 * x86-64 baseline, and simd_avx2.cpp); dispatch.cpp binds each exported
 * name to one variant when the module is loaded.  Every variant has the
 * exported function's full contract, including its null and zero-count
 * outcomes, and gives exactly the result of the plain form in scalar.h.
 */
#ifndef STRKERNEL_SIMD_H
#define STRKERNEL_SIMD_H

#include <stdint.h>

#define SK_SIMD_DECLARE(isa)                                                              \
    void sk_##isa##_MemSet(void *buf, int32_t value, int64_t n);                          \
    void sk_##isa##_MemTSet(uint32_t *buf, uint32_t value, int64_t n);                    \
    int64_t sk_##isa##_MemScan(const void *buf, uint64_t n, int32_t value);               \
    int64_t sk_##isa##_MemNScan(const void *buf, uint64_t n, int32_t value);              \
    int64_t sk_##isa##_MemTNScan(const uint32_t *buf, int64_t n, uint32_t value);         \
    int32_t sk_##isa##_MemNot(int32_t value, const void *buf, uint64_t n);                \
    int32_t sk_##isa##_MemTNot(uint32_t value, const uint32_t *buf, uint64_t n);          \
    int32_t sk_##isa##_MemCmp(const void *a, const void *b, uint64_t n);                  \
    int32_t sk_##isa##_WMemCmp(const uint32_t *a, const uint32_t *b, uint64_t n);         \
    void sk_##isa##_StrUp(uint8_t *s, int64_t n);                                         \
    void sk_##isa##_StrLow(uint8_t *s, int64_t n);

SK_SIMD_DECLARE(sse2)
SK_SIMD_DECLARE(avx2)

#endif /* STRKERNEL_SIMD_H */
