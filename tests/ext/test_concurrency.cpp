// Several threads evaluate YRDIF (both registrations, every basis) at
// once, on one shared instance and on instances of their own, and every
// result must equal the single-threaded one.  Built also under
// ThreadSanitizer, which fails the run on any data race.
#include <thread>
#include <vector>

#include "host_fixture.h"

using namespace tktest;

namespace {

struct Job {
    double d1, d2;
    int basis; // index into kTexts; 0 means two arguments
    bool bytes;
};

const char *const kTexts[] = {"", "30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE", "actual",
                              "nope"};

std::vector<Job> jobs()
{
    std::vector<Job> out;
    uint64_t x = 12345;
    for (int i = 0; i < 20000; i++) {
        x = x * 6364136223846793005ull + 1442695040888963407ull;
        double a = static_cast<double>(static_cast<int64_t>(x >> 40) % 6800000 - 140000);
        double b = a + static_cast<double>((x >> 20) % 4000) - 1000;
        out.push_back({a, b, static_cast<int>((x >> 8) % 8), ((x >> 4) & 1) != 0});
    }
    return out;
}

uint64_t evaluate(TKEntryPoint utf32, TKEntryPoint bytes, void *ctx, const Job &j)
{
    std::string t = kTexts[j.basis];
    std::u32string w = widen(t);
    tkhost::Evaluation e;
    if (j.basis == 0)
        e = tkhost::evaluate(j.bytes ? bytes : utf32, ctx, j.d1, j.d2, std::nullopt);
    else if (j.bytes)
        e = tkhost::evaluate(bytes, ctx, j.d1, j.d2,
                             tkhost::Basis{t.data(), static_cast<int32_t>(t.size())});
    else
        e = tkhost::evaluate(utf32, ctx, j.d1, j.d2,
                             tkhost::Basis{w.data(), static_cast<int32_t>(w.size())});
    return bits(e.result) ^ static_cast<uint64_t>(e.status);
}

class Concurrency : public Hosted {};

TEST_F(Concurrency, ThreadsAgreeWithOneThread)
{
    const auto work = jobs();
    std::vector<uint64_t> want;
    for (const auto &j : work)
        want.push_back(evaluate(yrdif, yrdif_bytes, context.object(), j));

    constexpr int kThreads = 4;
    std::vector<std::vector<uint64_t>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            // Odd threads use an instance and context of their own, even
            // ones the shared instance; all share the kernel and module.
            std::unique_ptr<tkhost::Extension> own;
            tkhost::StringService strings_own;
            tkhost::CallContext ctx_own(&strings_own);
            TKEntryPoint u = yrdif, b = yrdif_bytes;
            void *ctx = context.object();
            if (t % 2) {
                // The handle is installed; writing it again while others
                // evaluate would break the host's side of the contract.
                own = std::make_unique<tkhost::Extension>(module, kernel, &messages,
                                                          tkhost::Extension::Handle::Keep);
                u = own->find(U"YRDIF");
                b = own->find(U"YRDIF#");
                ctx = ctx_own.object();
            }
            for (const auto &j : work)
                got[t].push_back(evaluate(u, b, ctx, j));
        });
    }
    for (auto &th : threads)
        th.join();
    for (int t = 0; t < kThreads; t++)
        EXPECT_EQ(got[t], want) << "thread " << t;
}

} // namespace
