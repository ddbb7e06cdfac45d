// UTF-32 search, trim and case-insensitive comparison: the stated examples
// as tables.  (The string fuzzer, run as a test too, checks tkzsndx against
// std::u32string_view::find and tkzsncmp and tkzseqn against plain
// references.)
#include <string_view>
#include <vector>

#include "support.h"

namespace {

const uint32_t *u(std::u32string_view s) { return reinterpret_cast<const uint32_t *>(s.data()); }
int64_t len(std::u32string_view s) { return static_cast<int64_t>(s.size()); }

// Matches against std::u32string_view::find are the string fuzzer's; here
// the empty needle, and negative lengths, which never read.
TEST(Search, Examples)
{
    EXPECT_EQ(tkzsndx(u(U"abc"), 3, u(U""), 0), 0);
    EXPECT_EQ(tkzsndx(u(U""), 0, u(U""), 0), 0);
    EXPECT_EQ(tkzsndx(u(U"aaab"), 4, u(U"aab"), 3), 1);
    EXPECT_EQ(tkzsndx(nullptr, 5, nullptr, -1), 0);
    EXPECT_EQ(tkzsndx(u(U"abc"), 3, u(U"a"), -3), -1);
    EXPECT_EQ(tkzsndx(u(U"abc"), -3, u(U"a"), 1), -1);
}

TEST(Trim, Examples)
{
    struct Row {
        std::u32string_view s;
        int64_t want;
    };
    const Row rows[] = {{U"", 0},        {U"   ", 0},   {U"a  ", 1},      {U"a\t", 2},
                        {U" a b ", 4},   {U"a\u3000", 2}, {U"ab", 2}};
    for (const auto &r : rows)
        EXPECT_EQ(tkzstrp(u(r.s), r.s.size()), r.want);
}

TEST(Compare, Examples)
{
    struct Row {
        std::u32string_view a, b;
        int eqn, ncmp;
    };
    const Row rows[] = {
        {U"abc", U"ABC", 1, 1},   {U"ABC", U"abc", 1, -1},  {U"abc", U"abd", 0, -2},
        {U"ABD", U"abc", 0, 2},   {U"abc", U"abc  ", 0, 0}, {U"abc", U"abcd", 0, -2},
        {U"abc\t", U"abc", 0, 2}, {U"", U"   ", 0, 0},      {U"ABC  ", U"abc", 0, -1},
        {U"", U"", 1, 0},         {U"\u00C0", U"\u00E0", 1, -1},
        {U"\U00010400", U"\U00010428", 0, -2}, // no fold above U+FFFF
        {U"\u212A", U"k", 0, 2},  // the Kelvin sign keeps itself under the tables
        {U"\u0130", U"i", 0, 2},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(tkzseqn(u(r.a), len(r.a), u(r.b), len(r.b)), r.eqn);
        EXPECT_EQ(tkzsncmp(u(r.a), len(r.a), u(r.b), len(r.b)), r.ncmp);
    }
    EXPECT_EQ(tkzsncmp(u(U"ab"), -5, u(U"  "), 2), 0) << "negative length counts as empty";
}

} // namespace
