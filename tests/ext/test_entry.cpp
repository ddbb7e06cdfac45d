// Evaluations of both registrations end to end, through dlopen, the
// function list and call records: the basis table, missing dates, absent
// and blank bases, and results equal to the engine's bit for bit.  (The
// entry fuzzer does the same for arbitrary records.)

#include "basis_table.h"
#include "host_fixture.h"

using namespace tktest;

namespace {

constexpr double kStart = 14610, kEnd = 15157; // 1 Jan 2000, 1 Jul 2001

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

TEST_F(Entry, BasisTableThroughBothRegistrations)
{
    for (const auto &r : kBasisRows) {
        auto e32 = utf32(kStart, kEnd, widen(r.text));
        auto e8 = bytes(kStart, kEnd, r.text);
        if (r.utf32)
            EXPECT_TRUE(Gives(e32, engine_years(r.utf32, kStart, kEnd))) << r.text;
        else
            EXPECT_TRUE(Missing(e32)) << r.text;
        if (r.bytes)
            EXPECT_TRUE(Gives(e8, engine_years(r.bytes, kStart, kEnd))) << r.text;
        else
            EXPECT_TRUE(Missing(e8)) << r.text;
    }
}

TEST_F(Entry, StatedResults)
{
    EXPECT_TRUE(Gives(utf32(kStart, kEnd, U"ACT/ACT"), 1.4958904109589042));
    EXPECT_TRUE(Gives(bytes(kStart, kEnd, "ACT/360"), 1.5194444444444444));
    EXPECT_TRUE(Gives(utf32(kEnd, kStart, U"30/360"), -1.5));
    EXPECT_TRUE(Gives(two(kStart, kEnd), 1.4958904109589042)) << "two arguments mean 'AGE'";
    EXPECT_TRUE(Gives(two(kStart, kEnd, true), 1.4958904109589042));
    EXPECT_TRUE(Gives(utf32(100.7, 100.3, U"ACT/ACT"), -0.0));
    EXPECT_TRUE(Missing(utf32(-138062, 0, U"AGE"))) << "date outside the calendar";
    EXPECT_TRUE(Missing(bytes(0, 6589336, "AGE")));
}

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
