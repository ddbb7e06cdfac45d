// Both registrations end to end, through dlopen, the function list and
// call records: every shape of record, a missing date rejected before the
// basis is read, and threads evaluating at once.  (The bindings' golden
// cases compare both on random pairs and basis texts with the column
// kernel.)
#include <thread>

#include "basis_table.h"
#include "host_fixture.h"

using namespace tktest;

namespace {

class Entry : public Hosted {};

// Any argument count but 2 reads a basis; an absent value or text, or an
// empty one, gives the missing value.  A missing date, whatever its NaN, is
// rejected before the basis is read (even an unreadable one): neither the
// string service nor the case-mapping service is called.
TEST_F(Entry, RecordShapes)
{
    tkhost::CaseService cases;
    kernel.set_case_service(&cases);
    const std::u32string act = U"ACT/360", accented = U"\u00E2ge"; // â goes to the case service
    const tkhost::Basis wide{act.data(), 7}, narrow{"ACT/360", 7}, no_text{nullptr, 7},
        empty{act.data(), 0}, age_text{accented.data(), 3};
    const std::optional<tkhost::Basis> none;
    double age = 0, act360 = 0;
    zdatdif(TK_BASIS_AGE, nullptr, &age, 14610, 15157);
    zdatdif(TK_BASIS_ACT_360, nullptr, &act360, 14610, 15157);
    const double m = missing(), a = 14610, b = 15157, qnan = from_bits(0x7FF8000000000000),
                 snan = from_bits(0x7FF0000000000001), other = from_bits(0xFFFFFFFFFFFFFFFF);
    const struct {
        int64_t argc;
        std::optional<tkhost::Basis> basis;
        bool bytes;
        double d1, d2, want;
    } rows[] = {
        {2, none, false, a, b, age},     {2, wide, false, a, b, age},       {2, narrow, true, a, b, age},
        {3, wide, false, a, b, act360},  {1, wide, false, a, b, act360},    {7, narrow, true, a, b, act360},
        {3, none, false, a, b, m},       {1, none, true, a, b, m},          {3, no_text, false, a, b, m},
        {3, no_text, true, a, b, m},     {3, empty, false, a, b, m},        {3, age_text, false, m, b, m},
        {3, age_text, false, a, qnan, m}, {3, narrow, true, snan, snan, m}, {3, no_text, false, other, b, m},
        {2, none, false, a, m, m},
    };
    for (const auto &r : rows) {
        const int64_t calls = strings.calls.total() + cases.calls.total();
        auto e = tkhost::evaluate(r.bytes ? yrdif_bytes : yrdif, context.object(), r.d1, r.d2,
                                  r.basis, r.argc);
        const bool dated = !std::isnan(r.d1) && !std::isnan(r.d2);
        EXPECT_TRUE(SameBits(e.result, r.want)) << "row " << &r - rows;
        EXPECT_EQ(e.status, std::isnan(r.want) ? TK_YRDIF_FAILED : 0) << "row " << &r - rows;
        EXPECT_TRUE(dated || strings.calls.total() + cases.calls.total() == calls) << "row " << &r - rows;
    }
    tkhost::evaluate(yrdif, context.object(), a, b, age_text);
    EXPECT_EQ(cases.calls.total(), 1) << "the same text does reach the service with dates";
}

// Four threads at once, two on the shared instance and two on instances of
// their own, give what one thread gives: every text of the basis table
// through both registrations on pairs across the calendar, and through the
// string functions.  Also built under ThreadSanitizer, which fails the run
// on any data race.
TEST_F(Entry, ThreadsAgreeWithOneThread)
{
    auto run = [](TKEntryPoint u, TKEntryPoint b, void *ctx) {
        std::vector<uint64_t> out;
        for (const auto &row : kBasisRows) {
            std::u32string wide = widen(row.text), upper = wide;
            const auto len = static_cast<int32_t>(wide.size());
            auto *w = reinterpret_cast<uint32_t *>(wide.data()),
                 *up = reinterpret_cast<uint32_t *>(upper.data());
            tkzstup(up, len);
            out.push_back(static_cast<uint64_t>(tkzsncmp(w, len, up, len) + 8 * tkzsndx(up, len, w, 1)));
            for (double d = -140000; d < 6600000; d += 3331.5) {
                auto x = tkhost::evaluate(u, ctx, d, d * 0.9 + 1e4, {{wide.data(), len}});
                auto y = tkhost::evaluate(b, ctx, d, d + 400, {{row.text, len}});
                out.push_back(bits(x.result) ^ bits(y.result) ^ static_cast<uint64_t>(x.status));
            }
        }
        return out;
    };
    const auto want = run(yrdif, yrdif_bytes, context.object());
    std::vector<std::vector<uint64_t>> got(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < got.size(); t++)
        threads.emplace_back([&, t] {
            if (t % 2 == 0)
                return void(got[t] = run(yrdif, yrdif_bytes, context.object()));
            // The handle kept: writing it while others evaluate would break
            // the host's contract.
            tkhost::Extension own(module, kernel, &messages, tkhost::Extension::Handle::Keep);
            tkhost::StringService strings_own;
            tkhost::CallContext context_own(&strings_own);
            got[t] = run(own.find(U"YRDIF"), own.find(U"YRDIF#"), context_own.object());
        });
    for (auto &t : threads)
        t.join();
    for (size_t t = 0; t < got.size(); t++)
        EXPECT_EQ(got[t], want) << "thread " << t;
}

} // namespace
