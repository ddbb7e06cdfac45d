// bench_yrdif - YRDIF through the entry points (loaded through the
// extension protocol), zdatdif alone, the calendar conversions and the
// basis parsers; with QuantLib's year fractions on the same pairs as the
// baseline when QuantLib is available.
#include <benchmark/benchmark.h>

#include <string>

#include "loader.h"
#include "pairs.h"

#ifdef TK_HAVE_QUANTLIB
#include <ql/time/daycounters/actual360.hpp>
#include <ql/time/daycounters/actual365fixed.hpp>
#include <ql/time/daycounters/actualactual.hpp>
#include <ql/time/daycounters/thirty360.hpp>
#endif

using tkbench::Pair;
using tkbench::Span;

namespace {

// One loaded module with an extension instance, shared by every benchmark.
struct Host : tkhost::Services {
    tkhost::Module module{TK_MODULE_PATH};
    tkhost::Extension extension{module, kernel, &messages};
    TKEntryPoint yrdif = extension.find(U"YRDIF");
    TKEntryPoint yrdif_bytes = extension.find(U"YRDIF#");
};

Host &host()
{
    static Host h;
    return h;
}

const char *const kBases[] = {"", "30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE"};

// YRDIF through the entry point: a prebuilt call record per pair, as a
// host evaluating a column would have.
void BM_Yrdif(benchmark::State &state)
{
    auto span = static_cast<Span>(state.range(0));
    int basis = static_cast<int>(state.range(1));
    bool bytes = state.range(2) != 0;
    Host &h = host();
    auto pairs = tkbench::make_pairs(span);
    std::string text8 = kBases[basis];
    std::u32string text32(text8.begin(), text8.end());
    TKCharValue value{};
    value.len = static_cast<int32_t>(text8.size());
    value.text = bytes ? static_cast<const void *>(text8.data()) : text32.data();
    TKFuncCall call{};
    call.argc = basis == 0 ? 2 : 3;
    call.args[2].value = &value;
    TKEntryPoint entry = bytes ? h.yrdif_bytes : h.yrdif;
    size_t i = 0;
    for (auto _ : state) {
        const Pair &p = pairs[i++ & 1023];
        call.args[0].value = &p.d1;
        call.args[1].value = &p.d2;
        double r;
        benchmark::DoNotOptimize(entry(&call, &r, h.context.object()));
        benchmark::DoNotOptimize(r);
    }
    state.SetLabel(std::string(bytes ? "YRDIF# " : "YRDIF ") + (basis ? kBases[basis] : "2 args") +
                   " " + tkbench::span_name(span));
}

void YrdifArgs(benchmark::internal::Benchmark *b)
{
    for (int span = 0; span < 3; span++)
        for (int basis = 0; basis < 6; basis++)
            b->Args({span, basis, 0});
    for (int span = 0; span < 3; span++)
        b->Args({span, 2, 1});
}
BENCHMARK(BM_Yrdif)->Apply(YrdifArgs);

void BM_Zdatdif(benchmark::State &state)
{
    auto span = static_cast<Span>(state.range(0));
    int basis = static_cast<int>(state.range(1));
    auto pairs = tkbench::make_pairs(span);
    size_t i = 0;
    for (auto _ : state) {
        const Pair &p = pairs[i++ & 1023];
        int64_t days;
        double years;
        benchmark::DoNotOptimize(zdatdif(basis, &days, &years, p.d1, p.d2));
        benchmark::DoNotOptimize(years);
    }
    state.SetLabel(std::string(kBases[basis]) + " " + tkbench::span_name(span));
}
BENCHMARK(BM_Zdatdif)->ArgsProduct({{0, 1, 2, 3}, {1, 2, 3, 4, 5}});

void BM_CalendarJuldat(benchmark::State &state)
{
    auto pairs = tkbench::make_pairs(Span::Widest);
    auto years = tkbench::make_pairs(Span::Days);
    size_t i = 0;
    for (auto _ : state) {
        double d = (i & 1) ? pairs[i & 1023].d1 + static_cast<double>(i & 0xFFFFF) * 6
                           : years[i & 1023].d1;
        benchmark::DoNotOptimize(tkfmtzjuldat(d));
        i++;
    }
}
BENCHMARK(BM_CalendarJuldat);

void BM_CalendarYmdjul(benchmark::State &state)
{
    double jul[1024];
    for (int k = 0; k < 1024; k++)
        jul[k] = 1990001 + k * 1000 + (k * 37) % 365;
    size_t i = 0;
    for (auto _ : state) {
        double y, m, d;
        benchmark::DoNotOptimize(tkfmtzymdjul(&y, &m, &d, jul[i++ & 1023]));
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_CalendarYmdjul);

void BM_CalendarDatjul(benchmark::State &state)
{
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(tkfmtzdatjul(static_cast<double>(1990001 + (i++ & 1023) * 1000)));
}
BENCHMARK(BM_CalendarDatjul);

void BM_CalendarJulymd(benchmark::State &state)
{
    size_t i = 0;
    for (auto _ : state) {
        double k = static_cast<double>(i++ & 1023);
        benchmark::DoNotOptimize(tkfmtzjulymd(1990 + k, 1 + (i & 11), 1 + (i % 28)));
    }
}
BENCHMARK(BM_CalendarJulymd);

void BM_ParseUtf32(benchmark::State &state)
{
    std::string t = kBases[state.range(0)];
    std::u32string w(t.begin(), t.end());
    for (auto _ : state) {
        int32_t code;
        benchmark::DoNotOptimize(zdatdci(reinterpret_cast<const uint32_t *>(w.data()),
                                         static_cast<int32_t>(w.size()), 1, &code, nullptr));
    }
    state.SetLabel(t);
}
BENCHMARK(BM_ParseUtf32)->DenseRange(1, 5);

void BM_ParseBytes(benchmark::State &state)
{
    std::string t = kBases[state.range(0)];
    Host &h = host();
    for (auto _ : state) {
        int32_t code;
        benchmark::DoNotOptimize(zdatdciS(reinterpret_cast<const uint8_t *>(t.data()),
                                          static_cast<int32_t>(t.size()), 1, &code,
                                          h.context.object()));
    }
    state.SetLabel(t);
}
BENCHMARK(BM_ParseBytes)->DenseRange(1, 5);

#ifdef TK_HAVE_QUANTLIB
// Baseline: the peer library's year fraction on the same pairs, its dates
// built beforehand (as our side gets its doubles).
void BM_QuantLib(benchmark::State &state)
{
    auto span = static_cast<Span>(state.range(0));
    int basis = static_cast<int>(state.range(1));
    auto pairs = tkbench::make_pairs(span);
    const QuantLib::Date epoch(1, QuantLib::January, 1960);
    std::vector<std::pair<QuantLib::Date, QuantLib::Date>> dates;
    for (const auto &p : pairs)
        dates.emplace_back(epoch + static_cast<QuantLib::Date::serial_type>(p.d1),
                           epoch + static_cast<QuantLib::Date::serial_type>(p.d2));
    QuantLib::DayCounter dc;
    switch (basis) {
    case 1: dc = QuantLib::Thirty360(QuantLib::Thirty360::USA); break;
    case 2: dc = QuantLib::ActualActual(QuantLib::ActualActual::ISDA); break;
    case 3: dc = QuantLib::Actual360(); break;
    default: dc = QuantLib::Actual365Fixed(); break;
    }
    size_t i = 0;
    for (auto _ : state) {
        const auto &d = dates[i++ & 1023];
        benchmark::DoNotOptimize(dc.yearFraction(d.first, d.second));
    }
    state.SetLabel(dc.name() + " " + tkbench::span_name(span));
}
BENCHMARK(BM_QuantLib)->ArgsProduct({{0, 1}, {1, 2, 3, 4}});
#endif

} // namespace

BENCHMARK_MAIN();
