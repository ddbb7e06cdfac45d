/* Registers the package's .Call routines; no symbol is looked up by name. */
#include <R.h>
#include <Rinternals.h>
#include <R_ext/Rdynload.h>

SEXP C_date_values(SEXP days);
SEXP C_years(SEXP start, SEXP end, SEXP code);
SEXP C_days(SEXP start, SEXP end, SEXP code);
SEXP C_basis_codes(SEXP texts);
SEXP C_date_texts(SEXP texts);

static const R_CallMethodDef calls[] = {
    {"C_date_values", (DL_FUNC)&C_date_values, 1},
    {"C_years", (DL_FUNC)&C_years, 3},
    {"C_days", (DL_FUNC)&C_days, 3},
    {"C_basis_codes", (DL_FUNC)&C_basis_codes, 1},
    {"C_date_texts", (DL_FUNC)&C_date_texts, 1},
    {NULL, NULL, 0}};

void R_init_yrdif(DllInfo *dll)
{
    R_registerRoutines(dll, NULL, calls, NULL, NULL);
    R_useDynamicSymbols(dll, FALSE);
    R_forceSymbols(dll, TRUE);
}
