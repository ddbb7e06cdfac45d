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
    k.option_mode = tkhost::OptionMode::Normal;
    if (cutoff == SilentSuccess) {
        k.option_mode = tkhost::OptionMode::SucceedSilently;
        k.set_year_cutoff(1234); // must not be seen
    } else if (cutoff != LookupFails) {
        k.set_year_cutoff(cutoff);
    }
}

const double M = missing();

class Calendar : public WithKernel {};

struct YmdRow {
    const char *name;
    double y, m, d;
    int64_t cutoff;
    double want;
};

TEST_F(Calendar, JulianFromYearMonthDay)
{
    const YmdRow rows[] = {
        {"leap day 2000", 2000, 2, 29, LookupFails, 2000060},
        {"no leap day 1900", 1900, 2, 29, LookupFails, M},
        {"no leap day 4000", 4000, 2, 29, LookupFails, M},
        {"28 Feb 4000", 4000, 2, 28, LookupFails, 4000059},
        {"last day leap year", 2000, 12, 31, LookupFails, 2000366},
        {"last day common year", 2001, 12, 31, LookupFails, 2001365},
        {"first day of calendar", 1582, 1, 1, LookupFails, 1582001},
        {"last day of calendar", 20000, 12, 31, LookupFails, 20000365},
        {"before calendar", 1581, 12, 31, LookupFails, M},
        {"after calendar", 20001, 1, 1, LookupFails, M},
        {"three-digit year", 100, 1, 1, LookupFails, M},
        {"99.5 is not two-digit", 99.5, 1, 1, LookupFails, M},
        {"fractional day past April", 2000, 4, 30.5, LookupFails, M},
        {"fractional day past January", 2000, 1, 31.5, LookupFails, M},
        {"fractional month above 12", 2000, 12.5, 1, LookupFails, M},
        {"fractional month below 1", 2000, 0.5, 1, LookupFails, M},
        {"fractional day below 1", 2000, 1, 0.5, LookupFails, M},
        {"negative year", -0.5, 1, 1, LookupFails, M},
        {"fractions truncate", 2000, 11.9, 1.9, LookupFails, 2000306},
        {"month 0", 2000, 0, 1, LookupFails, M},
        {"day 32", 2000, 1, 32, LookupFails, M},
        {"31 April", 2000, 4, 31, LookupFails, M},
        {"29.9 Feb 2000 is past the month", 2000, 2, 29.9, LookupFails, M},
        {"28.9 Feb 2001 is past the month", 2001, 2, 28.9, LookupFails, M},
        {"28.9 Feb 2000 truncates", 2000, 2, 28.9, LookupFails, 2000059},
        {"NaN year", NAN, 1, 1, LookupFails, M},
        {"NaN month", 2000, NAN, 1, LookupFails, M},
        {"NaN day", 2000, 1, NAN, LookupFails, M},
        {"infinite year", INFINITY, 1, 1, LookupFails, M},
        {"60 with cutoff 1920", 60, 1, 1, 1920, 1960001},
        {"60 with fallback 1926", 60, 1, 1, LookupFails, 1960001},
        {"60 with cutoff 1970", 60, 1, 1, 1970, 2060001},
        {"20 with fallback", 20, 1, 1, LookupFails, 2020001},
        {"25 with fallback", 25, 1, 1, LookupFails, 2025001},
        {"26 with fallback", 26, 1, 1, LookupFails, 1926001},
        {"49 with silent lookup", 49, 1, 1, SilentSuccess, 2049001},
        {"50 with silent lookup", 50, 1, 1, SilentSuccess, 1950001},
        {"98.7 is two-digit", 98.7, 1, 1, LookupFails, 1998001},
        {"0 with cutoff 2000", 0, 1, 1, 2000, 2000001},
        {"99 with cutoff 2000", 99, 1, 1, 2000, 2099001},
        {"98 with cutoff 1999", 98, 1, 1, 1999, 2098001},
        {"99 with cutoff 1999", 99, 1, 1, 1999, 1999001},
        {"leap day of widened 2000", 0, 2, 29, 2000, 2000060},
        {"no leap day of widened 1900", 0, 2, 29, 1900, M},
    };
    for (const auto &r : rows) {
        configure(kernel, r.cutoff);
        EXPECT_TRUE(SameBits(tkfmtzjulymd(r.y, r.m, r.d), r.want)) << r.name;
    }
}

struct JulRow {
    const char *name;
    double jul;
    int64_t cutoff;
    double want;
};

TEST_F(Calendar, DateValueFromJulian)
{
    const JulRow rows[] = {
        {"epoch", 1960001, LookupFails, 0},
        {"leap day 2000", 2000060, LookupFails, 14669},
        {"1 March 1900", 1900060, LookupFails, -21855},
        {"day 366 of 2000", 2000366, LookupFails, 14975},
        {"first day", 1582001, LookupFails, -138061},
        {"last day", 20000365, LookupFails, 6589335},
        {"day 366 of 2001", 2001366, LookupFails, M},
        {"day 366 of 20000", 20000366, LookupFails, M},
        {"year 1581", 1581365, LookupFails, M},
        {"year 100", 100001, LookupFails, M},
        {"day 366 of 1999", 99366, LookupFails, M},
        {"below one", 0.5, LookupFails, M},
        {"zero", 0, LookupFails, M},
        {"negative", -1, LookupFails, M},
        {"day 367", 2000367, LookupFails, M},
        {"NaN", NAN, LookupFails, M},
        {"infinity", INFINITY, LookupFails, M},
        {"two-digit 60", 60001, LookupFails, 0},
        {"two-digit 0 is 2000", 1, LookupFails, 14610},
        {"fraction truncates", 2000001.7, LookupFails, 14610},
        {"day 0 is last day of year before", 2000000, LookupFails, 14609},
        {"two-digit with cutoff 1970", 60001, 1970, 36525},
        {"two-digit day 366 of widened 2000", 366, LookupFails, 14975},
    };
    for (const auto &r : rows) {
        configure(kernel, r.cutoff);
        EXPECT_TRUE(SameBits(tkfmtzdatjul(r.jul), r.want)) << r.name;
    }
}

TEST_F(Calendar, YearMonthDayFromJulian)
{
    struct Row {
        double jul, y, m, d;
    };
    const Row rows[] = {
        {1900060, 1900, 3, 1},  {2000000, 2000, 1, 0},  {2000060, 2000, 2, 29},
        {2000366, 2000, 12, 31}, {2001365, 2001, 12, 31}, {20000365, 20000, 12, 31},
        {2001366, M, M, M},     {0.5, M, M, M},          {NAN, M, M, M},
        {99001, 1999, 1, 1},
    };
    configure(kernel, LookupFails);
    for (const auto &r : rows) {
        double y = 7, m = 7, d = 7;
        EXPECT_EQ(tkfmtzymdjul(&y, &m, &d, r.jul), 0);
        EXPECT_TRUE(SameBits(y, r.y)) << r.jul;
        EXPECT_TRUE(SameBits(m, r.m)) << r.jul;
        EXPECT_TRUE(SameBits(d, r.d)) << r.jul;
    }
}

TEST_F(Calendar, JulianFromDateValue)
{
    struct Row {
        double date, want;
    };
    const Row rows[] = {
        {0, 1960001},          {-0.5, 1959365},     {-1, 1959365},
        {59, 1960060},         {60, 1960061},       {-138061, 1582001},
        {6589335.99, 20000365}, {-138061.5, M},      {6589336, M},
        {-INFINITY, M},        {INFINITY, M},       {-0.0, 1960001},
        {4.9e-324, 1960001},   {-4.9e-324, 1959365}, {14609, 1999365},
    };
    for (const auto &r : rows)
        EXPECT_TRUE(SameBits(tkfmtzjuldat(r.date), r.want)) << r.date;

    // A NaN comes back with its own bits, whatever the payload and sign.
    for (uint64_t b : {0x7FF8000000000000ull, 0xFFF8000000000000ull, 0x7FF0000000000001ull,
                       0xFFFFFE0000000000ull, 0x7FFFFFFFFFFFFFFFull, 0xFFF0DEADBEEF0000ull})
        EXPECT_EQ(bits(tkfmtzjuldat(from_bits(b))), b);
    EXPECT_EQ(kernel.calls.total(), 0);
}

// The option lookup runs once per widening, with the stated arguments, and
// never for a four-digit year.
TEST_F(Calendar, CutoffLookupCallShape)
{
    configure(kernel, LookupFails);
    tkfmtzjulymd(2000, 1, 1);
    tkfmtzdatjul(2000001);
    double y, m, d;
    tkfmtzymdjul(&y, &m, &d, 2000001);
    tkfmtzjuldat(100);
    EXPECT_EQ(kernel.calls.total(), 0);

    tkfmtzjulymd(10, 1, 1);
    tkfmtzdatjul(10001);
    tkfmtzymdjul(&y, &m, &d, 10001);
    EXPECT_EQ(kernel.calls[TKH_KERNEL_OPTION_LOOKUP], 3);
    auto args = kernel.last_lookup();
    EXPECT_EQ(args.name, U"TK_NAME_YEARCUTOFF");
    EXPECT_EQ(args.name_len, 18);
    EXPECT_EQ(args.kind, 3);
    EXPECT_EQ(args.value_in, 1950);
    EXPECT_EQ(args.size_in, 8);

    // Rejections before widening make no lookup.
    tkfmtzjulymd(10, 13, 1);
    tkfmtzdatjul(10367);
    EXPECT_EQ(kernel.calls[TKH_KERNEL_OPTION_LOOKUP], 3);
}

// The cutoff is read afresh on every widening.
TEST_F(Calendar, CutoffReadEachTime)
{
    configure(kernel, 1970);
    EXPECT_TRUE(SameBits(tkfmtzjulymd(60, 1, 1), 2060001));
    configure(kernel, 1920);
    EXPECT_TRUE(SameBits(tkfmtzjulymd(60, 1, 1), 1960001));
    // Only the low 32 bits of the value word count.
    configure(kernel, (int64_t{5} << 32) + 1970);
    EXPECT_TRUE(SameBits(tkfmtzjulymd(60, 1, 1), 2060001));
}

// Every date value of the calendar: the round trips hold, fractions floor,
// and the day agrees with std::chrono's civil calendar once the 29 February
// of each year divisible by 4000 (which this calendar lacks) is allowed for.
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
        // Consecutive days: the next day of the year, or day 1 of the next.
        if (d > -138061) {
            bool next_day = jul == prev_jul + 1;
            bool new_year = jul == (std::floor(prev_jul / 1000) + 1) * 1000 + 1;
            ASSERT_TRUE(next_day || new_year) << d;
        }
        prev_jul = jul;
        if (dd == 1 || d % 97 == 0) { // a sample is enough for the civil check
            auto ymd = year{static_cast<int>(y)} / month{static_cast<unsigned>(m)} /
                       day{static_cast<unsigned>(dd)};
            ASSERT_TRUE(ymd.ok()) << d;
            int64_t civil = (sys_days(ymd) - epoch).count();
            int64_t skipped = 0; // 29 Feb of 4000, 8000, ... before the date
            for (int64_t k = 4000; k <= static_cast<int64_t>(y); k += 4000)
                skipped += static_cast<int64_t>(y) > k || m > 2;
            ASSERT_EQ(civil - skipped, d) << y << "-" << m << "-" << dd;
        }
    }
    EXPECT_EQ(kernel.calls.total(), 0);
}

} // namespace
