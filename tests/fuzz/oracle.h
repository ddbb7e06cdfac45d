// oracle.h - what the fuzzers share: stopping on a broken oracle, and
// doubles by their bits.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tkfuzz {

// Reports which property broke and stops, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

inline uint64_t bits(double d)
{
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
}

} // namespace tkfuzz
