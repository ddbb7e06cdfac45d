/*
 * column.cpp - YRDIF over columns of date pairs, basis texts to codes, and
 * calendar dates of the bindings' date types to date values.  See
 * column.h.
 *
 * Relies on: zdatdif (every element goes through it, so each is exactly
 * what the entry points give), the parsers and the calendar conversions.
 */
#include "column.h"

#include "calendar.h"
#include "column_simd.h"
#include "datetext.h"

#include "tkyrdif.h"
#include "utf8.h"

/* Working copies of the parsers hold at most this many units; text past
 * them is never examined, so it need not be decoded either. */
#define BASIS_UNITS 256

double tk_yrdif_one(int32_t basis, double start, double end, int64_t *days)
{
    int64_t d;
    double y;
    if (zdatdif(basis, &d, &y, start, end) != 0) {
        if (days)
            *days = TK_DAYS_MISSING;
        return tk_missing();
    }
    if (days)
        *days = d;
    return y;
}

/* The column kernel's variants, each chosen once by the dynamic loader:
 * AVX-512 (F, DQ and VL) or AVX2 with FMA where the processor has them
 * (and POPCNT, which comes with either), SSE2 otherwise.  The resolvers
 * run before any sanitizer runtime is ready, so they are not
 * instrumented. */
#define NOT_INSTRUMENTED __attribute__((no_sanitize("address", "undefined", "thread")))

/* 2 for the AVX-512 variant, 1 for AVX2, 0 for SSE2. */
static inline NOT_INSTRUMENTED int column_variant(void)
{
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("popcnt"))
        return 0;
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        return 2;
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? 1 : 0;
}

NOT_INSTRUMENTED tk_years_fn *tk_column_years_for(bool ahead)
{
    const int v = column_variant(); /* no table: it would need relocating first */
    if (ahead)
        return v == 2 ? tk_column_avx512_years_ahead : v == 1 ? tk_column_avx2_years_ahead : tk_column_sse2_years_ahead;
    return v == 2 ? tk_column_avx512_years : v == 1 ? tk_column_avx2_years : tk_column_sse2_years;
}

extern "C" {
__attribute__((visibility("hidden"))) NOT_INSTRUMENTED tk_years_fn *resolve_column_years(void);
tk_years_fn *resolve_column_years(void)
{
    /* On Intel's processors the float64 loop runs faster on columns larger
     * than the caches when it asks for its dates ahead (30/360 by a sixth
     * at 10 million pairs); on AMD's it runs slower, by two fifths, at
     * every length measured from 300,000 pairs to 10 million, so there it
     * leaves them to the processor. */
    return tk_column_years_for(__builtin_cpu_is("intel"));
}
__attribute__((visibility("hidden"))) NOT_INSTRUMENTED tk_date32_fn *resolve_yrdif_date32(void);
tk_date32_fn *resolve_yrdif_date32(void)
{
    const int v = column_variant();
    return v == 2 ? tk_column_avx512_date32 : v == 1 ? tk_column_avx2_date32 : tk_column_sse2_date32;
}
}

__attribute__((visibility("hidden"))) tk_years_fn column_years __attribute__((ifunc("resolve_column_years")));

/* The variant for this processor, chosen once by the dynamic loader. */
int64_t tk_yrdif_date32(int32_t basis, const int32_t *codes, const int32_t *start,
                        const uint8_t *start_valid, int64_t start_offset, const int32_t *end,
                        const uint8_t *end_valid, int64_t end_offset, size_t n, double *years,
                        int64_t *days, uint8_t *valid) __attribute__((ifunc("resolve_yrdif_date32")));

void tk_yrdif_column(int32_t basis, const double *start, const double *end, size_t n,
                     double *years, int64_t *days)
{
    if (days) { /* day counts only come one pair at a time */
        for (size_t i = 0; i < n; i++)
            years[i] = tk_yrdif_one(basis, start[i], end[i], &days[i]);
    } else if (basis >= TK_BASIS_30_360 && basis <= TK_BASIS_AGE) {
        column_years(basis, start, end, n, years);
    } else { /* no basis: YRDIF has no result for any pair */
        for (size_t i = 0; i < n; i++)
            years[i] = tk_missing();
    }
}

void tk_yrdif_column_codes(const int32_t *basis, const double *start, const double *end,
                           size_t n, double *years, int64_t *days)
{
    for (size_t i = 0; i < n; i++)
        years[i] = tk_yrdif_one(basis[i], start[i], end[i], days ? &days[i] : nullptr);
}

const char *tk_basis_name(int32_t code)
{
    static const char *const names[] = {"30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE"};
    return code >= TK_BASIS_30_360 && code <= TK_BASIS_AGE ? names[code - 1] : nullptr;
}

/* The code a parser gives the first 256 units of a text, or TK_BASIS_NONE. */
template <class Unit>
static int32_t parse_basis(int32_t (*parser)(const Unit *, int32_t, int32_t, int32_t *, void *),
                           const Unit *text, size_t len)
{
    int32_t code = TK_BASIS_NONE;
    int32_t n = len > BASIS_UNITS ? BASIS_UNITS : (int32_t)len;
    return parser(text, n, 1, &code, nullptr) == 0 ? code : TK_BASIS_NONE;
}

int32_t tk_basis_utf32(const uint32_t *text, size_t len)
{
    return parse_basis(zdatdci, text, len);
}

int32_t tk_basis_utf8(const char *text, size_t len)
{
    uint32_t wide[BASIS_UNITS];
    return tk_basis_utf32(wide, tk_utf8_decode(text, len, wide, BASIS_UNITS));
}

int32_t tk_basis_bytes(const uint8_t *text, size_t len)
{
    return parse_basis(zdatdciS, text, len);
}

double tk_date_of_ymd(int64_t year, int32_t month, int32_t day)
{
    /* What tkfmtzdatjul(tkfmtzjulymd(year, month, day)) gives for a whole
     * year of the calendar's range, by the same tables and start-of-year
     * value, without the round trip through a Julian date.  Years 0 .. 99
     * are not two-digit years here. */
    if (year < CAL_YEAR_MIN || year > CAL_YEAR_MAX || month < 1 || month > 12 || day < 1)
        return tk_missing();
    const int32_t *before = cal_days_before[cal_is_leap(year)];
    if (day > before[month] - before[month - 1])
        return tk_missing();
    return (double)(cal_start_of_positive_year((uint32_t)year) + before[month - 1] + day);
}

/* Gregorian serials (days from 1960-01-01) of 1582-01-01 and 20000-12-31,
 * whose serial counts the five 29 Februaries of years divisible by 4000
 * that the calendar lacks; an epoch day is a serial less 3653. */
#define FIRST_SERIAL (-138061)
#define LAST_SERIAL 6589340
#define SERIAL_OF_1970_01_01 3653

double tk_date_of_epoch_day(int64_t days)
{
    if (days < FIRST_SERIAL - SERIAL_OF_1970_01_01 || days > LAST_SERIAL - SERIAL_OF_1970_01_01)
        return tk_missing();
    int32_t y, m, d;
    cal_triple_of_serial(days + SERIAL_OF_1970_01_01, &y, &m, &d);
    return tk_date_of_ymd(y, m, d);
}

void tk_dates_of_epoch_days(const int64_t *days, size_t n, int64_t nat, double *out)
{
    for (size_t i = 0; i < n; i++)
        out[i] = days[i] == nat ? tk_missing() : tk_date_of_epoch_day(days[i]);
}

double tk_date_of_text(const char *text, size_t len, int32_t *kind)
{
    tk_date_text t;
    int32_t k = tk_read_date_text(text, len, &t);
    double v = tk_missing();
    if (k == TK_TEXT_YMD) {
        int64_t y = t.year;
        if (t.digits == TK_YMD_TWO) /* no host option here: the fallback cutoff */
            y = cal_widen_year_by(y, CAL_CUTOFF_FALLBACK);
        v = tk_date_of_ymd(y, t.month, t.day);
        if (v != v)
            k = y < CAL_YEAR_MIN || y > CAL_YEAR_MAX ? TK_TEXT_OUTSIDE : TK_TEXT_NO_SUCH_DAY;
    } else if (k == TK_TEXT_NUMBER) {
        bool inside = t.number >= CAL_DATE_MIN && t.number < CAL_DATE_END;
        v = inside ? t.number : tk_missing();
        k = inside ? k : TK_TEXT_OUTSIDE;
    }
    if (kind)
        *kind = k;
    return v;
}
