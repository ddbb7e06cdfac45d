// The basis parsers called directly: texts near the common spellings
// against a plain reference of the rules, the token reader's edges, the
// 256-unit working copies and the string service call of zdatdciS.  (The
// basis-text table is the column kernel test's; random texts go to the
// parser fuzzer.)
#include <vector>

#include <random>

#include "basis_reference.h"
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

// The common spellings the parsers recognise before their rules, and random
// texts near them (case changed, blanks, a unit deleted, inserted or
// replaced, NULs, long texts): every one as the rules alone read it.
TEST_F(Basis, CommonSpellingsAndTextsNearThemFollowTheRules)
{
    const std::string words[] = {"ACT/ACT", "act/act", "Act/Act", "ACTUAL", "Actual", "actual",
                                 "ACT/360", "act/360", "Act/360", "ACT/365", "act/365",
                                 "Act/365", "30/360", "AGE", "age", "Age"};
    const std::string units = "ACTGEULactgeul/0356 \t\xC3\xA9";
    std::mt19937 rng(11);
    for (int i = 0; i < 40000; i++) {
        std::string t = words[rng() % std::size(words)];
        for (int edits = static_cast<int>(rng() % 3); edits > 0; edits--) {
            size_t at = rng() % (t.size() + 1);
            switch (rng() % 6) {
            case 0: t.insert(at, 1, units[rng() % units.size()]); break;
            case 1: if (at < t.size()) t.erase(at, 1); break;
            case 2: if (at < t.size()) t[at] = units[rng() % units.size()]; break;
            case 3: t.append(rng() % 4, ' '); break;
            case 4: t.insert(at, 1, '\0'); break;
            default: if (rng() % 50 == 0) t.insert(0, 250 + rng() % 10, ' ');
            }
        }
        int32_t code = 99;
        std::u32string wide = widen(t);
        ASSERT_EQ(parse32(wide, &code), tkref::ref_zdatdci(wide) == 0) << t;
        ASSERT_EQ(code, tkref::ref_zdatdci(wide)) << "zdatdci: '" << t << "'";
        int want = tkref::ref_convention(t.substr(0, 256));
        ASSERT_EQ(parse8(t, &code), want == -1) << t;
        ASSERT_EQ(code, want) << "zdatdciS: '" << t << "'";
        std::string up = t;
        ASSERT_EQ(get_convention(reinterpret_cast<uint8_t *>(up.data()), static_cast<int32_t>(up.size())),
                  tkref::ref_convention(t)) << t;
    }
}

// The token reader reads only the bytes it is given (each text sits right
// before an inaccessible page) and moves as its rules say; get_convention
// upper-cases its caller's text.
TEST_F(Basis, TokenReader)
{
    for (const char *text : {"ACTUA", "AC", "AG", "36x", "3", "3x", "//ACT", "B3", "ACTUALLY",
                             "AXE", "36", "30", "365", "xyz", "AGE"}) {
        size_t n = std::strlen(text), at = 0;
        GuardedRange g(n, Placement::End);
        std::memcpy(g.data(), text, n);
        const uint8_t *cursor = g.data();
        EXPECT_EQ(get_conv_part(&cursor, static_cast<int32_t>(n)), tkref::ref_part(text, at)) << text;
        EXPECT_EQ(static_cast<size_t>(cursor - g.data()), at) << text;
    }
    const uint8_t *cursor = reinterpret_cast<const uint8_t *>("ACT"), *start = cursor;
    EXPECT_EQ(get_conv_part(&cursor, 0) + get_conv_part(&cursor, -4), -2);
    EXPECT_EQ(cursor, start) << "no bytes, no move";
    uint8_t actua[] = {'a', 'c', 't', 'u', 'a'};
    EXPECT_EQ(get_convention(actua, 5), 2);
    EXPECT_EQ(actua[0], 'A');
}

// Only the first 256 characters or bytes are examined.
TEST_F(Basis, WorkingCopyLimit)
{
    for (int pad : {250, 252, 253, 254, 255, 256, 300}) {
        std::string s = std::string(static_cast<size_t>(pad), 'x') + "AGE";
        bool seen = pad + 3 <= 256;
        int32_t code = 0;
        EXPECT_EQ(parse32(widen(s), &code), seen ? 0 : 1) << pad;
        EXPECT_EQ(parse8(s, &code), seen ? 0 : 1) << pad;
    }
    // Trailing blanks past 256 are never trimmed into view.
    std::string s = "ACT" + std::string(300, ' ') + "/360";
    int32_t code = 0;
    EXPECT_EQ(parse32(widen(s), &code), 1);
}

TEST_F(Basis, StringServiceCall)
{
    int64_t seen = -1;
    strings.set_convert([&](uint8_t *buf, int64_t count) {
        seen = count;
        return tkhost::StringService::default_convert(buf, count);
    });
    int32_t code = 0;
    EXPECT_EQ(parse8(std::string(400, 'x'), &code), 1);
    EXPECT_EQ(seen, 256);
    EXPECT_EQ(parse8("act/365", &code), 0);
    EXPECT_EQ(seen, 7);
    EXPECT_EQ(strings.calls[TKH_STR_CONVERT], 2);
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

TEST_F(Basis, NegativeLengthsReadNothing)
{
    GuardedRange g(0, Placement::End);
    int32_t code = 7;
    EXPECT_EQ(zdatdci(g.as<uint32_t>(), -5, 1, &code, nullptr), 1);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(zdatdciS(g.data(), -5, 1, &code, context.object()), 1);
    EXPECT_EQ(code, -1);
    EXPECT_EQ(get_convention(g.data(), -5), -1);
}

} // namespace
