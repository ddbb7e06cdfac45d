// UTF-32 search, trim and case-insensitive comparison: every pair of short
// strings over a small alphabet against plain references, and the
// characters whose folding is irregular as a table.
#include <algorithm>
#include <string_view>
#include <vector>

#include "support.h"

namespace {

const uint32_t *u(std::u32string_view s) { return reinterpret_cast<const uint32_t *>(s.data()); }
int64_t len(std::u32string_view s) { return static_cast<int64_t>(s.size()); }

int32_t fold(uint32_t c)
{
    tkzstlo(&c, 1); // no kernel handle: the table-only lower case
    return static_cast<int32_t>(c);
}

// The first difference decides by its folded characters; a difference of
// case alone only breaks a tie; past the shorter string only blanks tie.
int ref_ncmp(std::u32string_view a, std::u32string_view b)
{
    size_t n = std::min(a.size(), b.size());
    int tie = 0;
    for (size_t k = 0; k < n; k++) {
        if (a[k] == b[k])
            continue;
        if (tie == 0)
            tie = static_cast<int32_t>(a[k]) < static_cast<int32_t>(b[k]) ? -1 : 1;
        if (fold(a[k]) != fold(b[k]))
            return fold(a[k]) < fold(b[k]) ? -2 : 2;
    }
    auto longer = a.size() > b.size() ? a : b;
    if (longer.substr(n).find_first_not_of(U' ') != std::u32string_view::npos)
        return a.size() > b.size() ? 2 : -2;
    return tie;
}

// Every string of up to four characters over case pairs, a blank, a tab and
// a character outside the tables, against every other.
TEST(SearchCompare, EveryPairOfShortStrings)
{
    const char32_t alphabet[] = {U'a', U'A', U' ', U'\t', U'\u00E0', U'\u00C0', U'\U00010400'};
    std::vector<std::u32string> all = {U""};
    for (size_t i = 0; all[i].size() < 4; i++)
        for (char32_t c : alphabet)
            all.push_back(all[i] + c);
    for (std::u32string_view a : all)
        for (std::u32string_view b : all) {
            size_t at = a.find(b);
            ASSERT_EQ(tkzsndx(u(a), len(a), u(b), len(b)),
                      at == std::u32string_view::npos ? -1 : static_cast<int64_t>(at));
            const bool eq = std::ranges::equal(a, b, {}, fold, fold);
            ASSERT_EQ(tkzseqn(u(a), len(a), u(b), len(b)), eq);
            ASSERT_EQ(tkzsncmp(u(a), len(a), u(b), len(b)), ref_ncmp(a, b));
        }
    // Negative lengths never read.
    EXPECT_EQ(tkzsndx(nullptr, 5, nullptr, -1), 0);
    EXPECT_EQ(tkzsndx(u(U"abc"), 3, u(U"a"), -3), -1);
    EXPECT_EQ(tkzsndx(u(U"abc"), -3, u(U"a"), 1), -1);
    EXPECT_EQ(tkzsncmp(u(U"ab"), -5, u(U"  "), 2), 0);
    EXPECT_EQ(tkzsncmp(u(U"  "), 2, u(U"x"), -1), 0);
}

TEST(SearchCompare, IrregularFoldsAndTrim)
{
    struct Row {
        std::u32string_view a, b;
        int eqn, ncmp;
    };
    const Row rows[] = {
        {U"\U00010400", U"\U00010428", 0, -2}, // no fold above U+FFFF
        {U"\u212A", U"k", 0, 2},               // the Kelvin sign keeps itself under the tables
        {U"\u0130", U"i", 0, 2},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(tkzseqn(u(r.a), len(r.a), u(r.b), len(r.b)), r.eqn);
        EXPECT_EQ(tkzsncmp(u(r.a), len(r.a), u(r.b), len(r.b)), r.ncmp);
    }
    const std::pair<std::u32string_view, int64_t> trims[] = {
        {U"", 0}, {U"   ", 0}, {U"a  ", 1}, {U"a\t", 2}, {U" a b ", 4}, {U"a\u3000", 2}, {U"ab", 2}};
    for (const auto &[s, want] : trims)
        EXPECT_EQ(tkzstrp(u(s), s.size()), want);
}

} // namespace
