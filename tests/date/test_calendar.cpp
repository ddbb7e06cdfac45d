// Calendar conversions: the stated examples as tables, two-digit years
// through the stand-in host's option lookup, and every date of the calendar
// against an independent civil-date count.
#include <chrono>

#include "support.h"

using namespace tktest;

namespace {

// How the cutoff option answers in a row.
enum Cutoff : int64_t { LookupFails = -1000000, SilentSuccess = -2000000 };

void configure(tkhost::Kernel &k, int64_t cutoff)
{
    k.clear_option(U"TK_NAME_YEARCUTOFF");
    const bool silent = cutoff == SilentSuccess;
    k.option_mode = silent ? tkhost::OptionMode::SucceedSilently : tkhost::OptionMode::Normal;
    if (cutoff != LookupFails)
        k.set_year_cutoff(silent ? 1234 : cutoff); // a silent success's value must not be seen
}

const double M = missing();

class Calendar : public WithKernel {};

// Rejections, truncation and two-digit years; valid four-digit dates are
// the whole-calendar walk's.
TEST_F(Calendar, JulianFromYearMonthDay)
{
    const struct {
        const char *name;
        double y, m, d;
        int64_t cutoff;
        double want;
    } rows[] = {
        {"no leap day 1900", 1900, 2, 29, LookupFails, M},
        {"no leap day 4000", 4000, 2, 29, LookupFails, M},
        {"three-digit year", 100, 1, 1, LookupFails, M},
        {"99.5 is not two-digit", 99.5, 1, 1, LookupFails, M},
        {"fractional day past April", 2000, 4, 30.5, LookupFails, M},
        {"fractional day past January", 2000, 1, 31.5, LookupFails, M},
        {"fractions truncate", 2000, 11.9, 1.9, LookupFails, 2000306},
        {"29.9 Feb 2000 is past the month", 2000, 2, 29.9, LookupFails, M},
        {"28.9 Feb 2001 is past the month", 2001, 2, 28.9, LookupFails, M},
        {"28.9 Feb 2000 truncates", 2000, 2, 28.9, LookupFails, 2000059},
        {"60 with cutoff 1920", 60, 1, 1, 1920, 1960001},
        {"60 with cutoff 1970", 60, 1, 1, 1970, 2060001},
        {"25 with fallback 1926", 25, 1, 1, LookupFails, 2025001},
        {"26 with fallback 1926", 26, 1, 1, LookupFails, 1926001},
        {"49 with silent lookup", 49, 1, 1, SilentSuccess, 2049001},
        {"50 with silent lookup", 50, 1, 1, SilentSuccess, 1950001},
        {"98.7 is two-digit", 98.7, 1, 1, LookupFails, 1998001},
        {"0 with cutoff 2000", 0, 1, 1, 2000, 2000001},
        {"99 with cutoff 1999", 99, 1, 1, 1999, 1999001},
        {"leap day of widened 2000", 0, 2, 29, 2000, 2000060},
        {"no leap day of widened 1900", 0, 2, 29, 1900, M},
        {"only the low 32 bits of the option count", 60, 1, 1, (int64_t{5} << 32) + 1970, 2060001},
        {"year past 20000", 20001, 1, 1, LookupFails, M},
        {"negative year", -1, 1, 1, LookupFails, M},
        {"NaN year", NAN, 1, 1, LookupFails, M},
        {"infinite year", INFINITY, 1, 1, LookupFails, M},
        {"month 13", 2000, 13, 1, LookupFails, M},
        {"month 0.5", 2000, 0.5, 1, LookupFails, M},
        {"day 0.9", 2000, 1, 0.9, LookupFails, M},
        {"NaN day", 2000, 1, NAN, LookupFails, M},
    };
    for (const auto &r : rows) {
        configure(kernel, r.cutoff);
        EXPECT_TRUE(SameBits(tkfmtzjulymd(r.y, r.m, r.d), r.want)) << r.name;
    }
}

// Julian dates to date values and to parts, and date values to Julian
// dates, outside what the walk covers: a NaN keeps its bits.
TEST_F(Calendar, JulianAndDateValueBounds)
{
    configure(kernel, LookupFails);
    const double to_value[][2] = {
        {2001366, M}, {20000366, M}, {1581365, M},       {100001, M},      {99366, M},
        {60001, 0},   {1, 14610},    {2000001.7, 14610}, {2000000, 14609}, {366, 14975},
    };
    for (const auto &r : to_value)
        EXPECT_TRUE(SameBits(tkfmtzdatjul(r[0]), r[1])) << r[0];
    const double payload = from_bits(0xFFF8000000000123);
    const double to_julian[][2] = {{-138061.5, M}, {-138062, M},  {6589335.99, 20000365},
                                   {6589336, M},   {INFINITY, M}, {-INFINITY, M},
                                   {NAN, NAN},     {payload, payload}};
    for (const auto &r : to_julian)
        EXPECT_TRUE(SameBits(tkfmtzjuldat(r[0]), r[1])) << r[0];
    const double to_parts[][4] = {
        {2000000, 2000, 1, 0}, {2001366, M, M, M}, {0.5, M, M, M}, {NAN, M, M, M}, {99001, 1999, 1, 1},
    };
    for (const auto &r : to_parts) {
        double p[3] = {7, 7, 7};
        EXPECT_EQ(tkfmtzymdjul(&p[0], &p[1], &p[2], r[0]), 0);
        for (int i = 0; i < 3; i++)
            EXPECT_TRUE(SameBits(p[i], r[i + 1])) << r[0];
    }
    configure(kernel, 1970);
    EXPECT_TRUE(SameBits(tkfmtzdatjul(60001), 36525));
}

// The option lookup runs once per widening, with the stated arguments, and
// never for a text rejected before widening (the walk below shows it never
// runs for a four-digit year).
TEST_F(Calendar, CutoffLookupCallShape)
{
    configure(kernel, LookupFails);
    double y, m, d;
    tkfmtzjulymd(10, 1, 1);
    tkfmtzdatjul(10001);
    tkfmtzymdjul(&y, &m, &d, 10001);
    tkfmtzjulymd(10, 13, 1);
    tkfmtzdatjul(10367);
    EXPECT_EQ(kernel.calls[TKH_KERNEL_OPTION_LOOKUP], 3);
    const auto a = kernel.last_lookup();
    EXPECT_EQ(std::tuple(a.name, a.name_len, a.kind, a.value_in, a.size_in),
              std::tuple(std::u32string(U"TK_NAME_YEARCUTOFF"), 18, 3, 1950, 8));
}

// Every date value of the calendar: the round trips hold, fractions floor,
// the day agrees with std::chrono's civil calendar once the 29 February of
// each year divisible by 4000 (which this calendar lacks) is allowed for,
// and the engine's day counts and 'ACT/ACT' years within a year agree
// with both.
TEST_F(Calendar, EveryDateOfTheCalendar)
{
    using namespace std::chrono;
    configure(kernel, LookupFails);
    const sys_days epoch = year{1960} / January / 1;
    double prev_jul = 0;
    for (int64_t d = -138061; d <= 6589335; d++) {
        double dv = static_cast<double>(d);
        double jul = tkfmtzjuldat(dv);
        ASSERT_TRUE(SameBits(tkfmtzdatjul(jul), dv)) << d;
        ASSERT_TRUE(SameBits(tkfmtzjuldat(dv + 0.75), jul)) << d;
        double y, m, dd;
        tkfmtzymdjul(&y, &m, &dd, jul);
        ASSERT_TRUE(SameBits(tkfmtzjulymd(y, m, dd), jul)) << d;
        auto ymd = year{static_cast<int>(y)} / month{static_cast<unsigned>(m)} /
                   day{static_cast<unsigned>(dd)};
        ASSERT_TRUE(ymd.ok()) << d;
        // Consecutive days: the next day of the year, or day 1 of the next.
        ASSERT_TRUE(d == -138061 || jul == prev_jul + 1 || jul == (y * 1000 + 1)) << d;
        prev_jul = jul;
        int64_t skipped = 0; // 29 Feb of 4000, 8000, ... before the date
        for (int64_t k = 4000; k <= static_cast<int64_t>(y); k += 4000)
            skipped += static_cast<int64_t>(y) > k || m > 2;
        const int64_t skipped_this_year = static_cast<int64_t>(y) % 4000 == 0 && m > 2;
        ASSERT_EQ((sys_days(ymd) - epoch).count() - skipped, d) << y << "-" << m << "-" << dd;
        // The engine's day count from 2000-01-01 counts the skipped days (a
        // fraction changes nothing); from the 15th of a month no '30/360'
        // adjustment applies, so that count shows its year, month and day.
        int64_t days = 0;
        ASSERT_EQ(zdatdif(4, &days, nullptr, 14610, dv + (d & 1 ? 0.5 : 0.0)), 0) << d;
        ASSERT_EQ(days, d - 14610 + skipped) << d;
        ASSERT_EQ(zdatdif(1, &days, nullptr, 14624, dv), 0) << d;
        ASSERT_EQ(days, 360 * (static_cast<int64_t>(y) - 2000) + 30 * (m - 1) + (dd - 15)) << d;
        // 'ACT/ACT' from 1 January: the day of the year over the year's
        // length, 366 in every leap year of the proleptic calendar.
        const int64_t doy = (sys_days(ymd) - sys_days(ymd.year() / January / 1)).count();
        double years = -1;
        zdatdif(2, nullptr, &years, dv - static_cast<double>(doy - skipped_this_year), dv);
        ASSERT_TRUE(SameBits(years, doy / (ymd.year().is_leap() ? 366.0 : 365.0))) << d;
    }
    EXPECT_EQ(kernel.calls.total(), 0);
}

} // namespace
