// pairs.h - the date pairs the benchmarks evaluate: short spans (days),
// one-year spans, spans across the whole calendar and one-year spans that
// end where the widest ones do.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace tkbench {

struct Pair {
    double d1, d2;
};

enum class Span { Days, Year, Widest, LateYear };

// 1024 pairs with starts between 1990 and 2090 (date values 10958 .. 47482),
// inside the range every peer library supports; the widest spans run from
// the first days of 1582 to the last days of 20000.
inline std::vector<Pair> make_pairs(Span span)
{
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<int> start(10958, 47482), small(1, 30), edge(0, 20);
    std::vector<Pair> out;
    for (int i = 0; i < 1024; i++) {
        double a = start(rng);
        switch (span) {
        case Span::Days: out.push_back({a, a + small(rng)}); break;
        case Span::Year: out.push_back({a, a + 365 + (i & 1)}); break;
        case Span::Widest: out.push_back({-138061.0 + edge(rng), 6589335.0 - edge(rng)}); break;
        case Span::LateYear: {
            double end = 6589335.0 - edge(rng);
            out.push_back({end - 365 - (i & 1), end});
            break;
        }
        }
    }
    return out;
}

inline const char *span_name(Span s)
{
    static const char *const names[] = {"days", "year", "widest", "late year"};
    return names[static_cast<int>(s)];
}

} // namespace tkbench
