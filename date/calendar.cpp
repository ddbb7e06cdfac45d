/*
 * calendar.cpp - conversions between date values, Julian dates and
 * year/month/day: tkfmtzjulymd, tkfmtzdatjul, tkfmtzymdjul, tkfmtzjuldat.
 *
 * Every rejected input gives the missing value (in all three outputs of
 * tkfmtzymdjul); a NaN argument of tkfmtzjuldat comes back with its own
 * bits.  Range tests are made on the doubles before any truncation, so
 * 99.5 is not a two-digit year and 30.5 April is not a date.
 *
 * Relies on: the option lookup of the kernel handle, for two-digit years.
 */
#include <math.h>

#include "calendar.h"
#include "tkyrdif.h"

const int32_t cal_days_before[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

static const uint32_t cutoff_option_name[] = {'T', 'K', '_', 'N', 'A', 'M', 'E', '_', 'Y',
                                              'E', 'A', 'R', 'C', 'U', 'T', 'O', 'F', 'F'};

/* Reads the cutoff year: the low 32 bits of the value word when the lookup
 * says 0 (the preset 1950 if it wrote nothing), 1926 otherwise. */
static int32_t read_cutoff_year(void)
{
    void *kernel = Exported_TKHandle;
    int64_t value = CAL_CUTOFF_PRESET;
    int64_t size = 8;
    tkhOptionLookupFn lookup = TKH_ENTRY(tkhOptionLookupFn, kernel, TKH_KERNEL_OPTION_LOOKUP);
    int32_t rc = lookup(kernel, cutoff_option_name, 18, TKH_OPTION_KIND_INTEGER, &value, &size);
    if (rc != 0)
        return CAL_CUTOFF_FALLBACK;
    return (int32_t)(uint32_t)(uint64_t)value;
}

int64_t cal_widen_year(int64_t yy)
{
    return cal_widen_year_by(yy, read_cutoff_year());
}

double tkfmtzjulymd(double year, double month, double day)
{
    if (isnan(year) || isnan(month) || isnan(day))
        return tk_missing();
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 0)
        return tk_missing();
    if (year > 99 && (year < CAL_YEAR_MIN || year > CAL_YEAR_MAX))
        return tk_missing();

    int64_t y = (int64_t)year; /* 0 .. 20000 */
    if (y <= 99)
        y = cal_widen_year(y);
    int m0 = (int)(month - 1); /* 0 .. 11 */
    const int32_t *before = cal_days_before[cal_is_leap(y)];
    if (day > (double)(before[m0 + 1] - before[m0])) /* on the double: 30.5 April fails */
        return tk_missing();
    return (double)(1000 * y + (int64_t)day + before[m0]);
}

/* Steps shared by tkfmtzdatjul and tkfmtzymdjul: validates a Julian date
 * and splits it into a (widened) year and a day of the year 0 .. 366.
 * Returns 0 when the date is rejected. */
static int split_julian(double julian, int64_t *year, int64_t *doy)
{
    if (isnan(julian) || !(julian > 0) || julian > CAL_JULIAN_MAX)
        return 0;
    int64_t j = (int64_t)julian; /* 0 .. 20000365 */
    if (j <= 0)
        return 0;
    int64_t y = j / 1000;
    int64_t d = j - 1000 * y;
    if (y >= 100 && y < CAL_YEAR_MIN)
        return 0;
    if (d > 366)
        return 0;
    if (y <= 99)
        y = cal_widen_year(y);
    if (d > 365 + cal_is_leap(y))
        return 0;
    *year = y;
    *doy = d;
    return 1;
}

double tkfmtzdatjul(double julian)
{
    int64_t y, doy;
    if (!split_julian(julian, &y, &doy))
        return tk_missing();
    return (double)(cal_start_of_year(y) + doy);
}

int32_t tkfmtzymdjul(double *year, double *month, double *day, double julian)
{
    int64_t y, rest;
    if (!split_julian(julian, &y, &rest)) {
        *year = *month = *day = tk_missing();
        return 0;
    }
    int32_t m, d;
    cal_month_day(rest, cal_is_leap(y), &m, &d);
    *year = (double)y;
    *month = (double)m;
    *day = (double)d;
    return 0;
}

double tkfmtzjuldat(double date)
{
    if (isnan(date))
        return date;
    int64_t whole, y, doy;
    if (!cal_whole_date(date, &whole))
        return tk_missing();
    cal_year_doy(whole, &y, &doy);
    return (double)(1000 * y + doy);
}
