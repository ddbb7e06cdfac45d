// Fuzzes zdatdci, zdatdciS, get_convention and get_conv_part against a
// small plain reference of their rules, written with std::string_view.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "standin.h"
#include "tkyrdif.h"

#include "oracle.h"

using tkfuzz::fail;

namespace {

// ---- reference: zdatdci -------------------------------------------------

using U32 = std::u32string_view;

bool follows(U32 s, U32 a, U32 b)
{
    size_t i = s.find(a);
    if (i == U32::npos)
        return false;
    size_t j = i + a.size();
    if (static_cast<int64_t>(s.size()) - static_cast<int64_t>(j) < 3)
        return false;
    return s.substr(j).find(b) != U32::npos;
}

int ref_zdatdci(std::u32string text)
{
    text.resize(std::min<size_t>(text.size(), 256));
    while (!text.empty() && text.back() == U' ')
        text.pop_back();
    U32 s = text;
    if (follows(s, U"30", U"360"))
        return 1;
    bool p = s.find(U"360") != U32::npos;
    if (p && follows(s, U"360", U"360"))
        return 1;
    std::u32string up = text; // upper-cased by the module's own conversion
    tkzstup(reinterpret_cast<uint32_t *>(up.data()), static_cast<int64_t>(up.size()));
    U32 u = up;
    if (follows(u, U"ACT", U"ACT"))
        return 2;
    if (follows(u, U"ACT", U"360"))
        return 3;
    if (follows(u, U"ACT", U"365"))
        return 4;
    if (u.find(U"ACTUAL") != U32::npos)
        return 2;
    if (u.find(U"AGE") != U32::npos)
        return 5;
    return p ? 1 : 0;
}

// ---- reference: get_conv_part and get_convention -------------------------

// Part code and bytes consumed, from position `at` of s.
int ref_part(std::string_view s, size_t &at)
{
    if (at >= s.size())
        return -1;
    size_t p = s.find_first_of("A3", at);
    if (p == std::string_view::npos) {
        at = s.size();
        return -1;
    }
    std::string_view t = s.substr(p);
    auto starts = [&](std::string_view w) { return t.substr(0, w.size()) == w; };
    if (t[0] == '3') {
        if (starts("365") || starts("360")) {
            at = p + 3;
            return t[2] == '5' ? 4 : 5;
        }
        if (starts("36")) {
            at = p + 3;
            return -1;
        }
        at = p + 2;
        return starts("30") ? 6 : -1;
    }
    if (starts("ACTUAL")) {
        at = p + 6;
        return 2;
    }
    if (starts("ACT") || starts("AGE")) {
        at = p + 3;
        return starts("ACT") ? 2 : 3;
    }
    at = p + 2;
    return -1;
}

int ref_convention(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    size_t at = 0;
    int p1 = ref_part(s, at);
    if (p1 == 3)
        return 5;
    if (p1 != 2 && p1 != 5 && p1 != 6)
        return -1;
    int p2 = ref_part(s, at);
    if (p1 == 2)
        return p2 == 5 ? 3 : p2 == 4 ? 4 : 2;
    if (p1 == 6)
        return p2 == 5 ? 1 : -1;
    return 1;
}

} // namespace

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
