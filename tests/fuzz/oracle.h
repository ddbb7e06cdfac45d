// oracle.h - how a fuzz target reports a broken property: it names it and
// stops, so that libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void check(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}
