// Fuzzes the one reader of date texts as the yrdif command uses it (through
// the module's calendar, loaded as the command loads it) and as the bindings do (tk_date_of_text):
// both read every text alike; a date they accept, written back from the
// module's own year, month and day (or a date value's shortest digits),
// reads as the same date value; a text they refuse gets the documented
// reason.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "column.h"
#include "datetext.h"
#include "tkyrdif.h"
#include "tools/dates.h"
#include "module.h"
#include "oracle.h"

static bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const yrdif::Calendar cal{module_function<decltype(&tkfmtzjulymd)>("tkfmtzjulymd"),
                                     module_function<decltype(&tkfmtzdatjul)>("tkfmtzdatjul"),
                                     module_function<decltype(&tkfmtzjuldat)>("tkfmtzjuldat")};
    static auto ymdjul = module_function<decltype(&tkfmtzymdjul)>("tkfmtzymdjul");
    // The fuzzer's own buffer, so that a read past its end is caught.
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const yrdif::ParsedDate got = yrdif::parse_date(text, cal);
    tk_date_text t;
    const int32_t read = tk_read_date_text(text.data(), text.size(), &t);
    int32_t kind = 0;
    const double value = tk_date_of_text(text.data(), text.size(), &kind);

    check(got.ok == (kind >= 0), "the command and the bindings accept the same texts");
    if (!got.ok) {
        const char *reason = kind == TK_TEXT_NO_SUCH_DAY ? "there is no such day"
                                                         : tk_date_text_problem(kind);
        check(got.error.find(reason) != std::string::npos, "a refused text gets its reason");
        check(read < 0 || kind == TK_TEXT_OUTSIDE || kind == TK_TEXT_NO_SUCH_DAY,
              "only the calendar refuses what the reader found");
        return 0;
    }
    check(same(got.value, kind == TK_TEXT_MISSING ? NAN : value), "both read the same value");
    char again[64];
    if (kind == TK_TEXT_YMD) {
        double y, m, d;
        check(ymdjul(&y, &m, &d, cal.juldat(got.value)) == 0, "the date has a day");
        check(m == t.month && d == t.day &&
                  (t.digits == TK_YMD_TWO ? std::fmod(y, 100) == t.year : y == t.year),
              "the date is the year, month and day written");
        std::snprintf(again, sizeof again, "+%04.0f-%02.0f-%02.0f", y, m, d);
    } else if (kind == TK_TEXT_NUMBER) {
        std::snprintf(again, sizeof again, "%.17g", got.value);
    } else {
        return 0;
    }
    const yrdif::ParsedDate back = yrdif::parse_date(again, cal);
    check(back.ok && same(back.value, got.value), "written back, the date reads the same");
    return 0;
}
