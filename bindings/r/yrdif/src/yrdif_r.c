/*
 * yrdif_r.c - the engine over R vectors (called from R/yrdif.R).
 *
 *   C_date_values(days)      Date days from 1970-01-01 -> host date values,
 *                            through the host calendar by year, month, day
 *   C_years(start, end, code)  host date values -> YRDIF, NA where none
 *   C_days(start, end, code)   -> the engine's day counts, NA where none
 *   C_basis_codes(texts)       character -> basis codes, 0 where no rule
 *
 * start, end and code are of length n or 1 (the R side checks the sizes).
 */
#include <math.h>
#include <stdint.h>
#include <string.h>

#define R_NO_REMAP
#include <R.h>
#include <Rinternals.h>

#include "column.h"

SEXP C_date_values(SEXP days)
{
    R_xlen_t n = XLENGTH(days);
    SEXP out = PROTECT(Rf_allocVector(REALSXP, n));
    double *o = REAL(out);
    if (TYPEOF(days) == INTSXP) {
        const int *d = INTEGER(days);
        for (R_xlen_t i = 0; i < n; i++)
            o[i] = d[i] == NA_INTEGER ? NA_REAL : tk_date_of_epoch_day(d[i]);
    } else {
        const double *d = REAL(days);
        for (R_xlen_t i = 0; i < n; i++) /* a fraction of a day is floored */
            o[i] = isfinite(d[i]) && fabs(d[i]) < 1e15 ? tk_date_of_epoch_day((int64_t)floor(d[i]))
                                                       : NA_REAL;
    }
    UNPROTECT(1);
    return out;
}

/* The size of the result: the longest of three vectors of length n or 1. */
static R_xlen_t size3(SEXP a, SEXP b, SEXP c)
{
    R_xlen_t n = XLENGTH(a);
    if (XLENGTH(b) != 1 && (n == 1 || XLENGTH(b) > n))
        n = XLENGTH(b);
    if (XLENGTH(c) != 1 && (n == 1 || XLENGTH(c) > n))
        n = XLENGTH(c);
    if (XLENGTH(a) == 0 || XLENGTH(b) == 0 || XLENGTH(c) == 0)
        n = 0;
    return n;
}

SEXP C_years(SEXP start, SEXP end, SEXP code)
{
    R_xlen_t n = size3(start, end, code);
    SEXP out = PROTECT(Rf_allocVector(REALSXP, n));
    const double *s = REAL(start), *e = REAL(end);
    const int *c = INTEGER(code);
    double *o = REAL(out);
    int ls = XLENGTH(start) != 1, le = XLENGTH(end) != 1, lc = XLENGTH(code) != 1;
    if (ls && le && !lc)
        tk_yrdif_column(c[0], s, e, (size_t)n, o, NULL);
    else if (ls && le)
        tk_yrdif_column_codes(c, s, e, (size_t)n, o, NULL);
    else
        for (R_xlen_t i = 0; i < n; i++)
            o[i] = tk_yrdif_one(c[lc * i], s[ls * i], e[le * i], NULL);
    for (R_xlen_t i = 0; i < n; i++) /* the missing value becomes R's NA */
        if (isnan(o[i]))
            o[i] = NA_REAL;
    UNPROTECT(1);
    return out;
}

SEXP C_days(SEXP start, SEXP end, SEXP code)
{
    R_xlen_t n = size3(start, end, code);
    SEXP out = PROTECT(Rf_allocVector(INTSXP, n));
    const double *s = REAL(start), *e = REAL(end);
    const int *c = INTEGER(code);
    int *o = INTEGER(out);
    int ls = XLENGTH(start) != 1, le = XLENGTH(end) != 1, lc = XLENGTH(code) != 1;
    for (R_xlen_t i = 0; i < n; i++) {
        int64_t d;
        tk_yrdif_one(c[lc * i], s[ls * i], e[le * i], &d);
        /* Day counts lie within +-6.8 million, well inside an int. */
        o[i] = d == TK_DAYS_MISSING ? NA_INTEGER : (int)d;
    }
    UNPROTECT(1);
    return out;
}

SEXP C_basis_codes(SEXP texts)
{
    R_xlen_t n = XLENGTH(texts);
    SEXP out = PROTECT(Rf_allocVector(INTSXP, n));
    for (R_xlen_t i = 0; i < n; i++) {
        SEXP t = STRING_ELT(texts, i);
        if (t == NA_STRING) {
            INTEGER(out)[i] = 0;
            continue;
        }
        const char *u = Rf_translateCharUTF8(t);
        INTEGER(out)[i] = tk_basis_utf8(u, strlen(u));
    }
    UNPROTECT(1);
    return out;
}
