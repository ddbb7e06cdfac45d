// bench_strkernel - the vectorised primitives against the C library's
// memset, memchr, memcmp and memcpy, and the case conversions and min/max
// mappings against plain scalar loops, at 16 B, 256 B, 4 KiB and 1 MiB.
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstring>
#include <cwctype>
#include <vector>

#include "scalar.h"
#include "tkyrdif.h"

namespace {

const std::vector<int64_t> kSizes = {16, 256, 4096, 1 << 20};

// A buffer of n bytes of 'a' with the byte that ends a scan at its end, so
// every scan reads the whole range.
std::vector<uint8_t> scan_buffer(size_t n)
{
    std::vector<uint8_t> b(n, 'a');
    b[n - 1] = 'z';
    return b;
}

template <class Fn> void bytes_loop(benchmark::State &state, Fn fn)
{
    for (auto _ : state)
        fn();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

#define SIZES ->ArgsProduct({kSizes})

void BM_skMemSet(benchmark::State &s)
{
    std::vector<uint8_t> b(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] {
        skMemSet(b.data(), 7, s.range(0));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_skMemSet) SIZES;

void BM_memset(benchmark::State &s)
{
    std::vector<uint8_t> b(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] {
        std::memset(b.data(), 7, b.size());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_memset) SIZES;

void BM_skMemTSet(benchmark::State &s)
{
    std::vector<uint32_t> b(static_cast<size_t>(s.range(0)) / 4);
    bytes_loop(s, [&] {
        skMemTSet(b.data(), 0x20, static_cast<int64_t>(b.size()));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_skMemTSet) SIZES;

void BM_skMemScan(benchmark::State &s)
{
    auto b = scan_buffer(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] { benchmark::DoNotOptimize(skMemScan(b.data(), b.size(), 'z')); });
}
BENCHMARK(BM_skMemScan) SIZES;

void BM_skMemNScan(benchmark::State &s)
{
    auto b = scan_buffer(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] { benchmark::DoNotOptimize(skMemNScan(b.data(), b.size(), 'a')); });
}
BENCHMARK(BM_skMemNScan) SIZES;

void BM_skMemTNScan(benchmark::State &s)
{
    std::vector<uint32_t> b(static_cast<size_t>(s.range(0)) / 4, 0x20);
    b.back() = 'x';
    bytes_loop(s, [&] {
        benchmark::DoNotOptimize(skMemTNScan(b.data(), static_cast<int64_t>(b.size()), 0x20));
    });
}
BENCHMARK(BM_skMemTNScan) SIZES;

void BM_memchr(benchmark::State &s)
{
    auto b = scan_buffer(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] { benchmark::DoNotOptimize(std::memchr(b.data(), 'z', b.size())); });
}
BENCHMARK(BM_memchr) SIZES;

void BM_skMemCmp(benchmark::State &s)
{
    auto a = scan_buffer(static_cast<size_t>(s.range(0))), b = a;
    b.back() = 'y';
    bytes_loop(s, [&] { benchmark::DoNotOptimize(skMemCmp(a.data(), b.data(), a.size())); });
}
BENCHMARK(BM_skMemCmp) SIZES;

void BM_memcmp(benchmark::State &s)
{
    auto a = scan_buffer(static_cast<size_t>(s.range(0))), b = a;
    b.back() = 'y';
    bytes_loop(s, [&] { benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size())); });
}
BENCHMARK(BM_memcmp) SIZES;

void BM_skMemCpy(benchmark::State &s)
{
    std::vector<uint8_t> a(static_cast<size_t>(s.range(0)), 1), b(a.size());
    bytes_loop(s, [&] {
        skMemCpy(a.data(), b.data(), s.range(0));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_skMemCpy) SIZES;

void BM_skMemSCpy(benchmark::State &s)
{
    std::vector<uint8_t> a(static_cast<size_t>(s.range(0)), 1), b(a.size());
    bytes_loop(s, [&] {
        skMemSCpy(a.data(), b.data(), a.size());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_skMemSCpy) SIZES;

void BM_memcpy(benchmark::State &s)
{
    std::vector<uint8_t> a(static_cast<size_t>(s.range(0)), 1), b(a.size());
    bytes_loop(s, [&] {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_memcpy) SIZES;

// ---- case conversions ----------------------------------------------------

std::vector<uint8_t> text_bytes(size_t n)
{
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; i++)
        b[i] = static_cast<uint8_t>("Actual/Actual 30E/360 basis "[i % 28]);
    return b;
}

void BM_skStrUp(benchmark::State &s)
{
    auto b = text_bytes(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] {
        skStrUp(b.data(), static_cast<int64_t>(b.size()));
        skStrLow(b.data(), static_cast<int64_t>(b.size()));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_skStrUp) SIZES;

// The plain byte loop, kept scalar.
__attribute__((optimize("no-tree-vectorize"))) void plain_up_low(uint8_t *p, int64_t n)
{
    sk_ref_StrUp(p, n);
    sk_ref_StrLow(p, n);
}

void BM_PlainStrUp(benchmark::State &s)
{
    auto b = text_bytes(static_cast<size_t>(s.range(0)));
    bytes_loop(s, [&] {
        plain_up_low(b.data(), static_cast<int64_t>(b.size()));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_PlainStrUp) SIZES;

std::vector<uint32_t> text_utf32()
{
    std::vector<uint32_t> b(1024);
    const char32_t sample[] = U"Äpfel und Birnen, ΣΊΣΥΦΟΣ, Ünïcödé 2000 ";
    for (size_t i = 0; i < b.size(); i++)
        b[i] = sample[i % (sizeof sample / sizeof sample[0] - 1)];
    return b;
}

template <class Fn> void chars_loop(benchmark::State &state, Fn fn)
{
    auto b = text_utf32();
    for (auto _ : state) {
        fn(b.data(), static_cast<int64_t>(b.size()));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1024);
}

void BM_tkzstup(benchmark::State &s) { chars_loop(s, tkzstup); }
void BM_tkzstlo(benchmark::State &s) { chars_loop(s, tkzstlo); }
void BM_tkzstmin(benchmark::State &s) { chars_loop(s, tkzstmin); }
void BM_tkzstmax(benchmark::State &s) { chars_loop(s, tkzstmax); }
void BM_PlainTowupper(benchmark::State &s)
{
    chars_loop(s, [](uint32_t *p, int64_t n) {
        for (int64_t i = 0; i < n; i++)
            p[i] = static_cast<uint32_t>(std::towupper(static_cast<wint_t>(p[i])));
    });
}
BENCHMARK(BM_tkzstup);
BENCHMARK(BM_tkzstlo);
BENCHMARK(BM_tkzstmin);
BENCHMARK(BM_tkzstmax);
BENCHMARK(BM_PlainTowupper);

} // namespace

int main(int argc, char **argv)
{
    std::setlocale(LC_CTYPE, "C.UTF-8");
    tkextent(nullptr); // no kernel: the case conversions use their tables
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
