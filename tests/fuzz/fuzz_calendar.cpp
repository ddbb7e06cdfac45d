// Fuzzes the calendar conversions with arbitrary doubles (NaN payloads,
// infinities, subnormals and values at and around every range bound) and
// arbitrary cutoff years, checking the round trips and ranges.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "standin.h"
#include "tkyrdif.h"

#include "oracle.h"

using tkfuzz::bits;
using tkfuzz::fail;

namespace {

bool missing(double d) { return bits(d) == TK_MISSING_BITS; }

// Values next to the bounds, picked by a byte of the input.
const double kEdges[] = {-138061, -138061.5, -138062, 6589335, 6589335.99, 6589336, 0, -0.0, -0.5,
                         1582001, 1581365, 20000365, 20000366, 99366, 100001, 1, 0.5, 99.5, 99,
                         100, 1582, 20000, 20001, 12, 12.5, 31, 31.5, 2.9, 28.9, 29.5, 0.99};

double pick(const uint8_t *p, uint8_t how)
{
    double d;
    std::memcpy(&d, p, 8);
    if (how % 3 == 0)
        return kEdges[static_cast<size_t>(p[0]) % (sizeof kEdges / sizeof kEdges[0])];
    if (how % 3 == 1) // a small number with a fraction
        return static_cast<double>(static_cast<int64_t>(bits(d) % 25000000) - 200000) / 8.0;
    return d; // raw bits: NaNs, infinities, subnormals
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static tkhost::Kernel *kernel = new tkhost::Kernel();
    if (size < 29)
        return 0;
    tkextent(kernel->handle());
    int32_t cutoff;
    std::memcpy(&cutoff, data + 24, 4);
    kernel->option_mode = static_cast<tkhost::OptionMode>(data[28] % 3);
    kernel->set_year_cutoff(cutoff % 3 == 0 ? cutoff : 1900 + cutoff % 200);
    double a = pick(data, data[28] / 3), b = pick(data + 8, data[28] / 9),
           c = pick(data + 16, data[28] / 27);

    // Date value -> Julian date -> date value.
    double jul = tkfmtzjuldat(a);
    if (std::isnan(a)) {
        if (bits(jul) != bits(a))
            fail("a NaN keeps its bits");
    } else if (a >= -138061 && a < 6589336) {
        if (missing(jul) || tkfmtzdatjul(jul) != std::floor(a))
            fail("round trip of a date value");
        double y, m, d;
        tkfmtzymdjul(&y, &m, &d, jul);
        if (missing(y) || tkfmtzjulymd(y, m, d) != jul)
            fail("round trip through year, month and day");
        if (y < 1582 || y > 20000 || m < 1 || m > 12 || d < 1 || d > 31)
            fail("parts out of range");
    } else if (!missing(jul)) {
        fail("out of range gives the missing value");
    }

    // Julian date -> date value and -> parts agree on what they accept.
    double v = tkfmtzdatjul(b);
    double y, m, d;
    if (tkfmtzymdjul(&y, &m, &d, b) != 0)
        fail("tkfmtzymdjul returns 0");
    if (missing(v) != missing(y) || missing(y) != missing(m) || missing(m) != missing(d))
        fail("conversions disagree on a Julian date");
    if (!missing(v)) {
        if (!(b > 0 && b <= 20000365))
            fail("accepted a Julian date out of range");
        if (m < 1 || m > 12 || d < 0 || d > 31)
            fail("parts of an accepted Julian date");
        // Widened two-digit years may land outside the calendar (any cutoff
        // is allowed); within it, the parts name the same day.
        if (d >= 1 && y >= 1582 && y <= 20000 && tkfmtzdatjul(tkfmtzjulymd(y, m, d)) != v)
            fail("parts name the same day");
    } else if (!missing(y)) {
        fail("missing parts");
    }

    // Year, month, day -> Julian date: missing, or a Julian date whose
    // parts are the truncated arguments (four-digit years).
    double j = tkfmtzjulymd(c, b, a);
    if (!missing(j)) {
        if (std::isnan(a) || std::isnan(b) || std::isnan(c) || b < 1 || b > 12 || a < 1 ||
            a > 31 || c < 0 || (c > 99 && (c < 1582 || c > 20000)))
            fail("accepted a bad year, month or day");
        double yy, mm, dd;
        tkfmtzymdjul(&yy, &mm, &dd, j);
        if (c > 99 && (yy != std::trunc(c) || mm != std::trunc(b) || dd != std::trunc(a)))
            fail("parts of a converted date");
    }
    return 0;
}
