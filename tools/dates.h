// dates.h - the date arguments of the yrdif command: ISO 8601 calendar
// dates or date values, converted with the module's own calendar.
#pragma once

#include <string>
#include <string_view>

namespace yrdif {

// The module's calendar conversions, as loaded.
struct Calendar {
    double (*julymd)(double, double, double); // tkfmtzjulymd
    double (*datjul)(double);                 // tkfmtzdatjul
    double (*juldat)(double);                 // tkfmtzjuldat
};

struct ParsedDate {
    bool ok = false;
    double value = 0;  // the date value; NaN for a missing date ("" or ".")
    std::string error; // why the text is not a date, when !ok
};

// A user's text as messages show it (tk_text_shown): in quotes, at most
// 40 bytes (then "..."), bytes that are not printable ASCII as \xNN.
std::string shown(std::string_view text);

// Reads a date text as every interface reads it (date/datetext.h):
// "2000-01-01", "+20000-12-31", "60-01-01" (two-digit year, widened
// through the host's cutoff option), any of them with a time of day that is
// dropped ("2000-01-01T10:30"), a date value such as "14610" or "-0.5", or
// a missing date ("" or ".").
ParsedDate parse_date(std::string_view text, const Calendar &cal);

} // namespace yrdif
