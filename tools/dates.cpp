// dates.cpp - parsing the yrdif command's dates.
#include "dates.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace yrdif {

namespace {

// Reads exactly n digits at s[pos...]; -1 when they are not all digits.
int digits(std::string_view s, size_t pos, size_t n)
{
    if (pos + n > s.size())
        return -1;
    int v = 0;
    for (size_t i = pos; i < pos + n; i++) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

const char kRange[] = "the calendar runs from 1582-01-01 to +20000-12-31";

// [+]YYYY-MM-DD, +YYYYY-MM-DD or YY-MM-DD; false when the text does not
// have that shape at all.
bool parse_iso(std::string_view s, const Calendar &cal, ParsedDate &out)
{
    size_t pos = 0;
    bool plus = !s.empty() && s[0] == '+';
    pos += plus;
    size_t dash = s.find('-', pos);
    if (dash == std::string_view::npos)
        return false;
    size_t ylen = dash - pos;
    if (s.size() != dash + 6 || s[dash + 3] != '-' || !(ylen == 2 || ylen == 4 || ylen == 5))
        return false;
    int y = digits(s, pos, ylen), m = digits(s, dash + 1, 2), d = digits(s, dash + 4, 2);
    if (y < 0 || m < 0 || d < 0)
        return false;
    if (ylen == 5 && !plus) {
        out.error = "a five-digit year needs a leading '+'";
        return true;
    }
    if (ylen == 2 && plus) {
        out.error = "a two-digit year takes no sign";
        return true;
    }
    if (ylen > 2 && (y < 1582 || y > 20000)) {
        out.error = "year " + std::to_string(y) + " is outside the calendar; " + kRange;
        return true;
    }
    double jul = cal.julymd(y, m, d);
    if (std::isnan(jul)) {
        out.error = "there is no such day";
        return true;
    }
    out.value = cal.datjul(jul);
    out.ok = !std::isnan(out.value);
    if (!out.ok)
        out.error = "the date is outside the calendar; " + std::string(kRange);
    return true;
}

} // namespace

std::string shown(std::string_view text)
{
    constexpr size_t kMax = 40;
    std::string out = "'";
    for (size_t i = 0; i < text.size() && i < kMax; i++) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + (text.size() > kMax ? "'..." : "'");
}

ParsedDate parse_date(std::string_view text, const Calendar &cal)
{
    ParsedDate out;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.empty() || text == ".") {
        out.ok = true;
        out.value = NAN;
        return out;
    }
    if (parse_iso(text, cal, out))
        return out;

    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) {
        out.error = shown(text) +
                    " is neither a date (2000-01-31) nor a date value (days from 1960-01-01)";
        return out;
    }
    if (std::isnan(cal.juldat(v))) {
        out.error = "date value " + shown(text) +
                    " is outside the calendar; date values run from -138061 to 6589335";
        return out;
    }
    out.ok = true;
    out.value = v;
    return out;
}

} // namespace yrdif
