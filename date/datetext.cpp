/*
 * datetext.cpp - the one reader of date texts.  See datetext.h.
 *
 * Every read is bounded by the length given: no text here is taken to end
 * at a NUL byte.
 */
#include "datetext.h"

#include <charconv>
#include <cmath>

namespace {

/* Reads exactly k digits at s[pos ...) within n; -1 when they are not all
 * digits or the text ends first. */
int64_t digits(const char *s, size_t n, size_t pos, size_t k)
{
    if (pos + k > n)
        return -1;
    int64_t v = 0;
    for (size_t i = pos; i < pos + k; i++) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

/* A time of day HH:MM[:SS[.f...]] spanning all of s[0 .. n). */
bool whole_time(const char *s, size_t n)
{
    int64_t h = digits(s, n, 0, 2), m = digits(s, n, 3, 2);
    if (h < 0 || h > 23 || n < 5 || s[2] != ':' || m < 0 || m > 59)
        return false;
    if (n == 5)
        return true;
    int64_t sec = digits(s, n, 6, 2);
    if (s[5] != ':' || sec < 0 || sec > 59)
        return false;
    if (n == 8)
        return true;
    if (s[8] != '.' || n == 9)
        return false;
    for (size_t i = 9; i < n; i++)
        if (!is_digit(s[i]))
            return false;
    return true;
}

/* A decimal number spanning all of s[0 .. n): [+|-] digits [. digits]
 * [e [+|-] digits], with at least one digit before the exponent.  The value
 * through *v: infinite where it overflows a double, zero where it
 * underflows. */
bool whole_number(const char *s, size_t n, double *v)
{
    size_t i = 0;
    bool neg = n > 0 && s[0] == '-';
    if (n > 0 && (s[0] == '+' || s[0] == '-'))
        i++;
    size_t start = i, int_digits = 0, lead_zeros = 0, frac_digits = 0;
    bool seen_nonzero = false;
    for (; i < n && is_digit(s[i]); i++, int_digits++) {
        seen_nonzero |= s[i] != '0';
        lead_zeros += !seen_nonzero;
    }
    if (i < n && s[i] == '.')
        for (i++; i < n && is_digit(s[i]); i++)
            frac_digits++;
    if (int_digits + frac_digits == 0)
        return false;
    int64_t exponent = 0;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        bool eneg = j < n && s[j] == '-';
        if (j < n && (s[j] == '+' || s[j] == '-'))
            j++;
        if (j == n || !is_digit(s[j]))
            return false;
        for (; j < n && is_digit(s[j]); j++)
            exponent = exponent < 100000 ? exponent * 10 + (s[j] - '0') : exponent;
        exponent = eneg ? -exponent : exponent;
        i = j;
    }
    if (i != n)
        return false;
    double x = 0;
    auto [end, ec] = std::from_chars(s + start, s + n, x);
    if (ec == std::errc::result_out_of_range) {
        /* Digits before the point that are not leading zeros, plus the
         * exponent, tell which way it went out of range. */
        x = (int64_t)(int_digits - lead_zeros) + exponent > 0 ? HUGE_VAL : 0.0;
    } else if (ec != std::errc() || end != s + n) {
        return false;
    }
    *v = neg ? -x : x;
    return true;
}

} // namespace

size_t tk_scan_ymd(const char *s, size_t n, tk_date_text *out)
{
    size_t pos = 0;
    int32_t sign = 0;
    if (n > 0 && (s[0] == '+' || s[0] == '-')) {
        sign = s[0] == '+' ? 1 : -1;
        pos = 1;
    }
    size_t ylen = 0;
    while (pos + ylen < n && ylen < 6 && is_digit(s[pos + ylen]))
        ylen++;
    size_t dash = pos + ylen;
    if (!(ylen == 2 || ylen == 4 || ylen == 5) || dash >= n || s[dash] != '-')
        return 0;
    int64_t y = digits(s, n, pos, ylen), m = digits(s, n, dash + 1, 2),
            d = digits(s, n, dash + 4, 2);
    if (m < 0 || d < 0 || s[dash + 3] != '-')
        return 0;
    out->digits = (int32_t)ylen;
    out->sign = sign;
    out->year = sign < 0 ? -y : y;
    out->month = (int32_t)m;
    out->day = (int32_t)d;
    out->kind = ylen == 5 && sign <= 0 ? TK_TEXT_FIVE_NO_PLUS
              : ylen == 2 && sign != 0 ? TK_TEXT_TWO_SIGNED
                                       : TK_TEXT_YMD;
    return dash + 6;
}

int32_t tk_read_date_text(const char *s, size_t n, tk_date_text *out)
{
    *out = tk_date_text{};
    while (n > 0 && tk_text_blank(s[0])) {
        s++;
        n--;
    }
    while (n > 0 && tk_text_blank(s[n - 1]))
        n--;
    if (n == 0 || (n == 1 && s[0] == '.'))
        return out->kind = TK_TEXT_MISSING;
    size_t used = tk_scan_ymd(s, n, out);
    if (used > 0) {
        /* A time of day after 'T' or one blank is dropped. */
        if (used < n && !(used + 1 < n && (s[used] == 'T' || s[used] == ' ') &&
                          whole_time(s + used + 1, n - used - 1)))
            out->kind = TK_TEXT_BAD_TIME;
        return out->kind;
    }
    if (whole_number(s, n, &out->number))
        return out->kind = TK_TEXT_NUMBER;
    return out->kind = TK_TEXT_NOT_A_DATE;
}

const char *tk_date_text_problem(int32_t k)
{
    switch (k) {
    case TK_TEXT_FIVE_NO_PLUS: return "has a five-digit year without the leading '+' it needs";
    case TK_TEXT_TWO_SIGNED: return "has a two-digit year with a sign, which it does not take";
    case TK_TEXT_BAD_TIME:
        return "is a date followed by something that is no time of day (HH:MM[:SS[.fff]])";
    case TK_TEXT_OUTSIDE:
        return "is outside the calendar, which runs from 1582-01-01 to +20000-12-31 "
               "(date values -138061 to 6589335)";
    case TK_TEXT_NO_SUCH_DAY: return "is a day the calendar does not have";
    default: return "is neither a date (2000-01-31) nor a date value (days from 1960-01-01)";
    }
}
