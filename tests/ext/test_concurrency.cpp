// Several threads evaluate YRDIF (both registrations, every basis) at
// once, on one shared instance and on instances of their own, and every
// result must equal the single-threaded one.  Built also under
// ThreadSanitizer, which fails the run on any data race.
#include <thread>
#include <vector>

#include "host_fixture.h"

using namespace tktest;

namespace {

class Concurrency : public Hosted {};

TEST_F(Concurrency, ThreadsAgreeWithOneThread)
{
    const std::string texts[] = {"30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE", "actual", "nope"};
    // Job i: a pseudo-random pair, a text (or none, for i % 8 == 7), a registration.
    auto run = [&](TKEntryPoint u, TKEntryPoint b, void *ctx) {
        std::vector<uint64_t> out;
        uint64_t x = 12345;
        for (int i = 0; i < 20000; i++) {
            x = x * 6364136223846793005ull + 1442695040888963407ull;
            double d1 = static_cast<double>(static_cast<int64_t>(x >> 40) % 6800000 - 140000);
            double d2 = d1 + static_cast<double>((x >> 20) % 4000) - 1000;
            size_t t = (x >> 8) % 8;
            bool bytes = (x >> 4) & 1;
            const std::u32string wide = t < 7 ? widen(texts[t]) : U"";
            std::optional<tkhost::Basis> basis;
            if (t < 7)
                basis = tkhost::Basis{bytes ? static_cast<const void *>(texts[t].data()) : wide.data(),
                                      static_cast<int32_t>(texts[t].size())};
            auto e = tkhost::evaluate(bytes ? b : u, ctx, d1, d2, basis);
            out.push_back(bits(e.result) ^ static_cast<uint64_t>(e.status));
        }
        return out;
    };
    const auto want = run(yrdif, yrdif_bytes, context.object());

    std::vector<std::vector<uint64_t>> got(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < got.size(); t++) {
        threads.emplace_back([&, t] {
            if (t % 2 == 0) // the shared instance and context
                return void(got[t] = run(yrdif, yrdif_bytes, context.object()));
            // An instance and context of its own, with the handle kept:
            // writing it while others evaluate would break the host's contract.
            tkhost::Extension own(module, kernel, &messages, tkhost::Extension::Handle::Keep);
            tkhost::StringService strings_own;
            tkhost::CallContext ctx_own(&strings_own);
            got[t] = run(own.find(U"YRDIF"), own.find(U"YRDIF#"), ctx_own.object());
        });
    }
    for (auto &th : threads)
        th.join();
    for (size_t t = 0; t < got.size(); t++)
        EXPECT_EQ(got[t], want) << "thread " << t;
}

} // namespace
