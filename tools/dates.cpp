// dates.cpp - parsing the yrdif command's dates.
#include "dates.h"

#include <cmath>

#include "date/calendar.h"
#include "date/datetext.h"
#include "date/utf8.h"

namespace yrdif {

std::string shown(std::string_view text)
{
    char buf[TK_SHOWN_MAX];
    return tk_text_shown(text.data(), text.size(), buf);
}

ParsedDate parse_date(std::string_view text, const Calendar &cal)
{
    ParsedDate out;
    tk_date_text t;
    int32_t kind = tk_read_date_text(text.data(), text.size(), &t);
    if (kind == TK_TEXT_MISSING) {
        out.ok = true;
        out.value = NAN;
        return out;
    }
    if (kind == TK_TEXT_YMD) {
        /* The module widens a two-digit year through the host's cutoff. */
        double jul = t.digits == TK_YMD_TWO || (t.year >= CAL_YEAR_MIN && t.year <= CAL_YEAR_MAX)
                         ? cal.julymd((double)t.year, t.month, t.day)
                         : NAN;
        if (std::isnan(jul)) {
            bool outside = t.digits != TK_YMD_TWO && !(t.year >= CAL_YEAR_MIN && t.year <= CAL_YEAR_MAX);
            out.error = outside ? "year " + std::to_string(t.year) + " " +
                                      tk_date_text_problem(TK_TEXT_OUTSIDE)
                                : "there is no such day";
            return out;
        }
        out.value = cal.datjul(jul);
        out.ok = !std::isnan(out.value);
        if (!out.ok)
            out.error = std::string("the date ") + tk_date_text_problem(TK_TEXT_OUTSIDE);
        return out;
    }
    if (kind == TK_TEXT_NUMBER) {
        if (std::isnan(cal.juldat(t.number))) {
            out.error = "date value " + shown(text) + " " + tk_date_text_problem(TK_TEXT_OUTSIDE);
            return out;
        }
        out.ok = true;
        out.value = t.number;
        return out;
    }
    out.error = shown(text) + " " + tk_date_text_problem(kind);
    return out;
}

} // namespace yrdif
