/*
 * column.cpp - YRDIF over columns of date pairs, basis texts to codes, and
 * calendar dates of the bindings' date types to date values.  See
 * column.h.
 *
 * Relies on: zdatdif (every element goes through it, so each is exactly
 * what the entry points give), the parsers and the calendar conversions.
 */
#include "column.h"

#include <string.h>

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

/* The vectorised years of a basis code 1 .. 5, chosen once by the dynamic
 * loader: AVX-512 (F, DQ and VL) or AVX2 with FMA where the processor has
 * them, SSE2 otherwise.  The resolver runs before any sanitizer runtime is
 * ready, so it is not instrumented. */
extern "C" {
__attribute__((visibility("hidden"), no_sanitize("address", "undefined", "thread")))
void (*resolve_column_years(void))(int32_t, const double *, const double *, size_t, double *);
void (*resolve_column_years(void))(int32_t, const double *, const double *, size_t, double *)
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        return tk_column_avx512_years;
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? tk_column_avx2_years : tk_column_sse2_years;
}
__attribute__((visibility("hidden"))) void column_years(int32_t, const double *, const double *,
                                                        size_t, double *)
    __attribute__((ifunc("resolve_column_years")));

typedef bool (*date32_fn)(int32_t, const int32_t *, const int32_t *, size_t, const uint64_t *,
                          size_t, double *, uint8_t *);
__attribute__((visibility("hidden"), no_sanitize("address", "undefined", "thread")))
date32_fn resolve_column_date32(void);
date32_fn resolve_column_date32(void)
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        return tk_column_avx512_date32;
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? tk_column_avx2_date32 : tk_column_sse2_date32;
}
__attribute__((visibility("hidden"))) bool column_date32(int32_t, const int32_t *,
                                                         const int32_t *, size_t,
                                                         const uint64_t *, size_t, double *,
                                                         uint8_t *)
    __attribute__((ifunc("resolve_column_date32")));
}

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

/* Bitmaps are read and written a word at a time, bit i of the word being
 * bit i % 8 of byte i / 8, as Arrow numbers them. */
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "bitmaps as little-endian words");

/* k bits (1 .. 64) of a bitmap from bit pos, in the low bits; reads no byte
 * past the one that holds bit pos + k - 1. */
static inline uint64_t bitmap_bits(const uint8_t *bitmap, uint64_t pos, unsigned k)
{
    const uint8_t *b = bitmap + (pos >> 3);
    const unsigned shift = (unsigned)(pos & 7), bytes = (shift + k + 7) / 8; /* 1 .. 9 */
    uint64_t w = 0;
    if (bytes >= 8) /* a whole word, the usual case: one load */
        memcpy(&w, b, 8);
    else
        memcpy(&w, b, bytes);
    w >>= shift;
    if (bytes == 9)
        w |= (uint64_t)b[8] << (64 - shift);
    return k == 64 ? w : w & ((uint64_t{1} << k) - 1);
}

/* The number of bits set in a word (the builtin is a library call in the
 * generic build). */
static inline int64_t ones(uint64_t w)
{
    w -= (w >> 1) & 0x5555555555555555ull;
    w = (w & 0x3333333333333333ull) + ((w >> 2) & 0x3333333333333333ull);
    w = (w + (w >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return (int64_t)((w * 0x0101010101010101ull) >> 56);
}

int64_t tk_yrdif_date32(int32_t basis, const int32_t *codes, const int32_t *start,
                        const uint8_t *start_valid, int64_t start_offset, const int32_t *end,
                        const uint8_t *end_valid, int64_t end_offset, size_t n, double *years,
                        int64_t *days, uint8_t *valid)
{
    /* Chunks of pairs.  In each, the validity bitmaps are first joined 64
     * pairs, one word, at a time; the pairs are then evaluated, each that
     * has a null in given no result, with ok[i] 1 where pair i has one;
     * and the result bitmap is written from ok and the joined words: ok
     * stays in the first-level cache, and where every pair of a chunk has
     * a result or a null in, it is not read at all. */
    constexpr size_t kChunk = 512;
    constexpr size_t kRun = 16; /* shorter runs of one basis go pair by pair */
    uint8_t ok[kChunk];
    uint64_t in[kChunk / 64];
    int64_t none = 0;
    for (size_t at = 0; at < n; at += kChunk) {
        const size_t m = n - at < kChunk ? n - at : kChunk;
        bool nulls = false;
        for (size_t j = 0; j < m; j += 64) { /* at is a multiple of 64: j / 8 is a byte */
            const unsigned k = m - j < 64 ? (unsigned)(m - j) : 64;
            const uint64_t all = k == 64 ? ~uint64_t{0} : (uint64_t{1} << k) - 1;
            uint64_t w = all;
            if (start_valid)
                w &= bitmap_bits(start_valid, (uint64_t)start_offset + at + j, k);
            if (end_valid)
                w &= bitmap_bits(end_valid, (uint64_t)end_offset + at + j, k);
            in[j / 64] = w;
            nulls |= w != all;
        }
        bool every = true; /* every pair of the chunk has a result or a null in */
        /* Runs of one basis: the whole chunk without codes; with them, runs
         * of one code (a constant that a host spread over a column, or a
         * sorted column).  A run takes the vector loop unless day counts
         * are asked for (they come one pair at a time) or, with codes, it
         * is too short to pay; the rest goes one pair at a time. */
        for (size_t i = 0, r; i < m; i = r) {
            const int32_t code = codes ? codes[at + i] : basis;
            for (r = codes ? i + 1 : m; r < m && codes[at + r] == code;)
                r++;
            if (!days && (!codes || r - i >= kRun) && code >= TK_BASIS_30_360 &&
                code <= TK_BASIS_AGE) {
                every &= column_date32(code, start + at + i, end + at + i, r - i,
                                       nulls ? in : nullptr, i, years + at + i, ok + i);
                continue;
            }
            every = false;
            for (size_t k = i; k < r; k++) {
                int64_t *d = days ? &days[at + k] : nullptr;
                double y = tk_missing();
                if ((in[k / 64] >> (k % 64)) & 1)
                    y = tk_yrdif_one(code, tk_date_of_epoch_day(start[at + k]),
                                     tk_date_of_epoch_day(end[at + k]), d);
                else if (d)
                    *d = TK_DAYS_MISSING;
                years[at + k] = y;
                ok[k] = y == y;
            }
        }
        for (size_t j = 0; j < m; j += 64) {
            const unsigned k = m - j < 64 ? (unsigned)(m - j) : 64;
            uint64_t bits = in[j / 64];
            if (!every) {
                uint64_t have = 0;
                for (unsigned h = 0; h < k; h += 8) {
                    uint64_t w = 0;
                    memcpy(&w, ok + j + h, k - h < 8 ? k - h : 8);
                    /* Eight bytes of 0 or 1 to eight bits, byte i to bit
                     * i: the product places byte i at bit 56 + i and
                     * nothing carries. */
                    have |= ((w * 0x0102040810204080ull) >> 56) << h;
                }
                bits &= have;
            }
            if (valid && k == 64)
                memcpy(valid + (at + j) / 8, &bits, 8);
            else if (valid)
                memcpy(valid + (at + j) / 8, &bits, (k + 7) / 8);
            none += (int64_t)k - ones(bits);
        }
    }
    return none;
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
