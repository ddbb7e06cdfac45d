/*
 * calendar.h - the calendar shared by the conversions (internal).
 *
 * The calendar is the proleptic Gregorian one with one more rule: a year
 * divisible by 4000 is not a leap year.  Date values count days from
 * 1 January 1960; Julian dates hold year * 1000 + day of the year.
 *
 * Relies on: the kernel handle in Exported_TKHandle, and only when a
 * two-digit year is widened.
 */
#ifndef DATE_CALENDAR_H
#define DATE_CALENDAR_H

#include <stdint.h>

/* Supported range of date values (1 Jan 1582 .. 31 Dec 20000) and Julian dates. */
#define CAL_DATE_MIN (-138061)   /* S(1582) + 1 */
#define CAL_DATE_END 6589336     /* S(20001) + 1: first value past the range */
#define CAL_JULIAN_MAX 20000365.0
#define CAL_YEAR_MIN 1582
#define CAL_YEAR_MAX 20000

/* Offset of the day number: S(y) = 365 y + leap days before y - CAL_S_OFFSET,
 * chosen so that S(1960) = -1. */
#define CAL_S_OFFSET 715875

/* Cutoff year used when the option lookup fails, and the preset of the
 * value word (what a lookup that writes nothing leaves behind). */
#define CAL_CUTOFF_FALLBACK 1926
#define CAL_CUTOFF_PRESET 1950

/* 1 when y is a leap year of the calendar (4000-year rule included), else 0.
 * Any integer year, negative ones included. */
static inline int cal_is_leap(int64_t y)
{
    if (y % 4000 == 0)
        return 0;
    if (y % 400 == 0)
        return 1;
    if (y % 100 == 0)
        return 0;
    return y % 4 == 0;
}

/* Floor division by a positive divisor. */
static inline int64_t cal_floor_div(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

/* S(y): the date value of the day before 1 January of y. */
static inline int64_t cal_start_of_year(int64_t y)
{
    int64_t p = y - 1;
    return 365 * y + cal_floor_div(p, 4) - cal_floor_div(p, 100) + cal_floor_div(p, 400) -
           cal_floor_div(p, 4000) - CAL_S_OFFSET;
}

/* Days before each month, in a common year [0] and a leap year [1]; a
 * month's length is the difference of two neighbours (February's is 28
 * plus the leap flag). */
extern const int32_t cal_days_before[2][13];

/* S(y) for a positive year, in unsigned 32-bit arithmetic (the quotients
 * of positive numbers need no floor correction, and 32-bit division by a
 * constant is a short multiply). */
static inline int64_t cal_start_of_positive_year(uint32_t y)
{
    uint32_t p = y - 1;
    return (int64_t)(365 * y + p / 4 - p / 100 + p / 400 - p / 4000) - CAL_S_OFFSET;
}

/* The proleptic Gregorian serial of a whole date value in the calendar's
 * range: the date value plus the 29 Februaries of years divisible by 4000
 * that the Gregorian calendar has and this one lacks.  The first is 29
 * February 4000, just before 1 March 4000 (date value 745154); they repeat
 * every 4000 calendar years of 1460969 days.  A date and its serial have
 * the same year, month and day; serials are also the engine's day count. */
#define CAL_FIRST_GREGORIAN_ONLY_DAY 745154 /* date value of 1 March 4000 */
#define CAL_DAYS_PER_4000_YEARS 1460969      /* 4000 * 365 + 1000 - 40 + 10 - 1 */
static inline int64_t cal_gregorian_serial(int64_t d)
{
    /* Dates before 1 March 4000, most of them, have no extra days: a
     * branch the processor predicts is quicker than the multiply.  From
     * there d + 715815 counts one more 1460969 from each 1 March of a year
     * divisible by 4000 (715815 = 1460969 - 745154). */
    if (d < CAL_FIRST_GREGORIAN_ONLY_DAY)
        return d;
    uint32_t extra = (uint32_t)(d + (CAL_DAYS_PER_4000_YEARS - CAL_FIRST_GREGORIAN_ONLY_DAY)) /
                     CAL_DAYS_PER_4000_YEARS; /* 1 .. 5 */
    return d + extra;
}

/* Day 306 from 1 March is 1 January: from there on the calendar year is
 * the next one. */
#define CAL_MARCH_DOY_OF_JANUARY_1 306

/* Neri and Schneider's Euclidean affine forms ("Euclidean affine
 * functions and their application to calendar algorithms", 2023) on day n
 * (below 2^30) from the start of a 400-year cycle whose centuries and
 * 4-year blocks each end with their one longer member, as they do from
 * 1 March of year 0 or from 1 January of year 1: one division for the
 * century, then a multiply and shift for the year of the century, whose
 * remainder gives the day of that year. */
static inline void cal_cycle_year(uint32_t n, uint32_t *century, uint32_t *year_of_century,
                                  uint32_t *doy)
{
    uint32_t n1 = 4 * n + 3; /* below 2^32 */
    *century = n1 / 146097;
    uint32_t n2 = (n1 % 146097) | 3;         /* 4 * day of the century + 3: 3 .. 146099 */
    uint64_t p2 = (uint64_t)2939745 * n2;    /* below 2^39 */
    *year_of_century = (uint32_t)(p2 >> 32); /* 0 .. 99 */
    *doy = (uint32_t)p2 / 2939745 / 4;       /* 0 .. 365 */
}

/* The year that starts on 1 March (*march_year) and the day from that
 * 1 March (*doy, 0 .. 365) of a Gregorian serial.  Serial 0, 1 January
 * 1960, is day 715815 from 1 March of year 0. */
static inline void cal_march_year(int64_t serial, uint32_t *march_year, uint32_t *doy)
{
    uint32_t century, year_of_century; /* n 577754 .. 7305155: century 15 .. 200 */
    cal_cycle_year((uint32_t)(serial + 715815), &century, &year_of_century, doy);
    *march_year = 100 * century + year_of_century;
}

/* Month (3 .. 14, January and February as 13 and 14) and day of the month
 * of day doy (0 .. 365) from 1 March, by Neri and Schneider's form:
 * N = 2141 doy + 197913 holds the month in its high 16 bits and 2141 times
 * the day of the month in its low 16. */
static inline void cal_march_month_day(uint32_t doy, uint32_t *month, int32_t *day)
{
    uint32_t n = 2141 * doy + 197913; /* 197913 .. 979378 */
    *month = n >> 16;
    *day = (int32_t)((n & 0xFFFF) / 2141 + 1);
}

/* Year, month and day of a Gregorian serial (0 is 1960-01-01) within the
 * calendar's range of serials, -138061 .. 6589340. */
static inline void cal_triple_of_serial(int64_t serial, int32_t *y, int32_t *m, int32_t *d)
{
    uint32_t march_year, doy, month;
    cal_march_year(serial, &march_year, &doy);
    cal_march_month_day(doy, &month, d);
    uint32_t jan = doy >= CAL_MARCH_DOY_OF_JANUARY_1;
    *y = (int32_t)(march_year + jan);
    *m = (int32_t)(jan ? month - 12 : month);
}

/* Year and day of the year (1 .. 366) of a whole date value in the
 * calendar's range -138061 .. 6589335: the year of its Gregorian serial,
 * and the date value less the calendar's start of that year. */
static inline void cal_year_doy(int64_t d, int64_t *year, int64_t *doy)
{
    uint32_t y, march_doy;
    cal_march_year(cal_gregorian_serial(d), &y, &march_doy);
    y += march_doy >= CAL_MARCH_DOY_OF_JANUARY_1; /* 1582 .. 20000 */
    *year = y;
    *doy = d - cal_start_of_positive_year(y);
}

/* Month (1 .. 12) and day of a day of the year 0 .. 366, walking the months
 * as far as the twelfth: day 0 is month 1, day 0. */
static inline void cal_month_day(int64_t doy, int leap, int32_t *month, int32_t *day)
{
    const int32_t *before = cal_days_before[leap];
    int32_t m0 = (int32_t)((doy - 1) / 31); /* 0 .. 11, the month or the one before it */
    if (m0 < 11 && doy > before[m0 + 1])
        m0++;
    *month = m0 + 1;
    *day = (int32_t)(doy - before[m0]);
}

/* The whole date value of a date in the calendar's range, floored (-0.5 is
 * -1); 0 when the date is NaN, below -138061 or not below 6589336.  The
 * bounds apply before flooring, so -138061.5 is out of range. */
static inline int cal_whole_date(double date, int64_t *whole)
{
    if (!(date >= CAL_DATE_MIN && date < CAL_DATE_END)) /* NaN fails too */
        return 0;
    int64_t t = (int64_t)date; /* truncation, then floor */
    if ((double)t > date)
        t--;
    *whole = t;
    return 1;
}

/* Widens a two-digit year (0..99) through the cutoff year, read afresh from
 * the host option TK_NAME_YEARCUTOFF. */
int64_t cal_widen_year(int64_t yy);

/* The same with a given cutoff year: yy (0 .. 99) into the hundred years
 * from the cutoff's century on, those below the cutoff's last two digits a
 * century later. */
static inline int64_t cal_widen_year_by(int64_t yy, int64_t cutoff)
{
    int64_t r = cutoff % 100; /* truncating: negative for a negative cutoff */
    return yy + (cutoff - r) + (yy < r ? 100 : 0);
}

#endif /* DATE_CALENDAR_H */
