// Fuzzes zdatdci, zdatdciS, get_convention and get_conv_part against a
// small plain reference of their rules (basis_reference.h): the parsers'
// shortcut for common spellings included, since the reference has none.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "standin.h"
#include "tkyrdif.h"

#include "basis_reference.h"

using namespace tkref;

// Reports which property broke and stops, so libFuzzer keeps the input.
[[noreturn]] static void fail(const char *what)
{
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static tkhost::StringService *strings = new tkhost::StringService();
    static tkhost::CallContext *context = new tkhost::CallContext(strings);
    // Bytes as given, and as UTF-32 characters of the same values (with
    // a few wide characters when the input asks for them).
    std::vector<uint8_t> b(data, data + size);
    std::vector<uint32_t> w(data, data + size);
    for (size_t i = 0; i + 1 < size; i += 2)
        if (data[i] == 0xFF)
            w[i + 1] |= 0x100u * data[i + 1];
    int32_t code = -7;
    int32_t rc = zdatdci(w.data(), static_cast<int32_t>(w.size()), 1, &code, nullptr);
    int want = ref_zdatdci(std::u32string(w.begin(), w.end()));
    if (code != want || rc != (want == 0))
        fail("zdatdci");

    code = -7;
    rc = zdatdciS(b.data(), static_cast<int32_t>(b.size()), 1, &code, context->object());
    std::vector<uint8_t> conv(b.begin(), b.begin() + std::min<size_t>(b.size(), 256));
    int32_t m = tkhost::StringService::default_convert(conv.data(), static_cast<int64_t>(conv.size()));
    want = ref_convention(std::string(conv.begin(), conv.begin() + m));
    if (code != want || rc != (want == -1))
        fail("zdatdciS");
    if (!std::equal(b.begin(), b.end(), data))
        fail("zdatdciS changed the caller's text");

    // The token reader alone, from every start, on the upper-cased text.
    std::vector<uint8_t> up(b);
    if (get_convention(up.data(), static_cast<int32_t>(up.size())) !=
        ref_convention(std::string(b.begin(), b.end())))
        fail("get_convention");
    for (size_t start = 0; start <= up.size(); start += 1 + up.size() / 8) {
        const uint8_t *cursor = up.data() + start;
        int32_t len = static_cast<int32_t>(up.size() - start);
        int part = get_conv_part(&cursor, len);
        size_t at = start;
        int ref = ref_part(std::string_view(reinterpret_cast<const char *>(up.data()), up.size()), at);
        if (len == 0)
            at = start; // no bytes, no move
        if (part != ref || static_cast<size_t>(cursor - up.data()) != at)
            fail("get_conv_part");
    }
    return 0;
}
