// support.h - helpers shared by the tests: bit-exact double comparison and
// a fixture that installs a stand-in kernel as the module's handle.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "standin.h"
#include "tkyrdif.h"

namespace tktest {

inline uint64_t bits(double d) { return std::bit_cast<uint64_t>(d); }
inline double from_bits(uint64_t b) { return std::bit_cast<double>(b); }
inline double missing() { return from_bits(TK_MISSING_BITS); }

inline std::string hex(double d)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g (0x%016llx)", d,
                  static_cast<unsigned long long>(bits(d)));
    return buf;
}

// Compares two doubles by their bits and prints both in hex on failure.
inline ::testing::AssertionResult SameBits(double actual, double expected)
{
    if (bits(actual) == bits(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << hex(actual) << ", want " << hex(expected);
}

// A stand-in kernel installed as Exported_TKHandle for the test's lifetime.
class WithKernel : public ::testing::Test {
protected:
    void SetUp() override { tkextent(kernel.handle()); }
    void TearDown() override { tkextent(nullptr); }
    tkhost::Kernel kernel;
};

} // namespace tktest
