/*
 * engine.cpp - zdatdif, the difference of two date values in years under a
 * day-count basis, with the whole-day count it was formed from.
 *
 * The engine splits each date into year, month and day through the calendar
 * conversions and from then on counts with its own day number, whose leap
 * rule has no 4000-year exception: it counts 29 February 4000, 8000, ...
 * although the calendar has no such day.
 *
 * Status: 0 success, 1 basis code outside 1..5, 3 start date not in the
 * calendar, 4 end date not in the calendar.  Outputs are written only on
 * success and only through non-null pointers.
 *
 * Relies on: tkfmtzjuldat and tkfmtzymdjul; never on the host (every year
 * here is 1582 or more, so no two-digit year is widened).
 */
#include <math.h>

#include "tkyrdif.h"

namespace {

struct Ymd {
    int32_t y, m, d;
};

/* The engine's leap rule: divisible by 4, and by 400 or not by 100. */
inline bool engine_leap(int64_t y)
{
    return y % 4 == 0 && (y % 400 == 0 || y % 100 != 0);
}

/* Leap years of the engine in 1 .. y, for y >= 0. */
inline int64_t engine_leaps_through(int64_t y)
{
    return y / 4 - y / 100 + y / 400;
}

/* Month correction c = floor(0.4 m + 2.3) for March .. December; the test
 * suite checks this table against the formula. */
const int32_t month_correction[13] = {0, 0, 0, 3, 3, 4, 4, 5, 5, 5, 6, 6, 7};

/* The engine's day number.  Years reaching here run from 1582 to 20001 (the
 * 'AGE' adjustment moves a start back out of a leap year, 1584 at the
 * earliest, and an end forward), so every quotient is of positive integers
 * and truncation and floor agree. */
inline int64_t day_number(int64_t y, int64_t m, int64_t d)
{
    int64_t yy = m >= 3 ? y : y - 1;
    int64_t c = m >= 3 ? month_correction[m] : 0;
    return 365 * y + 31 * (m - 1) + d - c + yy / 4 - yy / 100 + yy / 400;
}

inline int64_t day_number(const Ymd &t)
{
    return day_number(t.y, t.m, t.d);
}

/* Splits a date value into a triple through the calendar conversions.
 * Returns false when any part comes back missing (NaN or out of range). */
inline bool to_triple(double date, Ymd *t)
{
    double y, m, d;
    tkfmtzymdjul(&y, &m, &d, tkfmtzjuldat(date));
    if (isnan(m) || isnan(d) || isnan(y))
        return false;
    t->y = (int32_t)y;
    t->m = (int32_t)m;
    t->d = (int32_t)d;
    return true;
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

/* Splits the days from start (counted) to end (not counted) into those lying
 * in non-leap years (*n) and in leap years (*l).  Whole years between the two
 * ends are counted in closed form; start.y <= end.y. */
void split_leap_days(const Ymd &s, const Ymd &e, int64_t *n, int64_t *l)
{
    int64_t *first = engine_leap(s.y) ? l : n;
    if (s.y == e.y) {
        *first += day_number(e) - day_number(s);
        return;
    }
    *first += day_number(s.y + 1, 1, 1) - day_number(s);
    int64_t whole = (int64_t)e.y - s.y - 1;                                  /* 0 .. 18420 */
    int64_t leaps = engine_leaps_through(e.y - 1) - engine_leaps_through(s.y); /* 0 .. whole */
    *l += 366 * leaps;
    *n += 365 * (whole - leaps);
    int64_t *last = engine_leap(e.y) ? l : n;
    *last += day_number(e) - day_number(e.y, 1, 1);
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

    Ymd s, e;
    if (!to_triple(start, &s))
        return 3;
    if (!to_triple(end, &e))
        return 4;
    if (basis < TK_BASIS_30_360 || basis > TK_BASIS_AGE)
        return 1;

    int64_t days;
    double years;
    switch (basis) {
    case TK_BASIS_30_360:
        days = days_30_360(s, e);
        years = (double)days / 360.0;
        break;
    case TK_BASIS_ACT_360:
    case TK_BASIS_ACT_365:
        days = day_number(e) - day_number(s);
        years = (double)days / (basis == TK_BASIS_ACT_360 ? 360.0 : 365.0);
        break;
    default: { /* 'ACT/ACT' and 'AGE' */
        if (start == end) {
            days = 0;
            years = 0.0;
            break;
        }
        int32_t a = basis == TK_BASIS_AGE ? age_adjust(&s, &e) : 0;
        int64_t n = 0, l = 0;
        split_leap_days(s, e, &n, &l);
        /* Evaluated in exactly this order: (N/365 - a) + L/366, then the
         * sign; it decides the last bit and gives -0.0 for a zero result
         * with date 1 the later date. */
        double nf = (double)n / 365.0;
        double lf = (double)l / 366.0;
        years = sign * ((nf - (double)a) + lf);
        days = (n + l) * (int64_t)sign;
        break;
    }
    }

    if (days_out)
        *days_out = days;
    if (years_out)
        *years_out = years;
    return 0;
}
