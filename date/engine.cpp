/*
 * engine.cpp - zdatdif, the difference of two date values in years under a
 * day-count basis, with the whole-day count it was formed from.
 *
 * The engine counts with its own serial per date: the date value plus the
 * 29 Februaries of 4000, 8000, ..., which its leap rule counts (it has no
 * 4000-year exception) although the calendar has no such days.  '30/360'
 * reads month and day from the serial, 'ACT/ACT' the days in leap years
 * before it, and 'AGE' its year, month and day, moved out of leap years
 * and counted again with the engine's own day number.  No date makes a
 * round trip through a Julian date.
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

/* Month correction c = floor(0.4 m + 2.3) for March .. December.  Only the
 * day numbers of 'AGE' triples use it. */
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

inline void triple_of(int64_t serial, Ymd *t)
{
    cal_triple_of_serial(serial, &t->y, &t->m, &t->d);
}

/* A month count of a serial, 12 a year so that months and years count
 * alike (12 times the year that starts on 1 March, plus the month, 3 for
 * March .. 14 for February), its day of the month, and whether it is the
 * last day of February: the last day of a year counted from 1 March, which
 * has 366 days when the calendar year it ends in is a leap year. */
inline int64_t month_count(int64_t serial, int32_t *day, bool *feb_end)
{
    uint32_t march_year, doy, month;
    cal_march_year(serial, &march_year, &doy);
    cal_march_month_day(doy, &month, day);
    *feb_end = doy >= 364 && doy == 364 + (uint32_t)engine_leap(march_year + 1);
    return 12 * (int64_t)march_year + (int64_t)month;
}

/* '30/360' between two serials.  The order of the four adjustments
 * matters: rule 1 looks at d1 before rule 2 changes it, and rule 3 looks
 * at d1 after rule 2 and before rule 4.  They apply to the dates in
 * argument order. */
int64_t days_30_360(int64_t start, int64_t end)
{
    int32_t d1, d2;
    bool start_feb_end, end_feb_end;
    int64_t m1 = month_count(start, &d1, &start_feb_end);
    int64_t m2 = month_count(end, &d2, &end_feb_end);
    if (start_feb_end && end_feb_end)
        d2 = 30;
    if (start_feb_end)
        d1 = 30;
    if (d2 == 31 && (d1 == 30 || d1 == 31))
        d2 = 30;
    if (d1 == 31)
        d1 = 30;
    return 30 * (m2 - m1) + (d2 - d1);
}

/* Days in the engine's leap years from 1 January of year 1 to a serial
 * (not counted): 366 for each leap year before the serial's year, and the
 * days before it in its own year when that is a leap year.  Counted from
 * 1 January of year 1, each century and each 4-year block ends with its
 * leap year (but for the centuries' last year, which is one only every
 * fourth century), as cal_cycle_year needs.  Of the days from one serial
 * to a later one, those in leap years are the difference of their two
 * counts. */
inline int64_t leap_days_before(int64_t serial)
{
    uint32_t century, year, doy; /* the serial's year is 100 * century + year + 1 */
    /* n 577448 .. 7305215: the last serial, or an 'AGE' end a year after it */
    cal_cycle_year((uint32_t)(serial + 715509), &century, &year, &doy);
    bool leap = year % 4 == 3 && (year != 99 || century % 4 == 3);
    uint32_t leaps_before = 24 * century + century / 4 + year / 4;
    return 366 * (int64_t)leaps_before + (leap ? doy : 0);
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
        days = days_30_360(start_serial, end_serial);
        years = (double)days / 360.0;
    } else if (start == end) { /* 'ACT/ACT' and 'AGE': equal date values */
        days = 0;
        years = 0.0;
    } else {
        int32_t a = 0;
        if (basis == TK_BASIS_AGE) { /* count between the adjusted triples */
            Ymd s, e;
            triple_of(start_serial, &s);
            triple_of(end_serial, &e);
            a = age_adjust(&s, &e);
            start_serial = serial_of(s.y, s.m, s.d);
            end_serial = serial_of(e.y, e.m, e.d);
        }
        /* Days in leap years (l) and in common years (n). */
        int64_t l = leap_days_before(end_serial) - leap_days_before(start_serial);
        int64_t n = end_serial - start_serial - l;
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
