// basis_table.h - basis texts with the code each parser gives (0: rejected),
// and what the parsers' rules alone give, without their shortcut for common
// spellings.
#pragma once

#include <string>

#include "standin.h"
#include "tkyrdif.h"

namespace tktest {

struct BasisRow {
    const char *text;
    int utf32; // zdatdci, "YRDIF"
    int bytes; // zdatdciS, "YRDIF#"
};

inline constexpr BasisRow kBasisRows[] = {
    {"30/360", 1, 1},        {"30E/360", 1, 1},      {"30360", 1, 1},
    {"360/360", 1, 1},       {"360", 1, 1},          {"30", 0, 0},
    {"30/365", 0, 0},        {"365/360", 1, 0},      {"A/360", 1, 0},
    {"3/360", 1, 0},         {"ACT/ACT", 2, 2},      {"ACTACT", 2, 2},
    {"ACT", 0, 2},           {"ACTUAL", 2, 2},       {"Actual/Actual", 2, 2},
    {"ACT/30/360", 1, 2},    {"ACT/360", 3, 3},      {"ACTUAL/360", 3, 3},
    {"ACT 360 360", 1, 3},   {"ACT/365/360", 3, 4},  {"act/365", 4, 4},
    {"ACT365", 4, 4},        {"ACTUAL/365", 4, 4},   {"AGE", 5, 5},
    {"age   ", 5, 5},        {"XAGE", 5, 5},         {"ACT/AGE", 5, 2},
    {"AGE/360", 5, 5},       {"BASIS ACT/360", 3, 0}, {"365", 0, 0},
    {"", 0, 0},              {"    ", 0, 0},         {"  AGE", 5, 5},
    {"ACTUA", 0, 2},         {"AC", 0, 0},           {"a c t", 0, 0},
    {"ACT\t", 0, 2},         {"act/act", 2, 2},      {"36O", 0, 0},
    {"Act/Act", 2, 2},       {"Actual", 2, 2},       {"actual", 2, 2},
    {"act/360", 3, 3},       {"Act/360", 3, 3},      {"ACT/365", 4, 4},
    {"Act/365", 4, 4},       {"age", 5, 5},          {"Age", 5, 5},
};

// zdatdci's rules alone: the text padded with blanks past 256 characters,
// too long for the shortcut (the rules trim the blanks back off).
inline int32_t rules_utf32(std::u32string text)
{
    text.resize(text.size() + 300, U' ');
    int32_t code = -7;
    zdatdci(reinterpret_cast<const uint32_t *>(text.data()), static_cast<int32_t>(text.size()), 1,
            &code, nullptr);
    return code;
}

// zdatdciS's rules alone: get_convention on the copy the string service
// converts.
inline int32_t rules_bytes(std::string text)
{
    auto *b = reinterpret_cast<uint8_t *>(text.data());
    return get_convention(b, tkhost::StringService::default_convert(
                                 b, static_cast<int64_t>(text.size())));
}

} // namespace tktest
