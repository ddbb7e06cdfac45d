/*
 * yrdif_r.c - the engine over R vectors (called from R/yrdif.R).
 *
 *   C_date_values(days)      Date days from 1970-01-01 -> host date values,
 *                            through the host calendar by year, month, day
 *   C_years(start, end, code)  host date values -> YRDIF, NA where none
 *   C_days(start, end, code)   -> the engine's day counts, NA where none
 *   C_basis_codes(texts)       character -> basis codes, 0 where no rule
 *   C_date_texts(texts)        character -> host date values, read as the
 *                            yrdif command reads dates; attribute "bad":
 *                            the (1-based) elements that are no date at
 *                            all, "problem": why the first of them is not
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
#include "datetext.h"

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

/* The three arguments of C_years and C_days, recycled: the size of the
 * result (the longest of three vectors of length n or 1; 0 when one is
 * empty) and, for each, 1 when it has one element a row, 0 when it has one
 * for all. */
typedef struct Args {
    R_xlen_t n;
    const double *s, *e;
    const int *c;
    R_xlen_t ls, le, lc;
} Args;

static Args args_of(SEXP start, SEXP end, SEXP code)
{
    Args a = {XLENGTH(start), REAL(start), REAL(end), INTEGER(code), XLENGTH(start) != 1,
              XLENGTH(end) != 1, XLENGTH(code) != 1};
    if (XLENGTH(end) != 1 && (a.n == 1 || XLENGTH(end) > a.n))
        a.n = XLENGTH(end);
    if (XLENGTH(code) != 1 && (a.n == 1 || XLENGTH(code) > a.n))
        a.n = XLENGTH(code);
    if (XLENGTH(start) == 0 || XLENGTH(end) == 0 || XLENGTH(code) == 0)
        a.n = 0;
    return a;
}

SEXP C_years(SEXP start, SEXP end, SEXP code)
{
    Args a = args_of(start, end, code);
    SEXP out = PROTECT(Rf_allocVector(REALSXP, a.n));
    double *o = REAL(out);
    if (a.ls && a.le && !a.lc)
        tk_yrdif_column(a.c[0], a.s, a.e, (size_t)a.n, o, NULL);
    else if (a.ls && a.le)
        tk_yrdif_column_codes(a.c, a.s, a.e, (size_t)a.n, o, NULL);
    else
        for (R_xlen_t i = 0; i < a.n; i++)
            o[i] = tk_yrdif_one(a.c[a.lc * i], a.s[a.ls * i], a.e[a.le * i], NULL);
    for (R_xlen_t i = 0; i < a.n; i++) /* the missing value becomes R's NA */
        if (isnan(o[i]))
            o[i] = NA_REAL;
    UNPROTECT(1);
    return out;
}

SEXP C_days(SEXP start, SEXP end, SEXP code)
{
    Args a = args_of(start, end, code);
    SEXP out = PROTECT(Rf_allocVector(INTSXP, a.n));
    int *o = INTEGER(out);
    for (R_xlen_t i = 0; i < a.n; i++) {
        int64_t d;
        tk_yrdif_one(a.c[a.lc * i], a.s[a.ls * i], a.e[a.le * i], &d);
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
        /* A text in "bytes" encoding is read as its bytes are. */
        const char *u = Rf_getCharCE(t) == CE_BYTES ? CHAR(t) : Rf_translateCharUTF8(t);
        INTEGER(out)[i] = tk_basis_utf8(u, strlen(u));
    }
    UNPROTECT(1);
    return out;
}

SEXP C_date_texts(SEXP texts)
{
    R_xlen_t n = XLENGTH(texts), nbad = 0;
    SEXP out = PROTECT(Rf_allocVector(REALSXP, n));
    double *o = REAL(out);
    int32_t first = 0;
    for (int pass = 0; pass < 2; pass++) {
        /* The second pass, only when there are bad texts, lists them. */
        SEXP bad = pass ? PROTECT(Rf_allocVector(REALSXP, nbad)) : R_NilValue;
        R_xlen_t k = 0;
        for (R_xlen_t i = 0; i < n; i++) {
            SEXP t = STRING_ELT(texts, i);
            int32_t kind = TK_TEXT_MISSING;
            double v = t == NA_STRING ? NA_REAL
                                      : tk_date_of_text(CHAR(t), (size_t)LENGTH(t), &kind);
            if (kind < 0 && kind != TK_TEXT_OUTSIDE && kind != TK_TEXT_NO_SUCH_DAY) {
                if (pass)
                    REAL(bad)[k++] = (double)(i + 1);
                else if (nbad++ == 0)
                    first = kind;
            }
            if (!pass)
                o[i] = isnan(v) ? NA_REAL : v;
        }
        if (pass) {
            Rf_setAttrib(out, Rf_install("bad"), bad);
            Rf_setAttrib(out, Rf_install("problem"), Rf_mkString(tk_date_text_problem(first)));
            UNPROTECT(1);
        }
        if (nbad == 0)
            break;
    }
    UNPROTECT(1);
    return out;
}
