// The column kernel over arrays of date pairs, per basis, at 1,000 and ten
// million pairs (and ten million over the whole calendar), against a plain loop calling zdatdif and against
// (end - start) / 365.25 over the same arrays; and over Arrow date32 days
// with 1% nulls, against (end - start) / 365.25 over the same int32 days.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "column.h"
#include "column_simd.h"
#include "tkyrdif.h"

namespace {

// Pairs from 1950 to 2030, spans up to forty years, as in a loan book; or
// (wide) any two dates of the calendar, 1582 to 20000.
struct Pairs {
    std::vector<double> start, end, out;
    explicit Pairs(size_t n, bool wide = false) : start(n), end(n), out(n)
    {
        std::mt19937_64 rng(1);
        for (size_t i = 0; i < n; i++) {
            if (wide) {
                start[i] = static_cast<double>(rng() % 6727397) - 138061;
                end[i] = static_cast<double>(rng() % 6727397) - 138061;
                continue;
            }
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

// The same pairs as date32 days (from 1970-01-01), with validity bitmaps
// holding 1% nulls in each column.
struct Days {
    std::vector<int32_t> start, end;
    std::vector<uint8_t> start_valid, end_valid, valid;
    std::vector<double> out;
    explicit Days(const Pairs &p)
        : start(p.start.size()), end(p.start.size()), start_valid((p.start.size() + 7) / 8, 0xFF),
          end_valid(start_valid), valid(start_valid.size()), out(p.start.size())
    {
        std::mt19937_64 rng(2);
        for (size_t i = 0; i < start.size(); i++) {
            start[i] = static_cast<int32_t>(p.start[i]) - 3653;
            end[i] = static_cast<int32_t>(p.end[i]) - 3653;
            for (auto *b : {&start_valid, &end_valid})
                if (rng() % 100 == 0)
                    (*b)[i / 8] &= static_cast<uint8_t>(~(1u << (i % 8)));
        }
    }
};

Days &days(size_t n)
{
    static Days small(pairs(1000)), large(pairs(10000000));
    return n == 1000 ? small : large;
}

void BM_Date32(benchmark::State &state)
{
    auto basis = static_cast<int32_t>(state.range(0));
    Days &d = days(static_cast<size_t>(state.range(1)));
    for (auto _ : state) {
        tk_yrdif_date32(basis, nullptr, d.start.data(), d.start_valid.data(), 0, d.end.data(),
                        d.end_valid.data(), 0, d.start.size(), d.out.data(), nullptr,
                        d.valid.data());
        benchmark::DoNotOptimize(d.out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}

void BM_NaiveDate32(benchmark::State &state)
{
    Days &d = days(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        for (size_t i = 0; i < d.start.size(); i++)
            d.out[i] = (d.end[i] - d.start[i]) / 365.25;
        benchmark::DoNotOptimize(d.out.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
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

void BM_ColumnWide(benchmark::State &state)
{
    auto basis = static_cast<int32_t>(state.range(0));
    static Pairs p(10000000, true);
    for (auto _ : state) {
        tk_yrdif_column(basis, p.start.data(), p.end.data(), p.start.size(), p.out.data(), nullptr);
        benchmark::DoNotOptimize(p.out.data());
    }
    state.SetItemsProcessed(state.iterations() * 10000000);
}

// The float64 loop of this processor's variant in either form, with (1)
// and without (0) asking for its dates ahead: column.cpp chooses one by the
// processor's maker, and this shows what the choice is worth here.
void BM_ColumnAhead(benchmark::State &state)
{
    auto basis = static_cast<int32_t>(state.range(0));
    tk_years_fn *run = tk_column_years_for(state.range(1) != 0);
    Pairs &p = pairs(10000000);
    for (auto _ : state) {
        run(basis, p.start.data(), p.end.data(), p.start.size(), p.out.data());
        benchmark::DoNotOptimize(p.out.data());
    }
    state.SetItemsProcessed(state.iterations() * 10000000);
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
BENCHMARK(BM_ColumnWide)->DenseRange(1, 5);
BENCHMARK(BM_ColumnAhead)->ArgsProduct({{1, 2, 3, 4, 5}, {0, 1}});
BENCHMARK(BM_ZdatdifLoop)->ArgsProduct({{1, 2, 3, 4, 5}, {1000, 10000000}});
BENCHMARK(BM_Naive)->Arg(1000)->Arg(10000000);
BENCHMARK(BM_Date32)->ArgsProduct({{1, 2, 3, 4, 5}, {1000, 10000000}});
BENCHMARK(BM_NaiveDate32)->Arg(1000)->Arg(10000000);

BENCHMARK_MAIN();
