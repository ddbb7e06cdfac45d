// The basis parsers called directly: every text of the basis table, with
// and without the shortcut for the common spellings among them, the
// token reader's edges, the 256-unit working copies and the string service
// call of zdatdciS.  (The parser fuzzer checks the shortcut for common
// spellings against the rules alone on any text, from a seed corpus of
// every spelling; the guarded-range test, their reads.)
#include "basis_table.h"
#include "guard.h"
#include "host_fixture.h"

using namespace tktest;

namespace {

class Basis : public WithKernel {
protected:
    int parse32(const std::u32string &s, int32_t *code)
    {
        return zdatdci(reinterpret_cast<const uint32_t *>(s.data()), static_cast<int32_t>(s.size()),
                       1, code, nullptr);
    }
    int parse8(const std::string &s, int32_t *code)
    {
        return zdatdciS(reinterpret_cast<const uint8_t *>(s.data()), static_cast<int32_t>(s.size()),
                        1, code, context.object());
    }
    tkhost::StringService strings;
    tkhost::CallContext context{&strings};
};

// Each parser's code and status for every text of the table (0 there is
// a rejection: code 0 from zdatdci, -1 from zdatdciS), and the same code
// from the rules alone.
TEST_F(Basis, TableOfTexts)
{
    for (const auto &row : kBasisRows) {
        int32_t code = 9;
        EXPECT_EQ(parse32(widen(row.text), &code), row.utf32 == 0) << row.text;
        EXPECT_EQ(code, row.utf32) << row.text;
        EXPECT_EQ(rules_utf32(widen(row.text)), row.utf32) << row.text;
        EXPECT_EQ(parse8(row.text, &code), row.bytes == 0) << row.text;
        EXPECT_EQ(code, row.bytes ? row.bytes : -1) << row.text;
        EXPECT_EQ(rules_bytes(row.text), row.bytes ? row.bytes : -1) << row.text;
    }
}

// Only the first 256 characters or bytes are read: zdatdciS hands no more
// to the string service, and trailing blanks past 256 are never trimmed
// into view.
TEST_F(Basis, WorkingCopyAndStringService)
{
    int64_t seen = -1;
    strings.set_convert([&](uint8_t *buf, int64_t count) {
        seen = count;
        return tkhost::StringService::default_convert(buf, count);
    });
    int32_t code = 0;
    for (int pad : {250, 252, 253, 254, 255, 256, 300}) {
        std::string s = std::string(static_cast<size_t>(pad), 'x') + "AGE";
        EXPECT_EQ(parse32(widen(s), &code), pad + 3 > 256) << pad;
        EXPECT_EQ(parse8(s, &code), pad + 3 > 256) << pad;
        EXPECT_EQ(seen, std::min(pad + 3, 256));
    }
    EXPECT_EQ(parse32(widen("ACT" + std::string(300, ' ') + "/360"), &code), 1);
    EXPECT_EQ(parse8("act/365", &code), 0);
    EXPECT_EQ(seen, 7);
    EXPECT_EQ(strings.calls[TKH_STR_CONVERT], 8);
    // The converted text is what gets read: full-width letters become ASCII.
    EXPECT_EQ(parse8("\xEF\xBC\xA1\xEF\xBC\xA7\xEF\xBC\xA5", &code), 0);
    EXPECT_EQ(code, 5);
    // The count the service returns bounds what is read.
    strings.set_convert([](uint8_t *, int64_t) { return 3; });
    EXPECT_EQ(parse8("ACT/360", &code), 0);
    EXPECT_EQ(code, 2);
    strings.set_convert([](uint8_t *, int64_t) { return 0; });
    EXPECT_EQ(parse8("AGE", &code), 1);
    EXPECT_EQ(code, -1);
    // zdatdci never calls the host for ASCII text.
    EXPECT_EQ(parse32(U"act/365", &code), 0);
    EXPECT_EQ(kernel.calls.total(), 0);
}

// The token reader alone: the part that starts at the first 'A' or '3' and
// the bytes consumed up to its end (or two past the start of a failed one,
// three for "36"); no bytes or fewer, or no text, read nothing and move
// nothing; get_convention upper-cases its caller's text.
TEST_F(Basis, TokenReader)
{
    const struct {
        const char *text;
        int32_t part, used;
    } parts[] = {
        {"x365", 4, 4}, {"360", 5, 3},   {"36", -1, 3},    {"369", -1, 3}, {"30", 6, 2},
        {"3", -1, 2},   {"31", -1, 2},   {"ACTUAL", 2, 6}, {"ACTUA", 2, 3}, {"bACT", 2, 4},
        {"AGE", 3, 3},  {"AG", -1, 2},   {"AX", -1, 2},    {"act", -1, 3}, {"", -1, 0},
    };
    for (const auto &r : parts) {
        const auto *text = reinterpret_cast<const uint8_t *>(r.text), *cursor = text;
        const auto len = static_cast<int32_t>(std::strlen(r.text));
        EXPECT_EQ(get_conv_part(&cursor, len), r.part) << r.text;
        EXPECT_EQ(cursor - text, r.used) << r.text;
    }
    GuardedRange g(0, Placement::End);
    uint8_t *const none = nullptr;
    for (auto [text, len] : {std::pair{g.data(), -5}, std::pair{none, 5}}) {
        int32_t code = 7;
        EXPECT_EQ(zdatdci(reinterpret_cast<uint32_t *>(text), len, 1, &code, nullptr), 1);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(zdatdciS(text, len, 1, &code, context.object()), 1);
        EXPECT_EQ(code, -1);
    }
    EXPECT_EQ(get_convention(g.data(), -5), -1);
    const uint8_t *cursor = g.data();
    EXPECT_EQ(get_conv_part(&cursor, -4), -1);
    EXPECT_EQ(cursor, g.data());
    uint8_t actua[] = {'a', 'c', 't', 'u', 'a'};
    EXPECT_EQ(get_convention(actua, 5), 2);
    EXPECT_EQ(actua[0], 'A');
}

} // namespace
