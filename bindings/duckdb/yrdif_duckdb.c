/*
 * yrdif_duckdb.c - YRDIF for DuckDB, as a loadable extension over DuckDB's
 * C extension API (the stable API of DuckDB 1.2.0, which later releases
 * keep).  The engine is compiled in (bindings/engine.sources).
 *
 *   yrdif(start, end [, basis])       DOUBLE: YRDIF's result, or NULL where
 *                                     YRDIF gives the missing value
 *   yrdif_days(start, end [, basis])  BIGINT: the engine's day count
 *   yrdif_basis(text)                 VARCHAR: the basis a text is read as
 *
 * start and end are DATE, TIMESTAMP (its calendar date), DOUBLE (date
 * values of the host) or VARCHAR (date texts as the yrdif command reads
 * them: '2000-01-31', '+20000-12-31', '14610'); the basis, 'AGE' when left out, is read by the
 * "YRDIF" rules: a text no rule accepts gives NULL, as YRDIF gives the
 * missing value.  DATE is Arrow's date32 (days from 1970-01-01, validity
 * bits least significant first), so the engine's date32 kernel reads
 * DuckDB's vectors in place; infinite dates and dates outside the host's
 * calendar give NULL.
 *
 * TIMESTAMPTZ has no calendar date without the session's time zone, which
 * the C API does not give a scalar function: its overloads raise an error
 * that says to cast to DATE first (a cast DuckDB makes in the session's
 * time zone), rather than guess a zone.
 */
#define DUCKDB_EXTENSION_NAME yrdif
#include "duckdb_extension.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "column.h"
#include "datetext.h"
#include "tkyrdif.h"
#include "utf8.h"

DUCKDB_EXTENSION_EXTERN

enum output { YEARS, DAYS };

/* What one function of the set evaluates. */
struct kind {
    enum output out;
    duckdb_type dates; /* DUCKDB_TYPE_DATE, _TIMESTAMP, _DOUBLE or _VARCHAR */
};

/* One function of each set per kind, registered with its date type. */
#define DATE_TYPES 4
static const struct kind KINDS[2][DATE_TYPES] = {
    {{YEARS, DUCKDB_TYPE_DATE}, {YEARS, DUCKDB_TYPE_TIMESTAMP}, {YEARS, DUCKDB_TYPE_DOUBLE},
     {YEARS, DUCKDB_TYPE_VARCHAR}},
    {{DAYS, DUCKDB_TYPE_DATE}, {DAYS, DUCKDB_TYPE_TIMESTAMP}, {DAYS, DUCKDB_TYPE_DOUBLE},
     {DAYS, DUCKDB_TYPE_VARCHAR}},
};

#define CHUNK 2048 /* DuckDB's vector size; larger chunks are cut */

_Static_assert(sizeof(duckdb_string_t) == 16, "a string header is two words");

static int row_valid(const uint64_t *validity, idx_t row)
{
    return !validity || (validity[row / 64] >> (row % 64) & 1);
}

/* One basis code per row of a VARCHAR vector: NULL and texts no rule
 * accepts give TK_BASIS_NONE.  A run of equal texts (a constant basis,
 * which DuckDB spreads over the vector, or a column of few) is read once:
 * equal string headers (length and inlined text, or length, prefix and
 * pointer) are equal texts.  Returns the code of every row when they all
 * have one (then codes may be left unset), else -1 and a code a row. */
static int32_t basis_codes(duckdb_vector v, idx_t n, int32_t *codes)
{
    duckdb_string_t *texts = (duckdb_string_t *)duckdb_vector_get_data(v);
    uint64_t *validity = duckdb_vector_get_validity(v);
    const duckdb_string_t *last = NULL;
    int32_t code = TK_BASIS_NONE;
    int mixed = 0;
    if (n == 0)
        return TK_BASIS_NONE;
    if (!validity) { /* one header throughout (a constant spread out): one text */
        uint64_t first[2], diff = 0;
        memcpy(first, &texts[0], sizeof first);
        for (idx_t i = 1; i < n; i++) {
            uint64_t h[2];
            memcpy(h, &texts[i], sizeof h);
            diff |= (h[0] ^ first[0]) | (h[1] ^ first[1]);
        }
        if (!diff)
            return tk_basis_utf8(duckdb_string_t_data(&texts[0]), duckdb_string_t_length(texts[0]));
    }
    for (idx_t i = 0; i < n; i++) {
        if (!row_valid(validity, i)) {
            code = TK_BASIS_NONE;
            last = NULL;
        } else if (!last || memcmp(&texts[i], last, sizeof *last) != 0) {
            uint32_t len = duckdb_string_t_length(texts[i]);
            const char *text = duckdb_string_t_data(&texts[i]);
            code = tk_basis_utf8(text, len);
            last = &texts[i];
        }
        codes[i] = code;
        mixed |= code != codes[0];
    }
    return mixed ? -1 : codes[0];
}

/* TIMESTAMP microseconds to date32 days, floored; NULL where the day is
 * past int32 (infinity among them), which the kernel then gives NULL. */
static void days_of_timestamps(const int64_t *us, idx_t n, int32_t *days, uint8_t *valid)
{
    memset(valid, 0, (n + 7) / 8);
    for (idx_t i = 0; i < n; i++) {
        int64_t d = us[i] / 86400000000LL;
        if (us[i] % 86400000000LL < 0)
            d--;
        int ok = d >= INT32_MIN && d <= INT32_MAX;
        days[i] = ok ? (int32_t)d : 0;
        valid[i / 8] |= (uint8_t)(ok << (i % 8));
    }
}

/* Date texts to date values, read as the yrdif command and the other
 * bindings read them (date/datetext.h): NULL, "" and ".", and dates the
 * calendar lacks or that lie outside it, give the missing value (so NULL);
 * a text that is no date at all is an error that names it.  Returns 0
 * after setting that error. */
static int text_dates(duckdb_function_info info, duckdb_vector v, idx_t n, double *out,
                      const char *arg)
{
    duckdb_string_t *texts = (duckdb_string_t *)duckdb_vector_get_data(v);
    uint64_t *validity = duckdb_vector_get_validity(v);
    for (idx_t i = 0; i < n; i++) {
        if (!row_valid(validity, i)) {
            out[i] = tk_missing();
            continue;
        }
        const char *text = duckdb_string_t_data(&texts[i]);
        uint32_t len = duckdb_string_t_length(texts[i]);
        int32_t kind;
        out[i] = tk_date_of_text(text, len, &kind);
        if (kind < 0 && kind != TK_TEXT_OUTSIDE && kind != TK_TEXT_NO_SUCH_DAY) {
            char shown[TK_SHOWN_MAX], message[TK_SHOWN_MAX + 200];
            snprintf(message, sizeof message, "yrdif: %s %s %s", arg,
                     tk_text_shown(text, len, shown), tk_date_text_problem(kind));
            duckdb_scalar_function_set_error(info, message);
            return 0;
        }
    }
    return 1;
}

/* validity bits of a vector (or all set) ANDed into bytes. */
static void and_validity(uint8_t *bits, const uint64_t *validity, idx_t n)
{
    if (validity)
        for (idx_t i = 0; i < (n + 7) / 8; i++)
            bits[i] &= (uint8_t)(validity[i / 8] >> (8 * (i % 8)));
}

static void evaluate(duckdb_function_info info, duckdb_data_chunk input, duckdb_vector output)
{
    const struct kind *k = (const struct kind *)duckdb_scalar_function_get_extra_info(info);
    idx_t n = duckdb_data_chunk_get_size(input);
    if (n > CHUNK) {
        duckdb_scalar_function_set_error(info, "yrdif: a chunk of more rows than a vector holds");
        return;
    }
    duckdb_vector start = duckdb_data_chunk_get_vector(input, 0);
    duckdb_vector end = duckdb_data_chunk_get_vector(input, 1);
    int32_t codes[CHUNK];
    const int32_t *per_row = NULL;
    int32_t basis = TK_BASIS_AGE;
    if (duckdb_data_chunk_get_column_count(input) == 3) {
        basis = basis_codes(duckdb_data_chunk_get_vector(input, 2), n, codes);
        if (basis < 0)
            per_row = codes;
    }
    double years[CHUNK];
    int64_t days[CHUNK];
    uint8_t valid[CHUNK / 8];
    int64_t *days_out = k->out == DAYS ? days : NULL;
    double *years_out = k->out == YEARS ? (double *)duckdb_vector_get_data(output) : years;
    uint64_t *start_valid = duckdb_vector_get_validity(start);
    uint64_t *end_valid = duckdb_vector_get_validity(end);

    if (k->dates == DUCKDB_TYPE_DOUBLE || k->dates == DUCKDB_TYPE_VARCHAR) {
        const double *a = (const double *)duckdb_vector_get_data(start);
        const double *b = (const double *)duckdb_vector_get_data(end);
        double a_text[CHUNK], b_text[CHUNK];
        if (k->dates == DUCKDB_TYPE_VARCHAR) {
            if (!text_dates(info, start, n, a_text, "start") || !text_dates(info, end, n, b_text, "end"))
                return;
            a = a_text;
            b = b_text;
        }
        if (per_row)
            tk_yrdif_column_codes(per_row, a, b, n, years_out, days_out);
        else
            tk_yrdif_column(basis, a, b, n, years_out, days_out);
        /* A NULL's slot holds whatever was there: its row is NULL. */
        memset(valid, 0, sizeof valid);
        for (idx_t i = 0; i < n; i++) {
            uint64_t bits;
            memcpy(&bits, &years_out[i], sizeof bits);
            valid[i / 8] |= (uint8_t)((bits != TK_MISSING_BITS) << (i % 8));
        }
        and_validity(valid, start_valid, n);
        and_validity(valid, end_valid, n);
    } else if (k->dates == DUCKDB_TYPE_DATE) {
        tk_yrdif_date32(basis, per_row, (const int32_t *)duckdb_vector_get_data(start),
                        (const uint8_t *)start_valid, 0,
                        (const int32_t *)duckdb_vector_get_data(end),
                        (const uint8_t *)end_valid, 0, n, years_out, days_out, valid);
    } else {
        int32_t a[CHUNK], b[CHUNK];
        uint8_t a_valid[CHUNK / 8], b_valid[CHUNK / 8];
        days_of_timestamps((const int64_t *)duckdb_vector_get_data(start), n, a, a_valid);
        days_of_timestamps((const int64_t *)duckdb_vector_get_data(end), n, b, b_valid);
        and_validity(a_valid, start_valid, n);
        and_validity(b_valid, end_valid, n);
        tk_yrdif_date32(basis, per_row, a, a_valid, 0, b, b_valid, 0, n, years_out,
                        days_out, valid);
    }

    if (k->out == DAYS) {
        int64_t *out = (int64_t *)duckdb_vector_get_data(output);
        memcpy(out, days, n * sizeof *out);
    }
    duckdb_vector_ensure_validity_writable(output);
    uint64_t *out_valid = duckdb_vector_get_validity(output);
    for (idx_t w = 0; w < (n + 63) / 64; w++) {
        uint64_t word = 0;
        for (idx_t b = 0; b < 8 && w * 8 + b < (n + 7) / 8; b++)
            word |= (uint64_t)valid[w * 8 + b] << (8 * b);
        out_valid[w] = word;
    }
}

/* TIMESTAMPTZ: no calendar date without the session's time zone. */
static void needs_date(duckdb_function_info info, duckdb_data_chunk input, duckdb_vector output)
{
    (void)input;
    (void)output;
    duckdb_scalar_function_set_error(
        info, "yrdif: a TIMESTAMPTZ has no calendar date of its own; cast it to DATE first "
              "(yrdif(a::DATE, b::DATE)), which takes the session's time zone");
}

static void basis_fn(duckdb_function_info info, duckdb_data_chunk input, duckdb_vector output)
{
    (void)info;
    idx_t n = duckdb_data_chunk_get_size(input);
    int32_t codes[CHUNK];
    if (n > CHUNK)
        n = CHUNK;
    int32_t one = basis_codes(duckdb_data_chunk_get_vector(input, 0), n, codes);
    duckdb_vector_ensure_validity_writable(output);
    uint64_t *out_valid = duckdb_vector_get_validity(output);
    for (idx_t i = 0; i < n; i++) {
        const char *name = tk_basis_name(one >= 0 ? one : codes[i]);
        if (name)
            duckdb_vector_assign_string_element(output, i, name);
        else
            duckdb_validity_set_row_invalid(out_valid, i);
    }
}

/* Adds name(arg x args [, basis VARCHAR]) -> ret to a set. */
static int add(duckdb_scalar_function_set set, const char *name, duckdb_type arg, int args,
               int with_basis, duckdb_type ret, duckdb_scalar_function_t fn, const void *extra)
{
    duckdb_scalar_function f = duckdb_create_scalar_function();
    duckdb_scalar_function_set_name(f, name);
    duckdb_logical_type t = duckdb_create_logical_type(arg);
    for (int i = 0; i < args; i++)
        duckdb_scalar_function_add_parameter(f, t);
    duckdb_destroy_logical_type(&t);
    if (with_basis) {
        duckdb_logical_type v = duckdb_create_logical_type(DUCKDB_TYPE_VARCHAR);
        duckdb_scalar_function_add_parameter(f, v);
        duckdb_destroy_logical_type(&v);
    }
    duckdb_logical_type r = duckdb_create_logical_type(ret);
    duckdb_scalar_function_set_return_type(f, r);
    duckdb_destroy_logical_type(&r);
    duckdb_scalar_function_set_function(f, fn);
    duckdb_scalar_function_set_extra_info(f, (void *)extra, NULL);
    int ok = duckdb_add_scalar_function_to_set(set, f) == DuckDBSuccess;
    duckdb_destroy_scalar_function(&f);
    return ok;
}

static int register_set(duckdb_connection con, const char *name, enum output out)
{
    duckdb_type ret = out == YEARS ? DUCKDB_TYPE_DOUBLE : DUCKDB_TYPE_BIGINT;
    duckdb_scalar_function_set set = duckdb_create_scalar_function_set(name);
    int ok = 1;
    for (int with_basis = 0; with_basis <= 1; with_basis++) {
        for (int d = 0; d < DATE_TYPES; d++)
            ok = ok && add(set, name, KINDS[out][d].dates, 2, with_basis, ret, evaluate,
                           &KINDS[out][d]);
        ok = ok && add(set, name, DUCKDB_TYPE_TIMESTAMP_TZ, 2, with_basis, ret, needs_date, NULL);
    }
    ok = ok && duckdb_register_scalar_function_set(con, set) == DuckDBSuccess;
    duckdb_destroy_scalar_function_set(&set);
    return ok;
}

DUCKDB_EXTENSION_ENTRYPOINT(duckdb_connection con, duckdb_extension_info info,
                            struct duckdb_extension_access *access)
{
    int ok = register_set(con, "yrdif", YEARS) && register_set(con, "yrdif_days", DAYS);
    if (ok) {
        duckdb_scalar_function_set set = duckdb_create_scalar_function_set("yrdif_basis");
        ok = add(set, "yrdif_basis", DUCKDB_TYPE_VARCHAR, 1, 0, DUCKDB_TYPE_VARCHAR, basis_fn, NULL) &&
             duckdb_register_scalar_function_set(con, set) == DuckDBSuccess;
        duckdb_destroy_scalar_function_set(&set);
    }
    if (!ok)
        access->set_error(info, "yrdif: registering the functions failed");
    return ok;
}
