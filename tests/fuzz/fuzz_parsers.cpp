// Fuzzes zdatdci and zdatdciS: on any text, the shortcut for common
// spellings and the rules together give what the rules alone give, and the
// caller's text is left as it was.  The rules alone are zdatdci on the text
// padded with blanks past 256 characters (too long for the shortcut; the
// rules trim the blanks back off) and get_convention on zdatdciS's
// converted copy.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "standin.h"
#include "tkyrdif.h"

// Reports which property broke and stops, so libFuzzer keeps the input.
static void check(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static tkhost::StringService *strings = new tkhost::StringService();
    static tkhost::CallContext *context = new tkhost::CallContext(strings);
    const int32_t n = static_cast<int32_t>(std::min<size_t>(size, 256));
    // UTF-32 characters of the bytes' values, wider where a byte 0xFF asks.
    std::vector<uint32_t> w(data, data + n);
    for (int32_t i = 0; i + 1 < n; i += 2)
        if (data[i] == 0xFF)
            w[i + 1] |= 0x100u * data[i + 1];
    int32_t code = -7, rules = -7;
    int32_t rc = zdatdci(w.data(), n, 1, &code, nullptr);
    w.resize(static_cast<size_t>(n) + 300, ' ');
    zdatdci(w.data(), static_cast<int32_t>(w.size()), 1, &rules, nullptr);
    check(code == rules && rc == (code == 0), "zdatdci");

    std::vector<uint8_t> b(data, data + n);
    rc = zdatdciS(b.data(), n, 1, &code, context->object());
    check(std::equal(b.begin(), b.end(), data), "zdatdciS changed the caller's text");
    int32_t m = tkhost::StringService::default_convert(b.data(), n);
    check(code == get_convention(b.data(), m) && rc == (code == -1), "zdatdciS");
    return 0;
}
