/*
 * column.h - YRDIF over columns, for the bindings that embed the engine
 * (Python, SQLite, PostgreSQL, R).  Internal: none of this is exported by
 * the module, whose interface stays what the host sees.
 *
 * Every element is exactly what YRDIF gives through the module for that
 * pair: zdatdif's year output, or the missing value wherever YRDIF would
 * store it (a missing date, a date outside the calendar, a basis code no
 * text gives).  Day counts are zdatdif's day-count output, or
 * TK_DAYS_MISSING.
 *
 * Calendar dates from the bindings' own date types become date values
 * through the module's calendar by year, month and day (tkfmtzjulymd, then
 * tkfmtzdatjul), never by shifting an epoch: the calendar has no 29
 * February in years divisible by 4000, so from 4000-03-01 on its date
 * values differ from a proleptic Gregorian day count.
 *
 * Relies on: zdatdif, zdatdci, zdatdciS and the calendar conversions,
 * compiled into the same library (with TK_EMBEDDED, so that none of their
 * names leaves it).
 */
#ifndef DATE_COLUMN_H
#define DATE_COLUMN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The day count of a pair without a result. */
#define TK_DAYS_MISSING INT64_MIN

/* Basis code of a text no rule accepts. */
#define TK_BASIS_NONE 0

/* Evaluates n pairs under one basis code.  years[i] gets YRDIF's result for
 * (start[i], end[i]); days, when not null, the engine's day count.  The
 * arrays may not overlap the outputs except exactly (years == start). */
void tk_yrdif_column(int32_t basis, const double *start, const double *end, size_t n,
                     double *years, int64_t *days);

/* The same with one basis code per pair. */
void tk_yrdif_column_codes(const int32_t *basis, const double *start, const double *end,
                           size_t n, double *years, int64_t *days);

/* YRDIF over Arrow date32 columns (Arrow, Polars, DuckDB, Spark): n pairs
 * of days from 1970-01-01 in the proleptic Gregorian calendar, each column
 * with an optional validity bitmap (bit i of byte i / 8, least significant
 * first, from bit *_offset; null when every element is valid).  codes, one
 * basis code per pair, or null for basis for every pair.  years[i] gets
 * exactly what YRDIF gives through the module for the same calendar dates
 * (the host calendar's: 29 February of a year divisible by 4000 is no
 * date), or the missing value where there is none or an input is null;
 * days, when not null, the engine's day counts (TK_DAYS_MISSING); valid,
 * when not null, the result's validity bitmap from bit 0, (n + 7) / 8
 * bytes, set where there is a result and clear past n.  Reads no bitmap
 * byte past the one holding its last bit.  Returns the number of pairs
 * without a result. */
int64_t tk_yrdif_date32(int32_t basis, const int32_t *codes, const int32_t *start,
                        const uint8_t *start_valid, int64_t start_offset, const int32_t *end,
                        const uint8_t *end_valid, int64_t end_offset, size_t n, double *years,
                        int64_t *days, uint8_t *valid);

/* One pair: the year output (or the missing value), and the day count
 * through days when not null. */
double tk_yrdif_one(int32_t basis, double start, double end, int64_t *days);

/* The name of a basis code 1 .. 5 ('30/360', 'ACT/ACT', 'ACT/360',
 * 'ACT/365', 'AGE'), or null for any other code. */
const char *tk_basis_name(int32_t code);

/* The basis code of a text under the "YRDIF" rules, the text given as
 * UTF-8 (decoded to characters; a byte that starts no valid sequence
 * stands for itself), or TK_BASIS_NONE. */
int32_t tk_basis_utf8(const char *text, size_t len);

/* The same for a text already in UTF-32 characters. */
int32_t tk_basis_utf32(const uint32_t *text, size_t len);

/* The basis code of a byte text under the "YRDIF#" rules, or
 * TK_BASIS_NONE.  The bytes are read as given: the host's string service,
 * which converts them first, is not there. */
int32_t tk_basis_bytes(const uint8_t *text, size_t len);

/* The date value of a calendar date, through the module's calendar; the
 * missing value for a year outside 1582 .. 20000 or a day the calendar does
 * not have (4000-02-29 among them). */
double tk_date_of_ymd(int64_t year, int32_t month, int32_t day);

/* The date value of a day counted from 1970-01-01 in the proleptic
 * Gregorian calendar (the count of numpy, R, and of SQLite and PostgreSQL
 * after a shift of their own epochs), through its year, month and day. */
double tk_date_of_epoch_day(int64_t days);

/* Column form; elements equal to nat (a sentinel such as numpy's NaT)
 * give the missing value. */
void tk_dates_of_epoch_days(const int64_t *days, size_t n, int64_t nat, double *out);

/* The date value of a date text, read as the yrdif command reads it
 * (datetext.h), a two-digit year widened through the host's cutoff when
 * its option cannot be read (1926: 26 .. 99 are 1926 .. 1999, 00 .. 25 are
 * 2000 .. 2025).  *kind, when not null, gets the reader's kind, or
 * TK_TEXT_OUTSIDE or TK_TEXT_NO_SUCH_DAY for a date the calendar does not
 * have.  The missing value for a missing date and for every kind below 0. */
double tk_date_of_text(const char *text, size_t len, int32_t *kind);

#ifdef __cplusplus
}
#endif

#endif /* DATE_COLUMN_H */
