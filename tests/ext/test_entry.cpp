// Evaluations of both registrations end to end, through dlopen, the
// function list and call records: missing dates, absent and blank bases.
// (The column kernel test runs the basis table and random pairs through
// both; the entry fuzzer runs arbitrary records.)
#include "host_fixture.h"

using namespace tktest;

namespace {

double engine_years(int basis, double d1, double d2)
{
    double y = 0;
    EXPECT_EQ(zdatdif(basis, nullptr, &y, d1, d2), 0);
    return y;
}

::testing::AssertionResult Missing(const tkhost::Evaluation &e)
{
    if (e.status == TK_YRDIF_FAILED && bits(e.result) == TK_MISSING_BITS)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << e.status << ", result " << hex(e.result);
}

::testing::AssertionResult Gives(const tkhost::Evaluation &e, double want)
{
    if (e.status != 0)
        return ::testing::AssertionFailure() << "status " << e.status;
    return SameBits(e.result, want);
}

class Entry : public Hosted {};

// A missing date, whatever its NaN, is rejected before the basis is read:
// neither the string service nor the case-mapping service is called.
TEST_F(Entry, MissingDatesNeverReachTheParser)
{
    tkhost::CaseService cases;
    kernel.set_case_service(&cases);
    const std::u32string nonascii = U"\u00E2ge"; // would go to the case service
    for (uint64_t nan : {0xFFFFFE0000000000ull, 0x7FF8000000000000ull, 0xFFF8000000000001ull,
                         0x7FF0000000000001ull, 0x7FFFFFFFFFFFFFFFull}) {
        double m = from_bits(nan);
        EXPECT_TRUE(Missing(utf32(m, 0, nonascii)));
        EXPECT_TRUE(Missing(utf32(0, m, nonascii)));
        EXPECT_TRUE(Missing(bytes(m, 0, "AGE")));
        EXPECT_TRUE(Missing(bytes(0, m, "AGE")));
        EXPECT_TRUE(Missing(two(m, m)));
        // Unreadable basis together with a missing date: still just missing.
        EXPECT_TRUE(Missing(tkhost::evaluate(yrdif, context.object(), m, 0,
                                             tkhost::Basis{nullptr, 5})));
    }
    EXPECT_EQ(strings.calls.total(), 0);
    EXPECT_EQ(cases.calls.total(), 0);
    utf32(0, 1, nonascii);
    EXPECT_EQ(cases.calls.total(), 1) << "the same text does reach the service with dates";
}

TEST_F(Entry, AbsentAndBlankBases)
{
    for (bool b : {false, true}) {
        TKEntryPoint ep = b ? yrdif_bytes : yrdif;
        void *ctx = context.object();
        // Three arguments with a null value pointer, or a null text pointer.
        EXPECT_TRUE(Missing(tkhost::evaluate(ep, ctx, 0, 1, std::nullopt, 3)));
        EXPECT_TRUE(Missing(tkhost::evaluate(ep, ctx, 0, 1, tkhost::Basis{nullptr, 3})));
        // Any count other than 2 is three arguments.
        EXPECT_TRUE(Missing(tkhost::evaluate(ep, ctx, 0, 1, std::nullopt, 1)));
        const std::u32string age32 = U"AGE";
        tkhost::Basis age = b ? tkhost::Basis{"AGE", 3} : tkhost::Basis{age32.data(), 3};
        EXPECT_TRUE(Gives(tkhost::evaluate(ep, ctx, 0, 400, age, 7), engine_years(5, 0, 400)));
        // Count 2 ignores whatever argument 3 holds.
        EXPECT_TRUE(Gives(tkhost::evaluate(ep, ctx, 0, 400, tkhost::Basis{nullptr, 9}, 2),
                          engine_years(5, 0, 400)));
    }
    EXPECT_TRUE(Missing(utf32(0, 1, U"")));
    EXPECT_TRUE(Missing(utf32(0, 1, U"     ")));
    EXPECT_TRUE(Missing(bytes(0, 1, "")));
    EXPECT_TRUE(Missing(bytes(0, 1, "   ")));
    EXPECT_TRUE(Missing(bytes(0, 1, "x"))) << "unknown basis";
}

} // namespace
