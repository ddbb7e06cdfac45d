// Both registrations end to end, through dlopen, the function list and
// call records: every shape of record, a missing date rejected before the
// basis is read, and threads evaluating at once.  (The bindings' golden
// cases compare random pairs and basis texts through both with the engine.)
#include <thread>

#include "basis_table.h"
#include "host_fixture.h"

using namespace tktest;

namespace {

class Entry : public Hosted {};

// A missing date, whatever its NaN, is rejected before the basis is read
// (even an unreadable one): neither the string service nor the
// case-mapping service is called.
TEST_F(Entry, MissingDatesNeverReachTheParser)
{
    tkhost::CaseService cases;
    kernel.set_case_service(&cases);
    const std::u32string nonascii = U"\u00E2ge"; // would go to the case service
    const tkhost::Basis wide{nonascii.data(), 3};
    const std::pair<TKEntryPoint, std::optional<tkhost::Basis>> calls[] = {
        {yrdif, wide}, {yrdif_bytes, tkhost::Basis{"AGE", 3}}, {yrdif, tkhost::Basis{nullptr, 5}},
        {yrdif, std::nullopt}};
    for (uint64_t nan : {0xFFFFFE0000000000ull, 0x7FF8000000000000ull, 0xFFF8000000000001ull,
                         0x7FF0000000000001ull, 0x7FFFFFFFFFFFFFFFull}) {
        const double m = from_bits(nan);
        for (auto [d1, d2] : {std::pair{m, 0.0}, std::pair{0.0, m}, std::pair{m, m}})
            for (const auto &[entry, basis] : calls) {
                auto e = tkhost::evaluate(entry, context.object(), d1, d2, basis);
                EXPECT_EQ(std::pair(e.status, bits(e.result)),
                          std::pair(TK_YRDIF_FAILED, uint64_t{TK_MISSING_BITS}));
            }
    }
    EXPECT_EQ(strings.calls.total() + cases.calls.total(), 0);
    tkhost::evaluate(yrdif, context.object(), 0, 1, wide);
    EXPECT_EQ(cases.calls.total(), 1) << "the same text does reach the service with dates";
}

// Any argument count but 2 reads a basis; an absent value or text, or an
// empty one, gives the missing value.
TEST_F(Entry, RecordShapes)
{
    const std::u32string act = U"ACT/360";
    const tkhost::Basis wide{act.data(), 7}, narrow{"ACT/360", 7}, no_text{nullptr, 7},
        empty{act.data(), 0};
    double age = 0, act360 = 0;
    zdatdif(TK_BASIS_AGE, nullptr, &age, 14610, 15157);
    zdatdif(TK_BASIS_ACT_360, nullptr, &act360, 14610, 15157);
    const double m = missing();
    const struct {
        int64_t argc;
        std::optional<tkhost::Basis> basis;
        bool bytes;
        double want;
    } rows[] = {
        {2, std::nullopt, false, age}, {2, wide, false, age},      {2, narrow, true, age},
        {3, wide, false, act360},      {1, wide, false, act360},   {7, narrow, true, act360},
        {3, std::nullopt, false, m},   {1, std::nullopt, true, m}, {3, no_text, false, m},
        {3, no_text, true, m},         {3, empty, false, m},
    };
    for (const auto &r : rows) {
        auto e = tkhost::evaluate(r.bytes ? yrdif_bytes : yrdif, context.object(), 14610, 15157,
                                  r.basis, r.argc);
        EXPECT_TRUE(SameBits(e.result, r.want)) << "row " << &r - rows;
        EXPECT_EQ(e.status, std::isnan(r.want) ? TK_YRDIF_FAILED : 0) << "row " << &r - rows;
    }
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
