// The column kernel over arrays of date pairs, per basis, at 1,000 and ten
// million pairs, against a plain loop calling zdatdif and against
// (end - start) / 365.25 over the same arrays.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "column.h"
#include "tkyrdif.h"

namespace {

// Pairs from 1950 to 2030, spans up to forty years, as in a loan book.
struct Pairs {
    std::vector<double> start, end, out;
    explicit Pairs(size_t n) : start(n), end(n), out(n)
    {
        std::mt19937_64 rng(1);
        for (size_t i = 0; i < n; i++) {
            start[i] = static_cast<double>(rng() % 25000) - 3653;
            end[i] = start[i] + static_cast<double>(rng() % 14600);
        }
    }
};

Pairs &pairs(size_t n)
{
    static Pairs small(1000), large(10000000);
    return n == 1000 ? small : large;
}

void BM_Column(benchmark::State &state)
{
    auto basis = static_cast<int32_t>(state.range(0));
    Pairs &p = pairs(static_cast<size_t>(state.range(1)));
    for (auto _ : state) {
        tk_yrdif_column(basis, p.start.data(), p.end.data(), p.start.size(), p.out.data(), nullptr);
        benchmark::DoNotOptimize(p.out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_ZdatdifLoop(benchmark::State &state)
{
    auto basis = static_cast<int32_t>(state.range(0));
    Pairs &p = pairs(static_cast<size_t>(state.range(1)));
    for (auto _ : state) {
        for (size_t i = 0; i < p.start.size(); i++) {
            double y;
            if (zdatdif(basis, nullptr, &y, p.start[i], p.end[i]) != 0)
                y = tk_missing();
            p.out[i] = y;
        }
        benchmark::DoNotOptimize(p.out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_Naive(benchmark::State &state)
{
    Pairs &p = pairs(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        for (size_t i = 0; i < p.start.size(); i++)
            p.out[i] = (p.end[i] - p.start[i]) / 365.25;
        benchmark::DoNotOptimize(p.out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_Column)->ArgsProduct({{1, 2, 3, 4, 5}, {1000, 10000000}});
BENCHMARK(BM_ZdatdifLoop)->ArgsProduct({{1, 2, 3, 4, 5}, {1000, 10000000}});
BENCHMARK(BM_Naive)->Arg(1000)->Arg(10000000);

BENCHMARK_MAIN();
