// Memory and string primitives: the stated examples as tables, every
// processor variant of the vectorised primitives against the plain forms
// over all lengths to 400 and every alignment, guard-page runs that fault on
// any access outside the range, and the overlap rules of both copies.
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "guard.h"
#include "scalar.h"
#include "simd.h"
#include "support.h"

using namespace tktest;

namespace {

// ---- stated examples -----------------------------------------------------

// What the plain forms cannot show: null pointers, empty ranges, the low
// 8 bits of a value, the signs of the comparisons, terminators.
TEST(Primitives, Examples)
{
    const auto *abc = reinterpret_cast<const uint8_t *>("abcabc");
    const uint8_t x80 = 0x80, x7f = 0x7F;
    const uint32_t t3[] = {1, 2, 3, 0}, big = 0x10FFFF, a41 = 0x41, top = 0x80000000u, one = 1;
    const double miss[] = {1.0, missing(), std::nan("7"), INFINITY, -INFINITY};
    const int64_t rows[][2] = {
        {skUnsup(), static_cast<int32_t>(0x803FC004)}, {static_cast<int64_t>(skStrLen(nullptr)), 0},
        {static_cast<int64_t>(skStrLen(abc)), 6},      {static_cast<int64_t>(skStrTLen(t3)), 3},
        {static_cast<int64_t>(skStrTLen(nullptr)), 0}, {skMemNot(0x161, abc, 1), 1},
        {skMemNot(0x61, abc, 0), 1},                   {skMemTNot(1, t3, 0), 1},
        {skMemCmp(&x80, &x7f, 1), 1},                  {skMemCmp(&x7f, &x80, 1), -1},
        {skMemCmp(&x80, &x7f, 0), 0},                  {skWMemCmp(&big, &a41, 1), 1},
        {skWMemCmp(&top, &one, 1), 1},                 {skWMemCmp(&one, &top, 1), -1},
        {skMemScan(abc, 6, 'c' + 0x100), 2},           {skMemScan(nullptr, 6, 'a'), -1},
        {skMemNScan(nullptr, 3, 0x20), -1},            {skMemTNScan(nullptr, 3, 0x20), -1},
        {skMissArray(miss, 2), 1},                     {skMissArray(miss + 2, 1), 1},
        {skMissArray(miss + 3, 2), 0},                 {skMissArray(miss, 1), 0},
    };
    for (size_t i = 0; i < std::size(rows); i++)
        EXPECT_EQ(rows[i][0], rows[i][1]) << "row " << i;

    uint8_t dst[2] = {9, 9}; // (the guarded-range test copies texts of every length)
    skStrCpy(nullptr, dst);
    skStrCpy(abc, nullptr); // no destination: nothing written
    EXPECT_EQ(std::memcmp(dst, "\0\x09", 2), 0);
    // The byte conversions change ASCII letters only.
    uint8_t up[256], low[256];
    std::iota(up, up + 256, uint8_t{0});
    std::memcpy(low, up, sizeof low);
    skStrUp(up, 256);
    skStrLow(low, 256);
    for (int c = 0; c < 256; c++) {
        EXPECT_EQ(up[c], c >= 'a' && c <= 'z' ? c - 32 : c) << c;
        EXPECT_EQ(low[c], c >= 'A' && c <= 'Z' ? c + 32 : c) << c;
    }
    uint32_t tdst[5] = {7, 7, 7, 7, 7};
    skStrTCpy(t3, tdst);
    EXPECT_EQ(tdst[3] + tdst[4], 7u);
    skStrTCpy(nullptr, tdst);
    EXPECT_EQ(tdst[0] + tdst[1], 2u);
}

// ---- copies --------------------------------------------------------------

// Both copies at every distance in both directions, on both sides of the
// 96-byte block-copy threshold, against plain models: an ascending byte
// loop for skMemCpy and a move for skMemSCpy.
TEST(Copies, EveryOverlapAgainstModels)
{
    std::vector<uint8_t> pattern(1000);
    for (size_t i = 0; i < pattern.size(); i++)
        pattern[i] = static_cast<uint8_t>(i * 7 + 1);
    for (int64_t n : {1, 2, 10, 95, 96, 97, 150, 300}) {
        for (int64_t shift = -n - 3; shift <= n + 3; shift++) {
            std::vector<uint8_t> got = pattern, model = pattern;
            const int64_t src = 320, dst = src + shift;
            ASSERT_EQ(skMemCpy(got.data() + src, got.data() + dst, n), got.data() + dst);
            for (int64_t i = 0; i < n; i++)
                model[dst + i] = model[src + i];
            ASSERT_EQ(got, model) << "skMemCpy n " << n << " shift " << shift;

            got = pattern;
            model = pattern;
            skMemSCpy(got.data() + src, got.data() + dst, static_cast<uint64_t>(n));
            std::memmove(model.data() + dst, model.data() + src, n);
            ASSERT_EQ(got, model) << "skMemSCpy n " << n << " shift " << shift;
        }
    }
}

// A copy from the pool with flags 0; null arguments never reach the pool,
// zero bytes still ask it, and a refusal gives null.
TEST(Copies, DupFromPool)
{
    tkhost::Kernel kernel;
    tkhost::Pool pool(kernel, "test", nullptr);
    const char text[] = "abcdef";
    for (int64_t n : {1, 6}) {
        const void *copy = skMemDup(text, n, pool.object());
        EXPECT_TRUE(copy && std::memcmp(copy, text, static_cast<size_t>(n)) == 0) << n;
    }
    EXPECT_EQ(kernel.log.events().back(), "pool.alloc 6 flags 0");
    EXPECT_FALSE(skMemDup(nullptr, 6, pool.object()) || skMemDup(text, 6, nullptr));
    EXPECT_TRUE(skMemDup(text, 0, pool.object()));
    EXPECT_EQ(pool.calls[TKH_POOL_ALLOC], 3);
    kernel.fail_alloc = true;
    EXPECT_EQ(skMemDup(text, 6, pool.object()), nullptr);
}

// ---- vectorised variants against the plain forms -------------------------

// Each processor variant of the vectorised primitives this processor can
// run, and the exported names bound to this processor's.
#define SK_EACH(X)                                                                               \
    X(MemSet) X(MemTSet) X(MemScan) X(MemNScan) X(MemTNScan) X(MemNot) X(MemTNot) X(MemCmp)      \
    X(WMemCmp) X(StrUp) X(StrLow)
#define SK_FIELD(f) decltype(&sk_sse2_##f) f;
#define SK_SSE2(f) sk_sse2_##f,
#define SK_AVX2(f) sk_avx2_##f,
#define SK_EXPORTED(f) sk##f,

struct Variant {
    const char *name;
    SK_EACH(SK_FIELD)
};

std::vector<Variant> variants()
{
    std::vector<Variant> v{{"sse2", SK_EACH(SK_SSE2)}, {"exported", SK_EACH(SK_EXPORTED)}};
    if (__builtin_cpu_supports("avx2"))
        v.push_back({"avx2", SK_EACH(SK_AVX2)});
    return v;
}

constexpr int kMaxLen = 400; // past 8 AVX2 vectors, where the aligned loops start

// Runs every variant's every function over [p, p + n) and checks it against
// the plain forms; p and q are ranges of n units the caller laid out.
void check_all(const Variant &v, uint8_t *p, uint8_t *q, int64_t n, uint8_t value,
               std::mt19937 &rng)
{
    const uint64_t un = static_cast<uint64_t>(n);
    SCOPED_TRACE(std::string(v.name) + " n=" + std::to_string(n));
    // Bytes: all equal to value but for up to two planted others.
    std::memset(p, value, un);
    std::memset(q, value, un);
    if (n > 0 && rng() % 4 != 0) {
        p[rng() % un] = static_cast<uint8_t>(value ^ (1 + rng() % 255));
        p[rng() % un] = static_cast<uint8_t>(value ^ (1 + rng() % 255));
    }
    ASSERT_EQ(v.MemNScan(p, un, value), sk_ref_MemNScan(p, un, value));
    ASSERT_EQ(v.MemNot(value, p, un), sk_ref_MemNot(value, p, un));
    ASSERT_EQ(v.MemCmp(p, q, un), sk_ref_MemCmp(p, q, un));
    ASSERT_EQ(v.MemCmp(q, p, un), sk_ref_MemCmp(q, p, un));
    uint8_t other = n > 0 ? p[rng() % un] : 0;
    ASSERT_EQ(v.MemScan(p, un, other), sk_ref_MemScan(p, un, other));
    ASSERT_EQ(v.MemScan(p, un, value ^ 0x55), sk_ref_MemScan(p, un, value ^ 0x55));

    // Case conversion on random bytes.
    for (uint64_t i = 0; i < un; i++)
        p[i] = q[i] = static_cast<uint8_t>(rng());
    v.StrUp(p, n);
    sk_ref_StrUp(q, n);
    ASSERT_EQ(std::memcmp(p, q, un), 0);
    v.StrLow(p, n);
    sk_ref_StrLow(q, n);
    ASSERT_EQ(std::memcmp(p, q, un), 0);

    // Fills.
    v.MemSet(p, value + 0x300, n);
    sk_ref_MemSet(q, value, n);
    ASSERT_EQ(std::memcmp(p, q, un), 0);

    // 4-byte units over the same storage, from the first 4-byte aligned
    // address of each range (a range ending at a guard page with n a
    // multiple of 4 is then covered exactly).
    auto align4 = [](uint8_t *x) { return (4 - reinterpret_cast<uintptr_t>(x) % 4) % 4; };
    const size_t dp = align4(p), dq = align4(q);
    int64_t un4 = un < std::max(dp, dq) ? 0 : static_cast<int64_t>(un - std::max(dp, dq)) / 4;
    uint32_t *pw = reinterpret_cast<uint32_t *>(p + dp), *qw = reinterpret_cast<uint32_t *>(q + dq);
    std::memset(p, 0, un);
    std::memset(q, 0, un);
    uint32_t w = 0x00200000u | value;
    v.MemTSet(pw, w, un4);
    sk_ref_MemTSet(qw, w, un4);
    ASSERT_EQ(std::memcmp(pw, qw, static_cast<size_t>(un4) * 4), 0);
    if (un4 > 0 && rng() % 4 != 0)
        pw[rng() % un4] = w ^ (1u << (rng() % 32));
    ASSERT_EQ(v.MemTNScan(pw, un4, w), sk_ref_MemTNScan(pw, un4, w));
    const uint64_t m = static_cast<uint64_t>(un4);
    ASSERT_EQ(v.MemTNot(w, pw, m), sk_ref_MemTNot(w, pw, m));
    ASSERT_EQ(v.WMemCmp(pw, qw, m), sk_ref_WMemCmp(pw, qw, m));
    ASSERT_EQ(v.WMemCmp(qw, pw, m), sk_ref_WMemCmp(qw, pw, m));
}

// Every length and alignment in ordinary memory, then each range ending
// where an inaccessible page begins or starting where one ends, so that a
// read or write past either end faults; past the short lengths, ranges
// around 64 KiB, where fills go to the string instructions.
TEST(Vectorised, EveryLengthAlignmentAndGuard)
{
    std::mt19937 rng(99);
    std::vector<uint8_t> a(kMaxLen + 128), b(kMaxLen + 128);
    std::vector<int64_t> lengths(kMaxLen + 1);
    std::iota(lengths.begin(), lengths.end(), 0);
    lengths.insert(lengths.end(), {65535, 65536, 65537, 70001});
    for (const auto &v : variants())
        for (int64_t n : lengths) {
            for (int off = 0; n <= kMaxLen && off < 64; off += (n < 80 ? 1 : 7))
                check_all(v, a.data() + off, b.data() + (off * 5 + 3) % 64, n,
                          static_cast<uint8_t>(rng()), rng);
            for (Placement where : {Placement::End, Placement::Start}) {
                GuardedRange p(static_cast<size_t>(n), where), q(static_cast<size_t>(n), where);
                check_all(v, p.data(), q.data(), n, static_cast<uint8_t>(rng()), rng);
            }
            ASSERT_FALSE(HasFailure()) << v.name << " n=" << n;
        }
}

} // namespace
