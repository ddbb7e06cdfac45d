/*
 * engine.cpp - zdatdif, the difference of two date values in years under a
 * day-count basis, with the whole-day count it was formed from.
 *
 * The engine takes each date as year, month and day (what the calendar
 * conversions give) and counts with its own day number, whose leap rule has
 * no 4000-year exception: it counts 29 February 4000, 8000, ... although
 * the calendar has no such day.  Both come from one serial per date, the
 * date value plus those extra days, so no double round trip is needed.
 *
 * Status: 0 success, 1 basis code outside 1..5, 3 start date not in the
 * calendar, 4 end date not in the calendar.  Outputs are written only on
 * success and only through non-null pointers.
 *
 * Relies on: the calendar's range; never on the host (every year here is
 * 1582 or more, so no two-digit year is widened).
 */
#include "calendar.h"
#include "tkyrdif.h"

namespace {

struct Ymd {
    int32_t y, m, d;
};

/* The engine's leap rule: divisible by 4, and by 400 or not by 100.  Years
 * here are positive, so unsigned 32-bit arithmetic serves. */
inline bool engine_leap(uint32_t y)
{
    /* y % 400 == 0 exactly when y % 100 == 0 and y % 16 == 0 (400 = 16 * 25),
     * which leaves one division. */
    return (y & 3) == 0 && (y % 100 != 0 || (y & 15) == 0);
}

/* Leap years of the engine in 1 .. y. */
inline int64_t engine_leaps_through(uint32_t y)
{
    return y / 4 - y / 100 + y / 400;
}

/* Month correction c = floor(0.4 m + 2.3) for March .. December.  Only the
 * day numbers of 'AGE' triples and of 1 January use it. */
const int32_t month_correction[13] = {0, 0, 0, 3, 3, 4, 4, 5, 5, 5, 6, 6, 7};

/* The engine's day number.  Years reaching here run from 1582 to 20001 (the
 * 'AGE' adjustment moves a start back out of a leap year, 1584 at the
 * earliest, and an end forward), so every quotient is of positive integers
 * and truncation and floor agree. */
inline int64_t day_number(int32_t y, int32_t m, int32_t d)
{
    uint32_t yy = (uint32_t)(m >= 3 ? y : y - 1); /* 1581 .. 20001 */
    int32_t c = m >= 3 ? month_correction[m] : 0;
    return (int64_t)(365 * y + 31 * (m - 1) + d - c) + (int64_t)(yy / 4 - yy / 100 + yy / 400);
}

/* The engine serial of a triple: serial 0 is 1 January 1960, whose day
 * number is the calendar's offset CAL_S_OFFSET (S(1960) = -1 there too). */
inline int64_t serial_of(int32_t y, int32_t m, int32_t d)
{
    return day_number(y, m, d) - CAL_S_OFFSET;
}

/* The engine's serial of a date value, or false where tkfmtzjuldat followed
 * by tkfmtzymdjul gives the missing value: NaN or outside the calendar. */
inline bool engine_serial(double date, int64_t *serial)
{
    int64_t t;
    if (!cal_whole_date(date, &t))
        return false;
    *serial = cal_gregorian_serial(t); /* -138061 .. 6589340 */
    return true;
}

inline int32_t year_of(int64_t serial)
{
    uint32_t y, doy;
    cal_march_year(serial, &y, &doy);
    return (int32_t)(y + (doy >= CAL_MARCH_DOY_OF_JANUARY_1));
}

inline void triple_of(int64_t serial, Ymd *t)
{
    cal_triple_of_serial(serial, &t->y, &t->m, &t->d);
}

inline int32_t last_of_february(int32_t y)
{
    return engine_leap(y) ? 29 : 28;
}

/* '30/360'.  The order of the four adjustments matters: rule 1 looks at d1
 * before rule 2 changes it, and rule 3 looks at d1 after rule 2 and before
 * rule 4.  They apply to the dates in argument order. */
int64_t days_30_360(Ymd s, Ymd e)
{
    bool start_feb_end = s.m == 2 && s.d == last_of_february(s.y);
    if (start_feb_end && e.m == 2 && e.d == last_of_february(e.y))
        e.d = 30;
    if (start_feb_end)
        s.d = 30;
    if (e.d == 31 && (s.d == 30 || s.d == 31))
        e.d = 30;
    if (s.d == 31)
        s.d = 30;
    return 360 * (int64_t)(e.y - s.y) + 30 * (int64_t)(e.m - s.m) + (e.d - s.d);
}

/* Splits the days from the serial s of a day in year sy (counted) to the
 * serial e of a day in year ey (not counted) into those lying in non-leap
 * years (*n) and in leap years (*l).  Whole years between the two ends are
 * counted in closed form; sy <= ey. */
void split_leap_days(int32_t sy, int64_t s, int32_t ey, int64_t e, int64_t *n, int64_t *l)
{
    int64_t *first = engine_leap((uint32_t)sy) ? l : n;
    if (sy == ey) {
        *first += e - s;
        return;
    }
    *first += serial_of(sy + 1, 1, 1) - s;
    int64_t whole = (int64_t)ey - sy - 1;                                     /* 0 .. 18420 */
    int64_t leaps = engine_leaps_through((uint32_t)ey - 1) - engine_leaps_through((uint32_t)sy);
    *l += 366 * leaps;
    *n += 365 * (whole - leaps);
    int64_t *last = engine_leap((uint32_t)ey) ? l : n;
    *last += e - serial_of(ey, 1, 1);
}

/* 'AGE': moves a start in a leap year back a year and an end in a leap year
 * forward a year, with 29 February read as 28; returns how many moved. */
int32_t age_adjust(Ymd *s, Ymd *e)
{
    int32_t a = 0;
    if (engine_leap(s->y)) {
        s->y -= 1;
        a = 1;
        if (s->m == 2 && s->d == 29)
            s->d = 28;
    }
    if (engine_leap(e->y)) {
        e->y += 1;
        a += 1;
        if (e->m == 2 && e->d == 29)
            e->d = 28;
    }
    return a;
}

} // namespace

int32_t zdatdif(int32_t basis, int64_t *days_out, double *years_out, double date1, double date2)
{
    double sign = 1.0;
    double start = date1, end = date2;
    if (date1 > date2) { /* ordered: false when either is NaN */
        sign = -1.0;
        if (basis == TK_BASIS_ACT_ACT || basis == TK_BASIS_AGE) {
            start = date2;
            end = date1;
        }
    }

    int64_t start_serial, end_serial;
    if (!engine_serial(start, &start_serial))
        return 3;
    if (!engine_serial(end, &end_serial))
        return 4;
    if (basis < TK_BASIS_30_360 || basis > TK_BASIS_AGE)
        return 1;

    int64_t days;
    double years;
    if (basis == TK_BASIS_ACT_360 || basis == TK_BASIS_ACT_365) {
        days = end_serial - start_serial;
        years = (double)days / (basis == TK_BASIS_ACT_360 ? 360.0 : 365.0);
    } else if (basis == TK_BASIS_30_360) {
        Ymd s, e;
        triple_of(start_serial, &s);
        triple_of(end_serial, &e);
        days = days_30_360(s, e);
        years = (double)days / 360.0;
    } else if (start == end) { /* 'ACT/ACT' and 'AGE': equal date values */
        days = 0;
        years = 0.0;
    } else {
        int32_t a = 0, start_year, end_year;
        if (basis == TK_BASIS_AGE) { /* count between the adjusted triples */
            Ymd s, e;
            triple_of(start_serial, &s);
            triple_of(end_serial, &e);
            a = age_adjust(&s, &e);
            start_year = s.y;
            end_year = e.y;
            start_serial = serial_of(s.y, s.m, s.d);
            end_serial = serial_of(e.y, e.m, e.d);
        } else { /* 'ACT/ACT' needs only the years */
            start_year = year_of(start_serial);
            end_year = year_of(end_serial);
        }
        int64_t n = 0, l = 0;
        split_leap_days(start_year, start_serial, end_year, end_serial, &n, &l);
        /* Evaluated in exactly this order: (N/365 - a) + L/366, then the
         * sign; it decides the last bit and gives -0.0 for a zero result
         * with date 1 the later date. */
        double nf = (double)n / 365.0;
        double lf = (double)l / 366.0;
        years = sign * ((nf - (double)a) + lf);
        days = (n + l) * (int64_t)sign;
    }

    if (days_out)
        *days_out = days;
    if (years_out)
        *years_out = years;
    return 0;
}
