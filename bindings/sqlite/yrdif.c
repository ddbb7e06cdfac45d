/*
 * yrdif.c - YRDIF as SQL functions for SQLite, loaded with
 * ".load .../yrdif" (entry point sqlite3_yrdif_init).
 *
 *   yrdif(start, end [, basis])     dates as SQLite's date functions read them
 *   yrdif_dv(start, end [, basis])  host date values (days from 1960-01-01)
 *
 * Every result has the bits of YRDIF through the module: the engine is
 * compiled in from the module's own sources.  NULL in any argument, a date
 * SQLite cannot read, and a date outside the host calendar (1582-01-01 to
 * 20000-12-31, with no 29 February in years divisible by 4000) give NULL.
 * A basis that no rule accepts is an error: a typo in a basis must not pass
 * for missing data.  The basis is parsed once per statement when it is a
 * constant (auxiliary data).
 *
 * Dates: TEXT in the forms date() accepts ("YYYY-MM-DD", optionally with a
 * time "HH:MM[:SS[.SSS]]" after a blank or 'T' and a time zone "Z" or
 * "+HH:MM"; a time alone is 2000-01-01; a numeric text is a Julian day
 * number), and INTEGER or REAL Julian day numbers.  The time is dropped
 * after a time zone has moved the date, as date() does.  The calendar date
 * becomes a date value through the host calendar by year, month and day.
 */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "column.h"
#include "tkyrdif.h"

#define MS_PER_DAY 86400000LL

static int64_t floor_div(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

/* Reads exactly n digits; -1 when they are not all digits. */
static int digits(const char *z, int n)
{
    int v = 0;
    for (int i = 0; i < n; i++) {
        if (z[i] < '0' || z[i] > '9')
            return -1;
        v = v * 10 + (z[i] - '0');
    }
    return v;
}

/* "HH:MM[:SS[.fff]]" at *pz: milliseconds of the day, or -1. */
static int64_t parse_time(const char **pz)
{
    const char *z = *pz;
    int h = digits(z, 2), m = -1, s = 0;
    if (h < 0 || z[2] != ':' || (m = digits(z + 3, 2)) < 0)
        return -1;
    z += 5;
    int64_t ms = 0;
    if (*z == ':') {
        if ((s = digits(z + 1, 2)) < 0)
            return -1;
        z += 3;
        if (*z == '.' && z[1] >= '0' && z[1] <= '9') {
            int64_t scale = 100;
            for (z++; *z >= '0' && *z <= '9'; z++, scale /= 10)
                ms += (*z - '0') * scale;
        }
    }
    if (h > 24 || m > 59 || s > 59)
        return -1;
    *pz = z;
    return ((h * 60 + m) * 60 + s) * 1000LL + ms;
}

/* Blanks, then "Z", "+HH:MM", "-HH:MM" or nothing, then blanks to the end:
 * the offset from UTC in minutes through *tz, 1 when one was given, 0 when
 * none was, -1 when the text does not end so. */
static int parse_zone(const char *z, int *tz)
{
    while (*z == ' ')
        z++;
    int given = 0;
    *tz = 0;
    if (*z == 'Z' || *z == 'z') {
        z++;
        given = 1;
    } else if (*z == '+' || *z == '-') {
        int h = digits(z + 1, 2), m = -1;
        if (h < 0 || z[3] != ':' || (m = digits(z + 4, 2)) < 0 || h > 14 || m > 59)
            return -1;
        *tz = (*z == '-' ? -1 : 1) * (h * 60 + m);
        z += 6;
        given = 1;
    }
    while (*z == ' ')
        z++;
    return *z ? -1 : given;
}

/* The date value of a Julian day number as SQLite reads one (its day is
 * the one that noon falls on); NaN when SQLite has no date for it. */
static double date_of_julian_day(double jd)
{
    if (!(jd >= 0 && jd < 5373484.5))
        return NAN;
    int64_t ms = (int64_t)(jd * 86400000.0 + 0.5);
    return tk_date_of_epoch_day((ms + MS_PER_DAY / 2) / MS_PER_DAY - 2440588);
}

/* The date value of a numeric text, read as a Julian day number; NaN when
 * the text is not a number alone (blanks around it allowed). */
static double date_of_number_text(const char *z)
{
    char *end;
    double jd = strtod(z, &end);
    if (end == z || *z == '+' || *z == '-')
        return NAN;
    while (*end == ' ')
        end++;
    return *end ? NAN : date_of_julian_day(jd);
}

static int is_digit(char c)
{
    return c >= '0' && c <= '9';
}

/* The date value of a date text; NaN when it is no date. */
static double date_of_text(const char *z)
{
    int year = 2000, month = 1, day = 1;
    const char *p = z;
    if (!(is_digit(p[0]) && is_digit(p[1]) && p[2] == ':')) { /* not a time alone */
        int neg = *p == '-';
        p += neg;
        year = digits(p, 4);
        if (year < 0 || p[4] != '-')
            return date_of_number_text(z);
        if ((month = digits(p + 5, 2)) < 0 || p[7] != '-' || (day = digits(p + 8, 2)) < 0 ||
            month < 1 || month > 12 || day < 1 || day > 31 || neg)
            return NAN; /* a negative year is before the calendar */
        p += 10;
        while (*p == ' ' || *p == 'T')
            p++;
    }
    int64_t ms = 0;
    if (is_digit(*p) && (ms = parse_time(&p)) < 0)
        return NAN;
    int tz;
    int zone = parse_zone(p, &tz);
    if (zone < 0)
        return NAN;
    double dv = tk_date_of_ymd(year, month, day);
    /* A time zone moves the date by whole days in the host calendar, whose
     * date values are consecutive days. */
    if (zone && !isnan(dv))
        dv += (double)floor_div(ms - tz * 60000LL, MS_PER_DAY);
    return dv;
}

/* The date value of an argument of yrdif(); NaN for NULL or no date. */
static double date_arg(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return date_of_julian_day(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return date_of_text((const char *)sqlite3_value_text(v));
    default:
        return NAN;
    }
}

/* A host date value argument of yrdif_dv(); NaN for NULL or no number. */
static double date_value_arg(sqlite3_value *v)
{
    int t = sqlite3_value_numeric_type(v);
    return t == SQLITE_INTEGER || t == SQLITE_FLOAT ? sqlite3_value_double(v) : NAN;
}

/* The basis code of argument 2, parsed once per statement for a constant;
 * 0 after reporting an error, -1 for NULL. */
static int basis_arg(sqlite3_context *ctx, sqlite3_value *v)
{
    intptr_t cached = (intptr_t)sqlite3_get_auxdata(ctx, 2);
    if (cached)
        return (int)cached;
    int type = sqlite3_value_type(v), code;
    if (type == SQLITE_NULL)
        return -1;
    if (type == SQLITE_BLOB)
        code = tk_basis_bytes(sqlite3_value_blob(v), (size_t)sqlite3_value_bytes(v));
    else
        code = tk_basis_utf8((const char *)sqlite3_value_text(v), (size_t)sqlite3_value_bytes(v));
    if (code == TK_BASIS_NONE) {
        char *msg = sqlite3_mprintf("yrdif: basis '%.60s' is not recognised by the %s rules",
                                    type == SQLITE_BLOB ? "(blob)" : (const char *)sqlite3_value_text(v),
                                    type == SQLITE_BLOB ? "YRDIF#" : "YRDIF");
        sqlite3_result_error(ctx, msg ? msg : "yrdif: basis not recognised", -1);
        sqlite3_free(msg);
        return 0;
    }
    sqlite3_set_auxdata(ctx, 2, (void *)(intptr_t)code, NULL);
    return code;
}

static void evaluate(sqlite3_context *ctx, int argc, sqlite3_value **argv, double start,
                     double end)
{
    int code = TK_BASIS_AGE;
    if (argc == 3 && (code = basis_arg(ctx, argv[2])) <= 0) {
        if (code < 0)
            sqlite3_result_null(ctx);
        return;
    }
    double years = tk_yrdif_one(code, start, end, NULL);
    if (isnan(years))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_double(ctx, years);
}

static void yrdif_fn(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    evaluate(ctx, argc, argv, date_arg(argv[0]), date_arg(argv[1]));
}

static void yrdif_dv_fn(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    evaluate(ctx, argc, argv, date_value_arg(argv[0]), date_value_arg(argv[1]));
}

/* The one name the library exports. */
__attribute__((visibility("default"))) int sqlite3_yrdif_init(sqlite3 *db, char **err, const sqlite3_api_routines *api)
{
    (void)err;
    SQLITE_EXTENSION_INIT2(api);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc = SQLITE_OK;
    for (int argc = 2; argc <= 3 && rc == SQLITE_OK; argc++) {
        rc = sqlite3_create_function(db, "yrdif", argc, flags, NULL, yrdif_fn, NULL, NULL);
        if (rc == SQLITE_OK)
            rc = sqlite3_create_function(db, "yrdif_dv", argc, flags, NULL, yrdif_dv_fn, NULL,
                                         NULL);
    }
    return rc;
}
