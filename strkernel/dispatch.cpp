/*
 * dispatch.cpp - binds each vectorised primitive's exported name to the
 * variant for this processor: AVX2 where the processor has it, SSE2
 * otherwise.  The choice is made once, by the dynamic loader, through an
 * indirect function; the module keeps no mutable state for it.
 */
#include "simd.h"
#include "tkyrdif.h"

/* A resolver runs while the dynamic loader relocates, before any sanitizer
 * runtime is ready, so it is never instrumented.  It has C linkage (an
 * unmangled name for the ifunc attribute to name) and stays hidden. */
#define SK_RESOLVER                                                                       \
    __attribute__((visibility("hidden"), no_sanitize("address", "undefined", "thread")))

#define SK_DISPATCH(ret, name, params)                                                    \
    extern "C" {                                                                          \
    SK_RESOLVER ret (*resolve_##name(void)) params;                                       \
    ret (*resolve_##name(void)) params                                                    \
    {                                                                                     \
        __builtin_cpu_init();                                                             \
        return __builtin_cpu_supports("avx2") ? sk_avx2_##name : sk_sse2_##name;          \
    }                                                                                     \
    ret sk##name params __attribute__((ifunc("resolve_" #name)));                         \
    }

SK_DISPATCH(void, MemSet, (void *buf, int32_t value, int64_t n))
SK_DISPATCH(void, MemTSet, (uint32_t * buf, uint32_t value, int64_t n))
SK_DISPATCH(int64_t, MemScan, (const void *buf, uint64_t n, int32_t value))
SK_DISPATCH(int64_t, MemNScan, (const void *buf, uint64_t n, int32_t value))
SK_DISPATCH(int64_t, MemTNScan, (const uint32_t *buf, int64_t n, uint32_t value))
SK_DISPATCH(int32_t, MemNot, (int32_t value, const void *buf, uint64_t n))
SK_DISPATCH(int32_t, MemTNot, (uint32_t value, const uint32_t *buf, uint64_t n))
SK_DISPATCH(int32_t, MemCmp, (const void *a, const void *b, uint64_t n))
SK_DISPATCH(int32_t, WMemCmp, (const uint32_t *a, const uint32_t *b, uint64_t n))
SK_DISPATCH(void, StrUp, (uint8_t * s, int64_t n))
SK_DISPATCH(void, StrLow, (uint8_t * s, int64_t n))
