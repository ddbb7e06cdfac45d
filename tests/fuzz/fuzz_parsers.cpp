// Fuzzes zdatdci and zdatdciS: on any text, the shortcut for common
// spellings and the rules together give what the rules alone give
// (basis_table.h), and the caller's text is left as it was.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "basis_table.h"
#include "oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static tkhost::StringService *strings = new tkhost::StringService();
    static tkhost::CallContext *context = new tkhost::CallContext(strings);
    const int32_t n = static_cast<int32_t>(std::min<size_t>(size, 256));
    // UTF-32 characters of the bytes' values, wider where a byte 0xFF asks.
    std::u32string w(data, data + n);
    for (int32_t i = 0; i + 1 < n; i += 2)
        if (data[i] == 0xFF)
            w[i + 1] |= 0x100u * data[i + 1];
    int32_t code = -7;
    int32_t rc = zdatdci(reinterpret_cast<const uint32_t *>(w.data()), n, 1, &code, nullptr);
    check(code == tktest::rules_utf32(w) && rc == (code == 0), "zdatdci");

    std::string b(data, data + n);
    rc = zdatdciS(reinterpret_cast<uint8_t *>(b.data()), n, 1, &code, context->object());
    check(std::memcmp(b.data(), data, b.size()) == 0, "zdatdciS changed the caller's text");
    check(code == tktest::rules_bytes(b) && rc == (code == -1), "zdatdciS");
    return 0;
}
