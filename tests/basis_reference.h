// basis_reference.h - a small plain reference of the basis parsers' rules,
// written with std::string_view from their description, for the parser
// fuzzer.  It has no shortcut for common spellings.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "tkyrdif.h"

namespace tkref {

// ---- reference: zdatdci -------------------------------------------------

using U32 = std::u32string_view;

inline bool follows(U32 s, U32 a, U32 b)
{
    size_t i = s.find(a);
    if (i == U32::npos)
        return false;
    size_t j = i + a.size();
    if (static_cast<int64_t>(s.size()) - static_cast<int64_t>(j) < 3)
        return false;
    return s.substr(j).find(b) != U32::npos;
}

inline int ref_zdatdci(std::u32string text)
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
inline int ref_part(std::string_view s, size_t &at)
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

inline int ref_convention(std::string s)
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

} // namespace tkref
