/*
 * yrdif_pg.c - YRDIF as SQL functions for PostgreSQL (see yrdif--1.0.sql).
 *
 * Dates and timestamps become host date values through the host calendar
 * by year, month and day; infinities and dates outside 1582-01-01 ..
 * 20000-12-31 (or not in it, as 4000-02-29) give NULL; a timestamptz is
 * read as its date in the session's time zone.  The basis text is
 * converted from the database encoding to UTF-8, read by the "YRDIF" rules
 * and cached per call site in fn_extra; a text no rule accepts is an error
 * when it is a constant, and gives NULL when it comes row by row.  The engine is C++ compiled without exceptions and never calls
 * back into PostgreSQL, so no error unwinds through its frames.
 */
#include "postgres.h"

#include "fmgr.h"
#include "mb/pg_wchar.h"
#include "utils/builtins.h"
#include "utils/date.h"
#include "utils/datetime.h"
#include "utils/timestamp.h"

#include "column.h"
#include "utf8.h"
#include "tkyrdif.h"

PG_MODULE_MAGIC;

/* The basis text last seen at a call site and its code. */
typedef struct BasisCache {
    int32 code;
    int len;
    int cap;
    char text[FLEXIBLE_ARRAY_MEMBER];
} BasisCache;

/* The code of a text under the YRDIF rules, or TK_BASIS_NONE.  In a
 * SQL_ASCII database the bytes are read as the yrdif command reads them
 * (UTF-8, a byte that starts no valid sequence standing for itself): they
 * have no encoding to convert from. */
static int32 parse_basis(const char *text, int len)
{
    char *utf8;
    int32 code;

    if (GetDatabaseEncoding() == PG_SQL_ASCII)
        return tk_basis_utf8(text, (size_t)len);
    /* The rules read 256 characters at most, which 1024 bytes of any
     * server encoding hold: the rest of a longer text is not converted. */
    len = pg_mbcliplen(text, len, 1024);
    utf8 = pg_server_to_any(text, len, PG_UTF8);
    code = tk_basis_utf8(utf8, utf8 == text ? (size_t)len : strlen(utf8));
    if (utf8 != text)
        pfree(utf8);
    return code;
}

/* The basis of argument 2 when there is one, else 'AGE'.  A text no rule
 * accepts is an error when the argument is the same for every row (a
 * constant or a parameter: a typo must not pass for missing data) and
 * gives TK_BASIS_NONE, so NULL, row by row, as YRDIF gives the missing
 * value. */
static int32 basis_arg(FunctionCallInfo fcinfo)
{
    text *t;
    const char *s;
    int len;
    BasisCache *c = (BasisCache *)fcinfo->flinfo->fn_extra;
    int32 code;

    if (PG_NARGS() < 3)
        return TK_BASIS_AGE;
    t = PG_GETARG_TEXT_PP(2);
    s = VARDATA_ANY(t);
    len = VARSIZE_ANY_EXHDR(t);
    if (c != NULL && c->len == len && memcmp(c->text, s, len) == 0)
        return c->code;
    code = parse_basis(s, len);
    if (code == TK_BASIS_NONE && get_fn_expr_arg_stable(fcinfo->flinfo, 2)) {
        char shown[TK_SHOWN_MAX];
        ereport(ERROR, (errcode(ERRCODE_INVALID_PARAMETER_VALUE),
                        errmsg("basis %s is not recognised by the YRDIF rules",
                               tk_text_shown(s, (size_t)len, shown)),
                        errhint("Use '30/360', 'ACT/ACT', 'ACT/360', 'ACT/365' or 'AGE'; "
                                "yrdif_basis(text) tells how a text is read.")));
    }
    if (c == NULL || c->cap < len) { /* the text's bytes alone: it is compared by its length */
        c = MemoryContextAlloc(fcinfo->flinfo->fn_mcxt, offsetof(BasisCache, text) + len);
        c->cap = len;
        fcinfo->flinfo->fn_extra = c;
    }
    c->code = code;
    c->len = len;
    memcpy(c->text, s, len);
    return code;
}

static Datum result(FunctionCallInfo fcinfo, double start, double end)
{
    int32 code = basis_arg(fcinfo);
    double years = tk_yrdif_one(code, start, end, NULL);
    if (isnan(years))
        PG_RETURN_NULL();
    PG_RETURN_FLOAT8(years);
}

/* The host date value of a date, through its year, month and day. */
static double date_value_of_date(DateADT d)
{
    int y, m, day;

    if (DATE_NOT_FINITE(d))
        return NAN;
    j2date(d + POSTGRES_EPOCH_JDATE, &y, &m, &day);
    return tk_date_of_ymd(y, m, day);
}

/* The same for a timestamp's date, or with zoned true a timestamptz's
 * date in the session's time zone. */
static double date_value_of_timestamp(Timestamp ts, bool zoned)
{
    struct pg_tm tm;
    fsec_t fsec;
    int tz;
    if (TIMESTAMP_NOT_FINITE(ts) ||
        timestamp2tm(ts, zoned ? &tz : NULL, &tm, &fsec, NULL, NULL) != 0)
        return NAN;
    return tk_date_of_ymd(tm.tm_year, tm.tm_mon, tm.tm_mday);
}

PG_FUNCTION_INFO_V1(yrdif_date);
Datum yrdif_date(PG_FUNCTION_ARGS)
{
    return result(fcinfo, date_value_of_date(PG_GETARG_DATEADT(0)),
                  date_value_of_date(PG_GETARG_DATEADT(1)));
}

PG_FUNCTION_INFO_V1(yrdif_timestamp);
Datum yrdif_timestamp(PG_FUNCTION_ARGS)
{
    return result(fcinfo, date_value_of_timestamp(PG_GETARG_TIMESTAMP(0), false),
                  date_value_of_timestamp(PG_GETARG_TIMESTAMP(1), false));
}

PG_FUNCTION_INFO_V1(yrdif_timestamptz);
Datum yrdif_timestamptz(PG_FUNCTION_ARGS)
{
    return result(fcinfo, date_value_of_timestamp(PG_GETARG_TIMESTAMPTZ(0), true),
                  date_value_of_timestamp(PG_GETARG_TIMESTAMPTZ(1), true));
}

PG_FUNCTION_INFO_V1(yrdif_dv);
Datum yrdif_dv(PG_FUNCTION_ARGS)
{
    return result(fcinfo, PG_GETARG_FLOAT8(0), PG_GETARG_FLOAT8(1));
}

PG_FUNCTION_INFO_V1(yrdif_basis);
Datum yrdif_basis(PG_FUNCTION_ARGS)
{
    text *t = PG_GETARG_TEXT_PP(0);
    int32 code = parse_basis(VARDATA_ANY(t), VARSIZE_ANY_EXHDR(t));
    if (code == TK_BASIS_NONE)
        PG_RETURN_NULL();
    PG_RETURN_TEXT_P(cstring_to_text(tk_basis_name(code)));
}
