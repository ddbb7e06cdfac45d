// Both registrations end to end, through dlopen, the function list and
// call records: a missing date is rejected before the basis is read.  (The
// column kernel test runs the basis table and random pairs through both;
// the entry fuzzer, run as a test too, runs arbitrary records: argument
// counts, absent and blank bases, any dates.)
#include "host_fixture.h"

using namespace tktest;

namespace {

::testing::AssertionResult Missing(const tkhost::Evaluation &e)
{
    if (e.status == TK_YRDIF_FAILED && bits(e.result) == TK_MISSING_BITS)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << e.status << ", result " << hex(e.result);
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

} // namespace
