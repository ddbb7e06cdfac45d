// The date difference engine: the stated examples as one table compared by
// bits, in both orders and with no outputs, and the status order.  (The
// column kernel test compares the engine with the branch-free restatement
// of it over every date of the calendar and random pairs; the calendar
// test walks its day counts, and 'ACT/ACT' within each year, over every
// date.)

#include "support.h"

using namespace tktest;

namespace {

// Date value of a calendar date, through the module's own conversions
// (tested on their own over the whole calendar).
double dv(int y, int m, int d)
{
    return tkfmtzdatjul(tkfmtzjulymd(y, m, d));
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
    {"equal dates act/365", 4, 100, 100, 0, 0, 0.0},
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
    // 'ACT/ACT' and 'AGE'.
    {"Jul 2003 to Jul 2004", 2, dv(2003, 7, 1), dv(2004, 7, 1), 0, 366, 1.0013773486039375},
    {"29 Feb to 28 Feb", 5, dv(2000, 2, 29), dv(2001, 2, 28), 0, 731, 1.0},
    {"29 Feb to 27 Feb 2004", 5, dv(2000, 2, 29), dv(2004, 2, 27), 0, 2191,
     3.9972602739726026},
    {"29 Feb to 29 Feb 2004", 5, dv(2000, 2, 29), dv(2004, 2, 29), 0, 2192, 4.0},
    {"over 29 Feb in 1960", 5, dv(1960, 2, 28), dv(1960, 3, 1), 0, 732, 0.00273972602739736},
    // Years divisible by 4000 have a 29 February for the engine only.
    {"4000 act/360", 3, 745095, 745460, 0, 366, 1.0166666666666666},
    {"4000 act/act", 2, 745095, 745460, 0, 366, 1.0},
    // The widest span.
    {"widest act/act", 2, -138061, 6589335, 0, 6727401, 18418.99726775956},
};

TEST(Engine, Examples)
{
    for (const auto &r : kRows) {
        for (bool exchanged : {false, true}) {
            if (exchanged && (r.status != 0 || r.basis == 1 || std::floor(r.d1) == std::floor(r.d2)))
                continue;
            const double a = exchanged ? r.d2 : r.d1, b = exchanged ? r.d1 : r.d2;
            const std::string name = std::string(r.name) + (exchanged ? " exchanged" : "");
            int64_t days = -12345;
            double years = -7.5;
            ASSERT_EQ(zdatdif(r.basis, nullptr, nullptr, a, b), r.status) << name;
            ASSERT_EQ(zdatdif(r.basis, &days, &years, a, b), r.status) << name;
            const int sign = exchanged ? -1 : 1;
            EXPECT_EQ(days, r.status ? -12345 : sign * r.days) << name;
            EXPECT_TRUE(SameBits(years, r.status ? -7.5 : sign * r.years)) << name;
        }
    }
}

} // namespace
