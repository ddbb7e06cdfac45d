/*
 * yrdif.c - YRDIF as SQL functions for SQLite, loaded with
 * ".load .../yrdif" (entry point sqlite3_yrdif_init).
 *
 *   yrdif(start, end [, basis])     dates as SQLite's date() reads them
 *   yrdif_dv(start, end [, basis])  host date values (days from 1960-01-01)
 *   yrdif_basis(text)               the basis a text is read as, or NULL
 *
 * Every result has the bits of YRDIF through the module: the engine is
 * compiled in from the module's own sources.  NULL in any argument, a date
 * that is none, a date outside the host calendar (1582-01-01 to
 * 20000-12-31, with no 29 February in years divisible by 4000) and a basis
 * that no rule accepts give NULL, as YRDIF gives the missing value.  The
 * basis is parsed once per statement when it is a constant (auxiliary
 * data).
 *
 * Dates: every text (or BLOB) that date() reads, read as date() of SQLite
 * 3.40 reads it (see date_of_text), numbers and numeric texts as Julian
 * day numbers; and the date texts of the yrdif command that date() has no
 * reading for ("+20000-12-31", "60-01-01"), read by the same reader as the
 * command's (datetext.h).  The calendar date becomes a date value through
 * the host calendar by year, month and day.
 */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "column.h"
#include "datetext.h"
#include "utf8.h"
#include "tkyrdif.h"

#define MS_PER_DAY 86400000LL
/* SQLite's Julian day numbers (times 86400000) run from 0 to the last
 * millisecond of 9999-12-31; date() has no date outside them. */
#define MAX_JD_MS 464269060799999LL
#define JD_OF_1970_01_01 2440588

static int64_t floor_div(int64_t a, int64_t b)
{
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

/* SQLite's blanks (sqlite3Isspace) are the reader's: tk_text_blank. */
static int is_digit(char c)
{
    return c >= '0' && c <= '9';
}

/* Reads exactly n digits between lo and hi; -1 otherwise. */
static int field(const char *z, int n, int lo, int hi)
{
    int v = 0;
    for (int i = 0; i < n; i++) {
        if (!is_digit(z[i]))
            return -1;
        v = v * 10 + (z[i] - '0');
    }
    return v < lo || v > hi ? -1 : v;
}

/* What date() reads after a date or as a time alone: "HH:MM[:SS[.f...]]"
 * (hours to 24), then blanks and a zone "Z" or "+HH:MM" / "-HH:MM" (hours
 * to 14), then blanks to the end.  Sets *ms to the milliseconds of the day
 * as date() counts them (the seconds rounded to the millisecond, 24:00
 * included), *tz to the zone's minutes east of UTC (0 for none or Z);
 * returns 0, or -1 when the text is not so. */
static int parse_time(const char *z, int64_t *ms, int *tz)
{
    int h = field(z, 2, 0, 24), m = h < 0 || z[2] != ':' ? -1 : field(z + 3, 2, 0, 59), sec = 0;
    if (m < 0)
        return -1;
    z += 5;
    double frac = 0.0;
    if (*z == ':') {
        if ((sec = field(z + 1, 2, 0, 59)) < 0)
            return -1;
        z += 3;
        if (*z == '.' && is_digit(z[1])) { /* as date() adds up the digits */
            double scale = 1.0;
            for (z++; is_digit(*z); z++) {
                frac = frac * 10.0 + (*z - '0');
                scale *= 10.0;
            }
            frac /= scale; /* NaN after some 300 digits: inf / inf */
        }
    }
    double sms = (sec + frac) * 1000.0 + 0.5;
    if (!(sms < 1e15)) /* a NaN: date() then has no date */
        return -1;
    *ms = h * 3600000LL + m * 60000LL + (int64_t)sms;
    while (tk_text_blank(*z))
        z++;
    *tz = 0;
    if (*z == '+' || *z == '-') {
        int zh = field(z + 1, 2, 0, 14), zm = zh < 0 || z[3] != ':' ? -1 : field(z + 4, 2, 0, 59);
        if (zm < 0)
            return -1;
        *tz = (*z == '-' ? -1 : 1) * (zh * 60 + zm);
        z += 6;
    } else if (*z == 'Z' || *z == 'z') {
        z++;
    } else {
        return *z ? -1 : 0;
    }
    while (tk_text_blank(*z))
        z++;
    return *z ? -1 : 0;
}

/* The date value of a Julian day number times 86400000 (a day begins at
 * noon before it); NaN outside date()'s range. */
static double date_of_jd_ms(int64_t jd_ms)
{
    if (jd_ms < 0 || jd_ms > MAX_JD_MS)
        return NAN;
    return tk_date_of_epoch_day((jd_ms + MS_PER_DAY / 2) / MS_PER_DAY - JD_OF_1970_01_01);
}

/* The date value of a Julian day number as date() reads one. */
static double date_of_julian_day(double jd)
{
    if (!(jd >= 0 && jd < 5373484.5))
        return NAN;
    return date_of_jd_ms((int64_t)(jd * 86400000.0 + 0.5));
}

/* Days from 1970-01-01 to the first of a month of the proleptic Gregorian
 * calendar, the calendar of date(). */
static int64_t epoch_day_of_month(int64_t y, int m)
{
    y -= m <= 2;
    int64_t era = floor_div(y, 400), yoe = y - era * 400;           /* 0 .. 399 */
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5;            /* 0 .. 337 */
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

/* The date value of a text as SQLite's date() reads it, and of the other
 * date texts the yrdif command reads; NaN when it is no date.  date() reads
 * "[-]YYYY-MM-DD" (month 1 to 12, day 1 to 31), then blanks or 'T' and
 * optionally a time and zone as above; a time alone (on 2000-01-01); or a
 * number, a Julian day.  Without a zone (or with one of +00:00) the date is
 * the one written, whatever the time; a zone moves the moment and the date
 * is the day it falls on, an overflowing day (2000-02-31) counted on. */
static double date_of_text(const char *z, size_t n)
{
    tk_date_text t;
    size_t used = tk_scan_ymd(z, n, &t);
    int64_t ms = 0;
    int tz = 0;
    int ymd = used > 0 && t.digits == TK_YMD_FOUR && t.sign <= 0 && t.month >= 1 &&
              t.month <= 12 && t.day >= 1 && t.day <= 31;
    const char *p = z + (ymd ? used : 0);
    if (ymd) {
        while (tk_text_blank(*p) || *p == 'T')
            p++;
    }
    if ((ymd && *p == 0) || parse_time(p, &ms, &tz) == 0) {
        int64_t y = ymd ? t.year : 2000;
        int m = ymd ? t.month : 1, d = ymd ? t.day : 1;
        if (y < -4713) /* before the first Julian day */
            return NAN;
        int64_t jd_ms = (epoch_day_of_month(y, m) + d - 1 + JD_OF_1970_01_01) * MS_PER_DAY -
                        MS_PER_DAY / 2 + ms - tz * 60000LL;
        if (jd_ms < 0 || jd_ms > MAX_JD_MS)
            return NAN;
        return ymd && tz == 0 ? tk_date_of_ymd(y, m, d) : date_of_jd_ms(jd_ms);
    }
    /* A number as date()'s sqlite3AtoF reads it, blanks around it. */
    tk_date_text num;
    if (tk_read_date_text(z, n, &num) == TK_TEXT_NUMBER)
        return date_of_julian_day(num.number);
    /* The command's date texts that date() has no reading for: a '+' sign,
     * years past 9999, two-digit years, blanks before the date. */
    int32_t kind;
    double dv = tk_date_of_text(z, n, &kind);
    return kind == TK_TEXT_YMD ? dv : NAN;
}

/* The date value of an argument of yrdif(); NaN for NULL or no date. */
static double date_arg(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return date_of_julian_day(sqlite3_value_double(v));
    case SQLITE_TEXT:
    case SQLITE_BLOB: { /* date() reads a BLOB's bytes as text, to a NUL */
        const char *z = (const char *)sqlite3_value_text(v);
        return z ? date_of_text(z, strlen(z)) : NAN;
    }
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

/* The basis code of a value: a BLOB by the "YRDIF#" rules, anything else
 * by the "YRDIF" rules as its text; TK_BASIS_NONE for NULL and for a text
 * no rule accepts. */
static int basis_of(sqlite3_value *v)
{
    int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL)
        return TK_BASIS_NONE;
    if (type == SQLITE_BLOB) {
        const void *blob = sqlite3_value_blob(v);
        return tk_basis_bytes(blob, (size_t)sqlite3_value_bytes(v));
    }
    const char *text = (const char *)sqlite3_value_text(v);
    return tk_basis_utf8(text, (size_t)sqlite3_value_bytes(v));
}

/* The basis code of argument 2, parsed once per statement when it is a
 * constant (auxiliary data, stored as code + 1 so that it is never null). */
static int basis_arg(sqlite3_context *ctx, sqlite3_value *v)
{
    intptr_t cached = (intptr_t)sqlite3_get_auxdata(ctx, 2);
    if (cached)
        return (int)(cached - 1);
    int code = basis_of(v);
    sqlite3_set_auxdata(ctx, 2, (void *)(intptr_t)(code + 1), NULL);
    return code;
}

/* A basis no rule accepts gives NULL, as YRDIF gives the missing value:
 * SQLite does not tell a function whether an argument is a constant, so a
 * column of bases and a literal are read alike (yrdif_basis tests a text). */
static void evaluate(sqlite3_context *ctx, int argc, sqlite3_value **argv, double start,
                     double end)
{
    int code = argc == 3 ? basis_arg(ctx, argv[2]) : TK_BASIS_AGE;
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

/* yrdif_basis(text): the basis a text is read as, or NULL. */
static void yrdif_basis_fn(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    (void)argc;
    const char *name = tk_basis_name(basis_of(argv[0]));
    if (name)
        sqlite3_result_text(ctx, name, -1, SQLITE_STATIC);
    else
        sqlite3_result_null(ctx);
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
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "yrdif_basis", 1, flags, NULL, yrdif_basis_fn, NULL, NULL);
    return rc;
}
