// UTF-32 search, trim and case-insensitive comparison: the stated examples
// as tables and the order properties of tkzsncmp on random strings.  (The
// string fuzzer checks tkzsndx against std::u32string_view::find.)
#include <random>
#include <string_view>
#include <vector>

#include "support.h"

namespace {

const uint32_t *u(std::u32string_view s) { return reinterpret_cast<const uint32_t *>(s.data()); }
int64_t len(std::u32string_view s) { return static_cast<int64_t>(s.size()); }

TEST(Search, Examples)
{
    struct Row {
        std::u32string_view hay, needle;
        int64_t want;
    };
    const Row rows[] = {
        {U"", U"", 0},         {U"abc", U"", 0},       {U"ab", U"abc", -1},
        {U"xACT", U"AC", 1},   {U"xact", U"AC", -1},   {U"", U"a", -1},
        {U"aaab", U"aab", 1},  {U"abab", U"ab", 0},    {U"30/360", U"360", 3},
        {U"abc", U"abc", 0},   {U"abc", U"c", 2},      {U"ab\U00010400", U"\U00010400", 2},
    };
    for (const auto &r : rows)
        EXPECT_EQ(tkzsndx(u(r.hay), len(r.hay), u(r.needle), len(r.needle)), r.want)
            << r.want;
    // Negative lengths never read: null needle gives 0, otherwise nothing is found.
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

// On random strings: tkzsncmp is antisymmetric, says 0 exactly when the
// blank-extended strings are identical, and agrees with tkzseqn.
TEST(Compare, OrderProperties)
{
    std::mt19937 rng(3);
    const char32_t alphabet[] = {U'a', U'A', U'b', U'B', U' ', U'\t', U'\u00E0', U'\u00C0'};
    std::uniform_int_distribution<int> pick(0, 7), size(0, 5);
    for (int i = 0; i < 50000; i++) {
        std::u32string a, b;
        for (int k = size(rng); k > 0; k--)
            a += alphabet[pick(rng)];
        for (int k = size(rng); k > 0; k--)
            b += alphabet[pick(rng)];
        int ab = tkzsncmp(u(a), len(a), u(b), len(b));
        int ba = tkzsncmp(u(b), len(b), u(a), len(a));
        ASSERT_EQ(ab, -ba);
        auto pa = a, pb = b;
        pa.resize(std::max(a.size(), b.size()), U' ');
        pb.resize(pa.size(), U' ');
        ASSERT_EQ(ab == 0, pa == pb);
        int eq = tkzseqn(u(a), len(a), u(b), len(b));
        if (a.size() == b.size())
            ASSERT_EQ(eq == 1, ab >= -1 && ab <= 1);
        else
            ASSERT_EQ(eq, 0);
    }
}

} // namespace
