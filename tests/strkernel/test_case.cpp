// Case conversion and min/max mapping: every character of the UTF-32 range
// through the four mappings against the list the table generator derived,
// the layout invariants of the exported tables, the case-mapping service
// rule, and the byte conversions.
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "support.h"

using namespace tktest;

namespace {

struct Expected {
    uint32_t up, low, min, max;
};

// tables/case_mappings.txt: the characters that any mapping changes.
const std::map<uint32_t, Expected> &expected()
{
    static const std::map<uint32_t, Expected> table = [] {
        std::map<uint32_t, Expected> t;
        std::ifstream in(TK_SOURCE_DIR "/tables/case_mappings.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            std::istringstream f(line);
            uint32_t c;
            Expected e;
            f >> std::hex >> c >> e.up >> e.low >> e.min >> e.max;
            t[c] = e;
        }
        return t;
    }();
    return table;
}

Expected expected_for(uint32_t c)
{
    auto it = expected().find(c);
    return it == expected().end() ? Expected{c, c, c, c} : it->second;
}

class CaseMapping : public WithKernel {};

// Every character (and some values above U+10FFFF), in one buffer per
// mapping, against the derived mapping.
TEST_F(CaseMapping, EveryCharacterThroughEachMapping)
{
    ASSERT_GT(expected().size(), 1000u);
    std::vector<uint32_t> all;
    for (uint32_t c = 0; c <= 0x10FFFF; c++)
        all.push_back(c);
    for (uint32_t c : {0x110000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
        all.push_back(c);
    const int64_t n = static_cast<int64_t>(all.size());
    auto up = all, low = all, mn = all, mx = all;
    tkzstup(up.data(), n);
    tkzstlo(low.data(), n);
    tkzstmin(mn.data(), n);
    tkzstmax(mx.data(), n);
    int64_t changed[4] = {};
    for (size_t i = 0; i < all.size(); i++) {
        Expected e = expected_for(all[i]);
        ASSERT_EQ(up[i], e.up) << std::hex << all[i];
        ASSERT_EQ(low[i], e.low) << std::hex << all[i];
        ASSERT_EQ(mn[i], e.min) << std::hex << all[i];
        ASSERT_EQ(mx[i], e.max) << std::hex << all[i];
        changed[0] += up[i] != all[i];
        changed[1] += low[i] != all[i];
        changed[2] += mn[i] != all[i];
        changed[3] += mx[i] != all[i];
    }
    EXPECT_EQ(changed[0], 671);
    EXPECT_EQ(changed[1], 706);
    EXPECT_EQ(changed[2], 1134);
    EXPECT_EQ(changed[3], 1133);
}

TEST_F(CaseMapping, StatedExamples)
{
    struct Row {
        uint32_t c, up, low, min, max;
    };
    const Row rows[] = {
        {0x00E0, 0x00C0, 0x00E0, 0x00C0, 0x00E0}, {0x00FF, 0x0178, 0x00FF, 0x00FF, 0x0178},
        {0x0451, 0x0401, 0x0451, 0x0401, 0x0451}, {0x0561, 0x0531, 0x0561, 0x0531, 0x0561},
        {0xFF41, 0xFF21, 0xFF41, 0xFF21, 0xFF41}, {0x2170, 0x2160, 0x2170, 0x2160, 0x2170},
        {0x24D0, 0x24B6, 0x24D0, 0x24B6, 0x24D0}, {0x0131, 0x0131, 0x0131, 0x0049, 0x0131},
        {0x00B5, 0x00B5, 0x00B5, 0x00B5, 0x03BC}, {0x03C2, 0x03C2, 0x03C2, 0x03A3, 0x03C3},
        {0x03C3, 0x03A3, 0x03C3, 0x03A3, 0x03C3}, {0x01C5, 0x01C4, 0x01C6, 0x01C4, 0x01C6},
        {0x017F, 0x0053, 0x017F, 0x0053, 0x017F}, {0x0053, 0x0053, 0x0073, 0x0053, 0x017F},
        {0x1F78, 0x1FF8, 0x1F78, 0x1F78, 0x1FF8}, {0x1FF8, 0x1FF8, 0x1F78, 0x1F78, 0x1FF8},
        {0x10A0, 0x10A0, 0x10D0, 0x10A0, 0x2D00}, {0x018E, 0x018E, 0x0258, 0x018E, 0x01DD},
        {0x03DA, 0x03DA, 0x03DB, 0x03DA, 0x03DB}, {0x2126, 0x2126, 0x2126, 0x03A9, 0x2126},
        {0x212A, 0x212A, 0x212A, 0x004B, 0x212A}, {0x0130, 0x0130, 0x0130, 0x0049, 0x0131},
        {0x10D0, 0x10D0, 0x10D0, 0x10D0, 0x10D0}, {0x0258, 0x018E, 0x0258, 0x0258, 0x0258},
        {0x1E9E, 0x1E9E, 0x1E9E, 0x00DF, 0x1E9E}, {0x00DF, 0x00DF, 0x00DF, 0x00DF, 0x00DF},
        {0x2C00, 0x2C00, 0x2C00, 0x2C00, 0x2C30}, {0x10400, 0x10400, 0x10400, 0x10400, 0x10400},
        {0x0049, 0x0049, 0x0069, 0x0049, 0x0131}, {0x006B, 0x004B, 0x006B, 0x004B, 0x212A},
        {0x1C80, 0x1C80, 0x1C80, 0x0412, 0x1C80}, {0x0432, 0x0412, 0x0432, 0x0412, 0x1C80},
        {0x13A0, 0x13A0, 0x13A0, 0x13A0, 0xAB70}, {0xAB70, 0xAB70, 0xAB70, 0x13A0, 0xAB70},
        {0x13F8, 0x13F8, 0x13F8, 0x13F0, 0x13F8}, {0xA7AB, 0xA7AB, 0xA7AB, 0x025C, 0xA7AB},
        {0x025C, 0x025C, 0x025C, 0x025C, 0xA7AB}, {0xA7B8, 0xA7B8, 0xA7B8, 0xA7B8, 0xA7B8},
        {0xA7C5, 0xA7C5, 0xA7C5, 0xA7C5, 0xA7C5}, {0x0282, 0x0282, 0x0282, 0x0282, 0x0282},
        {0x1C90, 0x1C90, 0x1C90, 0x1C90, 0x1C90}, {0x0031, 0x0031, 0x0031, 0x0031, 0x0031},
    };
    for (const auto &r : rows) {
        uint32_t s[4] = {r.c, r.c, r.c, r.c};
        tkzstup(s, 1);
        tkzstlo(s + 1, 1);
        tkzstmin(s + 2, 1);
        tkzstmax(s + 3, 1);
        EXPECT_EQ(s[0], r.up) << std::hex << r.c;
        EXPECT_EQ(s[1], r.low) << std::hex << r.c;
        EXPECT_EQ(s[2], r.min) << std::hex << r.c;
        EXPECT_EQ(s[3], r.max) << std::hex << r.c;
    }
    EXPECT_EQ(expected_for(0x0130).min, 0x0049u);
}

TEST_F(CaseMapping, NonPositiveCountsLeaveTheBuffer)
{
    uint32_t s[2] = {'a', 0xE0};
    for (int64_t n : {0, -1, -1000}) {
        tkzstup(s, n);
        tkzstlo(s, n);
        tkzstmin(s, n);
        tkzstmax(s, n);
        EXPECT_EQ(s[0], 'a');
        EXPECT_EQ(s[1], 0xE0u);
    }
}

// The exported tables' layout: blocks, escapes and auxiliary lists.
TEST_F(CaseMapping, TableLayout)
{
    std::vector<uint32_t> pages;
    for (int p = 0; p < 512; p++) {
        int e = skz_metatable[p];
        if (e < 0) {
            EXPECT_EQ(e, -1);
            continue;
        }
        EXPECT_EQ(e, 128 * static_cast<int>(pages.size())) << "blocks in page order";
        pages.push_back(static_cast<uint32_t>(p) * 128);
    }
    const std::vector<uint32_t> want = {0x0000, 0x0080, 0x0100, 0x0180, 0x0200, 0x0280, 0x0380,
                                        0x0400, 0x0480, 0x0500, 0x0580, 0x1080, 0x1E00, 0x1E80,
                                        0x1F00, 0x1F80, 0x2100, 0x2480, 0xFF00};
    EXPECT_EQ(pages, want);

    auto all_zero = [](const int8_t *shift, uint32_t page) {
        int e = skz_metatable[page >> 7];
        for (int i = 0; i < 128; i++)
            if (shift[e + i] != 0)
                return false;
        return true;
    };
    EXPECT_TRUE(all_zero(skz_upshift, 0x1080));
    EXPECT_TRUE(all_zero(skz_downshift, 0x0280));
    EXPECT_TRUE(all_zero(skz_downshift, 0x0580));

    auto check_aux = [](const int8_t *shift, const uint32_t *aux, size_t words) {
        EXPECT_EQ(aux[words - 1], 0u);
        size_t escapes = 0;
        for (size_t i = 0; i < 19 * 128; i++)
            escapes += shift[i] == -128;
        EXPECT_EQ(escapes, (words - 1) / 2);
        std::vector<uint32_t> keys;
        for (size_t i = 0; i + 1 < words; i += 2) {
            uint32_t k = aux[i];
            EXPECT_TRUE(keys.empty() || keys.back() < k) << "ascending keys";
            keys.push_back(k);
            int e = skz_metatable[k >> 7];
            ASSERT_GE(e, 0);
            EXPECT_EQ(shift[e + (k & 0x7F)], -128) << "pair without escape";
            int64_t d = static_cast<int64_t>(aux[i + 1]) - k;
            EXPECT_TRUE(d < -127 || d > 127) << "a difference that fits a shift byte";
        }
        for (size_t i = 1; i + 1 < words; i += 2)
            EXPECT_EQ(std::count(keys.begin(), keys.end(), aux[i]), 0) << "value is a key";
    };
    check_aux(skz_upshift, skz_upaux, 41);
    check_aux(skz_downshift, skz_downaux, 39);
    EXPECT_EQ(skz_upaux[0], 0x017Fu);
    EXPECT_EQ(skz_upaux[1], 0x0053u);
    EXPECT_EQ(skz_downaux[36], 0x1FF9u);
    EXPECT_EQ(skz_downaux[37], 0x1F79u);
}

// With a case-mapping service, ASCII stays with the tables and everything
// else is whatever the service says, unchecked.
TEST_F(CaseMapping, ServiceTakesEverythingFrom128Up)
{
    tkhost::CaseService svc;
    svc.set_map([](uint32_t c, bool upper) { return upper ? c ^ 0x5A5A0000u : c + 7; });
    kernel.set_case_service(&svc);

    std::vector<uint32_t> s;
    for (uint32_t c = 0; c < 128; c++)
        s.push_back(c);
    s.insert(s.end(), {0x80, 0xE0, 0x10400, 0xFFFFFFFF});
    auto up = s, low = s;
    tkzstup(up.data(), static_cast<int64_t>(up.size()));
    EXPECT_EQ(svc.calls[TKH_CASEMAP_UPPER], 4);
    tkzstlo(low.data(), static_cast<int64_t>(low.size()));
    EXPECT_EQ(svc.calls[TKH_CASEMAP_LOWER], 4);
    for (uint32_t c = 0; c < 128; c++) {
        EXPECT_EQ(up[c], c >= 'a' && c <= 'z' ? c - 32 : c);
        EXPECT_EQ(low[c], c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    EXPECT_EQ(up[128], 0x80u ^ 0x5A5A0000u);
    EXPECT_EQ(up[130], 0x10400u ^ 0x5A5A0000u);
    EXPECT_EQ(low[131], 0xFFFFFFFFu + 7);

    // The service is fetched afresh on every call.
    kernel.set_case_service(nullptr);
    uint32_t e0 = 0xE0;
    tkzstup(&e0, 1);
    EXPECT_EQ(e0, 0xC0u);
    EXPECT_EQ(svc.calls[TKH_CASEMAP_UPPER], 4);
}

// Min/max never consults the service, and the comparison fold neither.
TEST_F(CaseMapping, MinMaxAndFoldIgnoreTheService)
{
    tkhost::CaseService svc;
    kernel.set_case_service(&svc);
    uint32_t s[] = {0xE0, 0x3C2};
    tkzstmin(s, 2);
    tkzstmax(s, 2);
    uint32_t a[] = {0xC0}, b[] = {0xE0};
    EXPECT_EQ(tkzseqn(a, 1, b, 1), 1);
    EXPECT_EQ(svc.calls.total(), 0);
}

TEST(ByteCase, ExamplesAndEveryByte)
{
    uint8_t text[] = {'a', 'c', 't', '/', 'a', 'c', 't', 0, 0x80, 0xE1, '5', 'Z'};
    skStrUp(text, sizeof text);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(text), sizeof text),
              std::string("ACT/ACT\0\x80\xE1"
                          "5Z",
                          12));
    skStrLow(text, sizeof text);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(text), 7), "act/act");

    uint8_t all[256], up[256], low[256];
    for (int i = 0; i < 256; i++)
        all[i] = up[i] = low[i] = static_cast<uint8_t>(i);
    skStrUp(up, 256);
    skStrLow(low, 256);
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(up[i], i >= 'a' && i <= 'z' ? i - 32 : i);
        EXPECT_EQ(low[i], i >= 'A' && i <= 'Z' ? i + 32 : i);
    }
    skStrUp(all, 0);
    EXPECT_EQ(all[97], 97);
}

} // namespace
