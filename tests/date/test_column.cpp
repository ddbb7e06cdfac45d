// The column kernel and the date conversions that the bindings embed: the
// vectorised kernel against the engine one pair at a time, and dates that
// are never in the calendar.  (The bindings' own tests compare the whole
// path, basis texts included, with YRDIF through the module, on golden
// cases.)
#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "column.h"
#include "column_simd.h"
#include "support.h"

using namespace tktest;

namespace {

// The processor variants of a vectorised loop that this processor can run.
template <class Fn> std::vector<Fn> variants(Fn sse2, Fn avx2, Fn avx512)
{
    std::vector<Fn> v{sse2};
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        v.push_back(avx2);
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        v.push_back(avx512);
    return v;
}

// Random date values over the whole calendar and past both ends, with
// fractions, missing values, infinities, the calendar's first and last
// days and the values just outside them.
std::vector<double> random_dates(std::mt19937_64 &rng, size_t n)
{
    std::uniform_real_distribution<double> any(-140000, 6590000);
    std::uniform_int_distribution<int> kind(0, 15);
    std::vector<double> v(n);
    for (auto &d : v) {
        switch (kind(rng)) {
        case 0: d = NAN; break;
        case 1: d = kind(rng) & 1 ? INFINITY : -INFINITY; break;
        case 2: d = from_bits(0xFFF8000000000001ull + (rng() & 0xFFFF)); break; // other NaNs
        case 3: d = std::floor(any(rng) / 1461000) * 1461 + 745153; break; // near 4000-03-01
        case 4: d = std::array{-138061.0, 6589335.5, -138061.5, 6589336.0}[rng() % 4]; break;
        default: d = kind(rng) & 1 ? std::floor(any(rng)) : any(rng);
        }
    }
    return v;
}

// Pairs of days from 1960-01-01 in blocks of 256 from the first (as the
// kernels examine a column for their fast windows) around each end of the
// windows (1901 to 2099, March 1900 to 27 February 2100, the calendar up to
// 1 March 4000): in each block the one day outside a window is its first
// day before it or its first day past it, which must send the block the
// general way; each day paired with the day before, the outside day at the
// end of the pair before a window and at its start past one.
std::vector<std::array<int64_t, 2>> window_edges()
{
    std::vector<std::array<int64_t, 2>> v;
    for (int64_t first : {-21549, -21855, -138061})
        for (int64_t i = 0; i < 256; i++)
            v.push_back({first + i, first - 1 + i});
    for (int64_t end : {51135, 51193, 745154})
        for (int64_t i = 0; i < 256; i++)
            v.push_back({end - 255 + i, end - 256 + i});
    return v;
}

} // namespace

// Pairs at the ends of the kernel's fast windows; every date of the
// calendar as a start, against ends at distances that cross month ends,
// leap days and whole years (each distance for a run of dates, so that
// runs inside the windows go the fast way), and against the first day (so
// that every count of days and of leap days is divided); random pairs; every
// code (out-of-range ones included) for a whole column, with and without
// days, and one code per row; every variant of the vectorised kernel, in
// both forms, over the whole column and at every short length and
// alignment: each element
// as the engine gives the pair alone.
TEST(Column, EveryPairAsTheEngineGivesIt)
{
    const double steps[] = {0, 0.5, 1, 28, 29, 59, 365, 366, 730, 1461, 36524, -1, -366, -2000000};
    std::mt19937_64 rng(20261206);
    std::vector<double> start, end;
    for (auto [a, b] : window_edges()) {
        start.push_back(static_cast<double>(a));
        end.push_back(static_cast<double>(b));
    }
    auto more = random_dates(rng, 4000), more_end = random_dates(rng, 4000);
    for (size_t i = 0; i < 4000; i += 9) {
        more_end[i] = more[i];                 // equal dates: 0 under every basis
        more_end[i + 1] = std::floor(more[i + 1]); // the same day backwards: -0.0
    }
    start.insert(start.end(), more.begin(), more.end());
    end.insert(end.end(), more_end.begin(), more_end.end());
    for (int64_t d = -138061; d <= 6589335; d++) { // step 0: the same day backwards; 0.5: equal
        start.push_back(static_cast<double>(d) + 0.5);
        end.push_back(static_cast<double>(d) + steps[(d + 138061) / 4096 % 14]);
    }
    for (int64_t d = -138061; d <= 6589335; d++) {
        start.push_back(-138061);
        end.push_back(static_cast<double>(d));
    }
    const size_t n = start.size();
    std::vector<double> years(n), want(n);
    std::vector<int64_t> days(n), want_days(n);
    auto check = [&](const char *what, bool with_days) {
        for (size_t i = 0; i < n; i++)
            ASSERT_TRUE(SameBits(years[i], want[i]) && (!with_days || days[i] == want_days[i]))
                << what << " " << i << ": " << hex(start[i]) << " " << hex(end[i]);
        std::fill(years.begin(), years.end(), from_bits(0x7FF4000000000BAD)); // no output's bits
        std::fill(days.begin(), days.end(), -1);
    };
    for (int32_t code = -1; code <= 6; code++) {
        SCOPED_TRACE("basis " + std::to_string(code));
        for (size_t i = 0; i < n; i++)
            want[i] = tk_yrdif_one(code, start[i], end[i], &want_days[i]);
        tk_yrdif_column(code, start.data(), end.data(), n, years.data(), days.data());
        check("column with days", true);
        tk_yrdif_column(code, start.data(), end.data(), n, years.data(), nullptr);
        check("column", false);
        auto runs = variants(tk_column_sse2_years, tk_column_avx2_years, tk_column_avx512_years);
        for (auto run : variants(tk_column_sse2_years_ahead, tk_column_avx2_years_ahead,
                                 tk_column_avx512_years_ahead))
            runs.push_back(run); // the same loops, asking for their dates ahead
        for (auto run : runs)
            if (code >= TK_BASIS_30_360 && code <= TK_BASIS_AGE) {
                run(code, start.data(), end.data(), n, years.data());
                check("variant", false);
                for (size_t off = 0; off < 4; off++)
                    for (size_t len = 0; len <= 37; len++) {
                        std::vector<double> out(len + 2, 1.5);
                        run(code, start.data() + off, end.data() + off, len, out.data() + 1);
                        ASSERT_EQ(bits(out[0]) | bits(out[len + 1]), bits(1.5));
                        for (size_t i = 0; i < len; i++)
                            ASSERT_TRUE(SameBits(out[i + 1], want[off + i]));
                    }
            }
    }
    std::vector<int32_t> codes(n);
    std::uniform_int_distribution<int32_t> any_code(-1, 6);
    for (size_t i = 0; i < n; i++)
        want[i] = tk_yrdif_one(codes[i] = any_code(rng), start[i], end[i], &want_days[i]);
    tk_yrdif_column_codes(codes.data(), start.data(), end.data(), n, years.data(), days.data());
    check("codes with days", true);
    tk_yrdif_column_codes(codes.data(), start.data(), end.data(), n, years.data(), nullptr);
    check("codes", false);
}

// The bindings' date conversions where their own tests do not reach (the
// Python tests walk every day of the calendar through them): the extreme
// day counts, a year past the range, the 29 February of a year divisible by
// 4000, days and months out of range, and years 0 to 99, which are never
// two-digit years here.
TEST(ColumnDates, NeverInTheCalendar)
{
    const int64_t days[] = {INT64_MIN, INT64_MAX, INT64_MIN + 1};
    double values[3];
    tk_dates_of_epoch_days(days, 3, INT64_MIN + 1, values);
    for (double v : {values[0], values[1], values[2], tk_date_of_ymd(INT64_MAX, 1, 1),
                     tk_date_of_ymd(4000, 2, 29), tk_date_of_ymd(2000, 12, 32),
                     tk_date_of_ymd(2001, 0, 1), tk_date_of_ymd(2000, 3, 0), tk_date_of_ymd(60, 1, 1)})
        EXPECT_TRUE(SameBits(v, missing()));
}

// Pairs at the ends of the kernel's fast windows; every day from two before
// the calendar to two after it, as Arrow date32 days (from 1970-01-01),
// against ends at distances that cross month ends, leap days and 29
// February 4000 (each distance for a run of days), and the extreme int32
// days; nulls in both validity bitmaps at odd bit offsets: every element
// and validity bit as the engine gives the same calendar dates (converted
// by year, month and day), for every code, with one code per row (in runs)
// with and without day counts, through each variant; and at every short
// length, nothing written past it.
TEST(Column, Date32AsTheEngineGivesIt)
{
    const int32_t steps[] = {0, 1, 28, 29, 59, 365, 366, 1461, 36524, -1, -366, -2000000};
    std::vector<int32_t> start, end;
    for (auto [a, b] : window_edges()) {
        start.push_back(static_cast<int32_t>(a - 3653));
        end.push_back(static_cast<int32_t>(b - 3653));
    }
    start.insert(start.end(), {INT32_MIN, INT32_MAX, 0});
    end.insert(end.end(), {0, INT32_MIN, INT32_MAX});
    for (int32_t d = -138061 - 3653 - 2; d <= 6589340 - 3653 + 2; d++) {
        start.push_back(d);
        end.push_back(d + steps[(d + 141716) / 4096 % 12]);
    }
    const size_t n = start.size();
    std::mt19937_64 rng(20261207);
    std::vector<uint8_t> sv(n / 8 + 2), ev(n / 8 + 2), valid((n + 7) / 8);
    for (auto *b : {&sv, &ev})
        for (auto &byte : *b)
            byte = static_cast<uint8_t>(rng() | rng() | rng() | rng()); // about 6% nulls
    auto bit = [](const std::vector<uint8_t> &b, size_t i) { return (b[i / 8] >> (i % 8)) & 1; };
    std::vector<double> years(n), want(n);
    std::vector<int64_t> days(n), want_days(n);
    std::vector<int32_t> codes(n);
    std::uniform_int_distribution<int32_t> any_code(-1, 6);
    std::vector<double> v1(n), v2(n);
    auto convert = [&] {
        for (size_t i = 0; i < n; i++) {
            v1[i] = bit(sv, i + 3) ? tk_date_of_epoch_day(start[i]) : NAN;
            v2[i] = bit(ev, i + 5) ? tk_date_of_epoch_day(end[i]) : NAN;
        }
    };
    auto expect = [&](int32_t code, bool per_row) { // per row: runs of about 24 of a code
        for (size_t i = 0; i < n; i++) {
            if (per_row && (i == 0 || rng() % 24 == 0))
                code = any_code(rng);
            want[i] = tk_yrdif_one(codes[i] = code, v1[i], v2[i], &want_days[i]);
        }
    };
    convert();
    auto check = [&](const char *what, int64_t none, bool with_days) {
        int64_t count = 0;
        for (size_t i = 0; i < n; i++) {
            count += std::isnan(want[i]);
            ASSERT_TRUE(SameBits(years[i], want[i]) && bit(valid, i) == !std::isnan(want[i]) &&
                        (!with_days || days[i] == want_days[i]))
                << what << " " << i << ": " << start[i] << " " << end[i];
        }
        ASSERT_EQ(none, count) << what;
        ASSERT_EQ(valid.back() >> (n % 8 ? n % 8 : 8), 0) << what; // no bit past n
        std::fill(years.begin(), years.end(), from_bits(0x7FF4000000000BAD));
        std::fill(valid.begin(), valid.end(), 0xA5);
    };
    for (auto date32 :
         variants(tk_column_sse2_date32, tk_column_avx2_date32, tk_column_avx512_date32)) {
        for (int32_t code = -1; code <= 6; code++) {
            SCOPED_TRACE("basis " + std::to_string(code));
            expect(code, false);
            const bool with_days = code % 2 != 0; // day counts without codes, for some bases
            check("column", date32(code, nullptr, start.data(), sv.data(), 3, end.data(), ev.data(), 5, n,
                                   years.data(), with_days ? days.data() : nullptr, valid.data()),
                  with_days);
        }
        expect(0, true); // day counts come pair by pair; long runs of a code go as a column
        // With codes, the basis argument is not used.
        check("codes", date32(TK_BASIS_AGE, codes.data(), start.data(), sv.data(), 3, end.data(), ev.data(), 5, n,
                              years.data(), days.data(), valid.data()),
              true);
        check("runs", date32(TK_BASIS_30_360, codes.data(), start.data(), sv.data(), 3, end.data(), ev.data(), 5, n,
                             years.data(), nullptr, valid.data()),
              false);
        const size_t y2k = std::find(start.begin(), start.end(), 10957) - start.begin();
        for (int32_t code = TK_BASIS_30_360; code <= TK_BASIS_AGE; code++) {
            auto engine = [&](size_t i) {
                return tk_yrdif_one(code, tk_date_of_epoch_day(start[i]), tk_date_of_epoch_day(end[i]), nullptr);
            };
            // A column in every window and without bitmaps, ending in part of a word.
            ASSERT_EQ(date32(code, nullptr, &start[y2k], nullptr, 0, &end[y2k], nullptr, 0, 319, &years[y2k],
                             nullptr, valid.data()),
                      0);
            for (size_t i = 0; i < 319; i++)
                ASSERT_TRUE(SameBits(years[y2k + i], engine(y2k + i)) && bit(valid, i)) << i;
            ASSERT_EQ(valid[319 / 8] >> 7, 0); // no bit past the last of a word of 63
            for (size_t len = 0; len <= 37; len++) { // nothing written past the length
                std::vector<double> out(len + 2, 1.5);
                std::vector<uint8_t> out_valid(len / 8 + 2, 0xA5);
                date32(code, nullptr, start.data() + 7, sv.data(), 10, end.data() + 7, ev.data(), 12, len,
                       out.data() + 1, nullptr, out_valid.data());
                ASSERT_EQ(bits(out[0]) | bits(out[len + 1]), bits(1.5));
                ASSERT_EQ(out_valid[(len + 7) / 8], 0xA5);
                for (size_t i = 0; i < len; i++)
                    ASSERT_TRUE(SameBits(out[i + 1], bit(sv, i + 10) && bit(ev, i + 12) ? engine(7 + i) : missing()))
                        << len << " " << i;
            }
        }
    }
}
