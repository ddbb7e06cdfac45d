// The date difference engine: the stated examples as one table compared by
// bits, the status order, and 'ACT/ACT' and 'AGE' against a plain
// year-by-year reference over random pairs and pairs around the years
// where the leap rules turn.
#include <chrono>
#include <random>
#include <vector>

#include "support.h"

using namespace tktest;

namespace {

// Date value of a calendar date, through the module's own conversions
// (tested on their own over the whole calendar).
double dv(int y, int m, int d)
{
    return tkfmtzdatjul(tkfmtzjulymd(y, m, d));
}

// Days of the proleptic Gregorian calendar, which has the engine's leap
// rule, counted by the standard library.
int64_t civil(int64_t y, int64_t m, int64_t d)
{
    using namespace std::chrono;
    return sys_days(year{static_cast<int>(y)} / static_cast<int>(m) / static_cast<int>(d))
        .time_since_epoch()
        .count();
}

bool gregorian_leap(int64_t y) { return std::chrono::year{static_cast<int>(y)}.is_leap(); }

struct Triple {
    int64_t y, m, d;
};

Triple triple(double date)
{
    double y, m, d;
    tkfmtzymdjul(&y, &m, &d, tkfmtzjuldat(date));
    return {static_cast<int64_t>(y), static_cast<int64_t>(m), static_cast<int64_t>(d)};
}

// Year-by-year 'ACT/ACT' and 'AGE', written from the rules with an
// independent day count: days of the start and end years and of the years
// between go to the leap or the common bucket ('AGE' first moves a date in
// a leap year out to the year beyond, 29 February to the 28th, one year
// taken off per move).
struct Result {
    int64_t days;
    double years;
};

Result reference(int basis, double date1, double date2)
{
    const auto [s, e] = std::minmax(date1, date2);
    if (s == e)
        return {0, 0.0};
    Triple t[2] = {triple(s), triple(e)};
    int64_t adj = 0;
    for (int i = 0; i < 2 && basis == 5; i++)
        if (gregorian_leap(t[i].y)) {
            t[i].y += i ? 1 : -1, adj++;
            t[i].d -= t[i].m == 2 && t[i].d == 29;
        }
    int64_t bucket[2] = {0, 0}; // common, leap
    for (int64_t y = t[0].y; y <= t[1].y; y++)
        bucket[gregorian_leap(y)] += (y == t[1].y ? civil(y, t[1].m, t[1].d) : civil(y + 1, 1, 1)) -
                                     (y == t[0].y ? civil(y, t[0].m, t[0].d) : civil(y, 1, 1));
    const double sign = date1 > date2 ? -1.0 : 1.0;
    return {(bucket[0] + bucket[1]) * static_cast<int64_t>(sign),
            sign * ((static_cast<double>(bucket[0]) / 365.0 - static_cast<double>(adj)) +
                    static_cast<double>(bucket[1]) / 366.0)};
}

struct Row {
    const char *name;
    int basis;
    double d1, d2;
    int status;
    int64_t days;
    double years;
};

// Exchanging the dates negates both outputs exactly under every basis but
// '30/360' (whose month-end rules apply in argument order) wherever the
// dates are different days; each such row is checked both ways.
const Row kRows[] = {
    // 1 Jan 2000 to 1 Jul 2001, every basis.
    {"30/360 span", 1, 14610, 15157, 0, 540, 1.5},
    {"act/act span", 2, 14610, 15157, 0, 547, 1.4958904109589042},
    {"act/360 span", 3, 14610, 15157, 0, 547, 1.5194444444444444},
    {"act/365 span", 4, 14610, 15157, 0, 547, 1.4986301369863013},
    {"age span", 5, 14610, 15157, 0, 912, 1.4958904109589042},
    // Same day, different doubles: -0.0 under 2 and 5 when date 1 is larger.
    {"same day 30/360", 1, 100.7, 100.3, 0, 0, 0.0},
    {"same day act/act reversed", 2, 100.7, 100.3, 0, 0, -0.0},
    {"same day act/360 reversed", 3, 100.7, 100.3, 0, 0, 0.0},
    {"same day age reversed", 5, 100.7, 100.3, 0, -731, -0.0},
    // -0.0 and 0.0 are the same date and equal doubles: +0.0, whichever is first.
    {"signed zeros act/act", 2, -0.0, 0.0, 0, 0, 0.0},
    {"signed zeros age", 5, 0.0, -0.0, 0, 0, 0.0},
    // Statuses, in order of the checks.
    {"NaN date 1", 2, NAN, 0, 3, 0, 0},
    {"NaN date 2 bad basis", 0, 0, NAN, 4, 0, 0},
    {"NaN date 1 age", 5, NAN, 1e9, 3, 0, 0},
    {"basis 0", 0, 0, 10, 1, 0, 0},
    {"basis 6", 6, 0, 10, 1, 0, 0},
    {"late date 1 act/360", 3, 6589336, 0, 3, 0, 0},
    {"late date 1 bad basis", 0, 6589336, 0, 3, 0, 0},
    {"late date 1 act/act exchanged", 2, 6589336, 0, 4, 0, 0},
    {"late date 1 age exchanged", 5, 6589336, 0, 4, 0, 0},
    {"early date 2", 4, 0, -138062, 4, 0, 0},
    {"early date 2 act/act exchanged", 2, 0, -138062, 3, 0, 0},
    {"last fraction in range", 4, 6589335.999, 6589335, 0, 0, 0.0},
    {"infinite date 1", 4, INFINITY, 0, 3, 0, 0},
    {"infinite date 2", 1, 0, -INFINITY, 4, 0, 0},
    {"infinite date 2 exchanged", 2, 0, -INFINITY, 3, 0, 0},
    // '30/360' adjustments.
    {"31 Jan to 31 Mar", 1, dv(2001, 1, 31), dv(2001, 3, 31), 0, 60, 60 / 360.0},
    {"30 Jan to 31 Mar", 1, dv(2001, 1, 30), dv(2001, 3, 31), 0, 60, 60 / 360.0},
    {"29 Jan to 31 Mar", 1, dv(2001, 1, 29), dv(2001, 3, 31), 0, 62, 62 / 360.0},
    {"31 Mar to 29 Jan", 1, dv(2001, 3, 31), dv(2001, 1, 29), 0, -61, -0.16944444444444445},
    {"28 Feb to 31 Mar 2001", 1, dv(2001, 2, 28), dv(2001, 3, 31), 0, 30, 30 / 360.0},
    {"31 Mar to 28 Feb 2001", 1, dv(2001, 3, 31), dv(2001, 2, 28), 0, -32, -32 / 360.0},
    {"28 Feb to 31 Mar 2000", 1, dv(2000, 2, 28), dv(2000, 3, 31), 0, 33, 33 / 360.0},
    {"29 Feb to 31 Mar 2000", 1, dv(2000, 2, 29), dv(2000, 3, 31), 0, 30, 30 / 360.0},
    {"leap Feb end to Feb end", 1, dv(2000, 2, 29), dv(2001, 2, 28), 0, 360, 1.0},
    {"mid Jan to Feb end", 1, dv(2001, 1, 15), dv(2001, 2, 28), 0, 43, 43 / 360.0},
    {"28 Feb 4000 is no month end", 1, dv(4000, 2, 28), dv(4000, 3, 31), 0, 33, 33 / 360.0},
    {"28 Feb 3999 is a month end", 1, dv(3999, 2, 28), dv(3999, 3, 31), 0, 30, 30 / 360.0},
    // 'ACT/ACT' and 'AGE' (the year-by-year reference below does the rest).
    {"Jul 2003 to Jul 2004", 2, dv(2003, 7, 1), dv(2004, 7, 1), 0, 366, 1.0013773486039375},
    {"whole of 2000", 2, dv(2000, 1, 1), dv(2000, 12, 31), 0, 365, 365 / 366.0},
    {"29 Feb to 28 Feb", 5, dv(2000, 2, 29), dv(2001, 2, 28), 0, 731, 1.0},
    {"29 Feb to 27 Feb 2004", 5, dv(2000, 2, 29), dv(2004, 2, 27), 0, 2191,
     3.9972602739726026},
    {"29 Feb to 29 Feb 2004", 5, dv(2000, 2, 29), dv(2004, 2, 29), 0, 2192, 4.0},
    {"over 29 Feb in 1960", 5, dv(1960, 2, 28), dv(1960, 3, 1), 0, 732, 0.00273972602739736},
    // Years divisible by 4000 have a 29 February for the engine only.
    {"4000 act/360", 3, 745095, 745460, 0, 366, 1.0166666666666666},
    {"4000 act/act", 2, 745095, 745460, 0, 366, 1.0},
    {"over Feb 4000", 4, 745153, 745154, 0, 2, 2 / 365.0},
    // The widest span.
    {"widest act/act", 2, -138061, 6589335, 0, 6727401, 18418.99726775956},
    {"widest act/365", 4, -138061, 6589335, 0, 6727401, 6727401 / 365.0},
};

TEST(Engine, Examples)
{
    for (const auto &r : kRows) {
        for (bool exchanged : {false, true}) {
            if (exchanged && (r.status != 0 || r.basis == 1 || std::floor(r.d1) == std::floor(r.d2)))
                continue;
            int64_t days = -12345;
            double years = -7.5;
            const int sign = exchanged ? -1 : 1;
            int rc = exchanged ? zdatdif(r.basis, &days, &years, r.d2, r.d1)
                               : zdatdif(r.basis, &days, &years, r.d1, r.d2);
            ASSERT_EQ(rc, r.status) << r.name;
            if (rc != 0) {
                EXPECT_EQ(days, -12345) << r.name << ": output touched on failure";
                EXPECT_TRUE(SameBits(years, -7.5)) << r.name << ": output touched on failure";
                continue;
            }
            EXPECT_EQ(days, sign * r.days) << r.name << (exchanged ? " exchanged" : "");
            EXPECT_TRUE(SameBits(years, sign * r.years)) << r.name << (exchanged ? " exchanged" : "");
        }
    }
    for (int basis = 1; basis <= 5; basis++) { // equal dates; no outputs at all
        int64_t days = 1;
        double years = 1;
        EXPECT_EQ(zdatdif(basis, nullptr, nullptr, 100, 100), 0);
        EXPECT_EQ(zdatdif(basis, &days, &years, 100, 100), 0);
        EXPECT_TRUE(days == 0 && SameBits(years, 0.0)) << basis;
    }
}

// Dates next to the turns of the leap rules: around 1 January and the end of
// February of years near multiples of 4, 100, 400 and 4000.
std::vector<double> turning_dates()
{
    std::vector<double> out = {-138061, 6589335};
    for (int k : {1600, 1700, 1900, 2000, 2100, 2400, 3996, 4000, 4004, 8000, 12000, 16000,
                  19996, 20000}) {
        for (int y = k - 1; y <= k + 1; y++) {
            if (y < 1582 || y > 20000)
                continue;
            for (auto [m, d] : {std::pair{1, 1}, {2, 28}, {2, 29}, {3, 1}, {12, 31}}) {
                double v = dv(y, m, d);
                if (!std::isnan(v))
                    out.push_back(v);
            }
        }
    }
    return out;
}

void expect_reference(int basis, double a, double b)
{
    Result want = reference(basis, a, b);
    int64_t days = 0;
    double years = 0;
    ASSERT_EQ(zdatdif(basis, &days, &years, a, b), 0);
    ASSERT_EQ(days, want.days) << basis << ": " << a << " " << b;
    ASSERT_TRUE(SameBits(years, want.years)) << basis << ": " << a << " " << b;
}

// Every pair of turning dates, and random pairs near and far apart.
TEST(Engine, ActActAndAgeAgainstYearByYear)
{
    auto dates = turning_dates();
    for (double a : dates)
        for (double b : dates)
            for (int basis : {2, 5})
                expect_reference(basis, a, b);
    std::mt19937_64 rng(20261205);
    std::uniform_real_distribution<double> any(-138061, 6589336);
    std::uniform_int_distribution<int> span(-800, 800);
    for (int i = 0; i < 20000; i++) {
        double a = any(rng);
        double b = i % 2 ? any(rng) : std::clamp(a + span(rng), -138061.0, 6589335.0);
        for (int basis : {2, 5})
            expect_reference(basis, a, b);
    }
}

} // namespace
