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

/* Days of the months of a common year; February's length is computed. */
extern const int32_t cal_dpm[12];

/* Widens a two-digit year (0..99) through the cutoff year, read afresh from
 * the host option TK_NAME_YEARCUTOFF. */
int64_t cal_widen_year(int64_t yy);

#endif /* DATE_CALENDAR_H */
