/*
 * datetext.h - the one reader of date texts, shared by the yrdif command
 * and every binding that reads dates from text (Python, R, SQLite), so
 * that they all read the same texts the same way.  Internal: nothing here
 * is exported by the module.
 *
 * The reader knows the shapes of texts only; turning a year, month and
 * day into a date value is the caller's, through the module's calendar
 * (the command through the loaded module, the bindings through
 * tk_date_of_text in column.h).
 *
 * A date text, with blanks (space, tab, CR, LF, VT, FF) around it ignored:
 *   ""  or "."                  a missing date
 *   YYYY-MM-DD, +YYYY-MM-DD     a calendar date; -YYYY-MM-DD is a year
 *   +YYYYY-MM-DD                before the calendar, five digits need '+'
 *   YY-MM-DD                    a two-digit year, widened through a cutoff
 *   then, optionally, 'T' or one blank and a time of day HH:MM[:SS[.f...]]
 *   (00:00 to 23:59:59.9...), which is dropped;
 *   or a decimal number (sign, digits, point, exponent; no hexadecimal, no
 *   infinities): a date value, days from 1960-01-01.
 *
 * Relies on: nothing but the C++ standard library (from_chars).
 */
#ifndef DATE_DATETEXT_H
#define DATE_DATETEXT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What a text is; the negative kinds say why it is no date. */
enum {
    TK_TEXT_MISSING = 0,      /* "" or "." */
    TK_TEXT_YMD = 1,          /* a calendar date: year, month, day */
    TK_TEXT_NUMBER = 2,       /* a date value: number */
    TK_TEXT_NOT_A_DATE = -1,  /* neither a date nor a number */
    TK_TEXT_FIVE_NO_PLUS = -2, /* a five-digit year without its '+' */
    TK_TEXT_TWO_SIGNED = -3,  /* a two-digit year with a sign */
    TK_TEXT_BAD_TIME = -4,    /* a date followed by something that is no time of day */
    /* What the calendar says of a date the reader found (tk_date_of_text): */
    TK_TEXT_OUTSIDE = -5,     /* a year or date value outside the calendar */
    TK_TEXT_NO_SUCH_DAY = -6, /* a month or day the calendar does not have */
};

/* Why a text of kind k (below 0) gives no date, as messages say it after
 * the text: "is neither a date ...", "has a five-digit year ...". */
const char *tk_date_text_problem(int32_t k);

/* The shapes of a calendar date as written. */
enum { TK_YMD_FOUR = 4, TK_YMD_FIVE = 5, TK_YMD_TWO = 2 };

typedef struct tk_date_text {
    int32_t kind;   /* one of TK_TEXT_* */
    int32_t digits; /* TK_YMD_*: the year's digits (YMD kinds and the two sign errors) */
    int32_t sign;   /* -1, 0 (none) or +1: the year's sign as written */
    int64_t year;   /* as written, with its sign; two digits not widened */
    int32_t month;  /* 0 .. 99 as written; not checked against the calendar */
    int32_t day;    /* 0 .. 99 as written */
    double number;  /* TK_TEXT_NUMBER: the value (infinite where it overflows) */
} tk_date_text;

/* Reads [+|-]YYYY-MM-DD, +YYYYY-MM-DD or YY-MM-DD (two digits for the
 * month and the day) at the start of s[0 .. n): the bytes it spans, or 0
 * when the text does not start with that shape.  Sets kind, digits, sign,
 * year, month and day; kind is TK_TEXT_YMD or one of the two sign errors.
 * Reads nothing at or past s + n. */
size_t tk_scan_ymd(const char *s, size_t n, tk_date_text *out);

/* Reads a whole date text (see above) into *out and returns out->kind.
 * Reads nothing at or past s + n; a NUL byte is a character like any other
 * (and so no date). */
int32_t tk_read_date_text(const char *s, size_t n, tk_date_text *out);

/* 1 for the blanks that may stand around a date text. */
static inline int tk_text_blank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

#ifdef __cplusplus
}
#endif

#endif /* DATE_DATETEXT_H */
