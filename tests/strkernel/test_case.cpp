// Case conversion and min/max mapping: every character of the UTF-32 range
// through the four mappings against the list the table generator derived
// (and, independently of the generator, the characters whose mappings are
// irregular), the case-mapping service rule, and the byte conversions.
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
std::map<uint32_t, Expected> derived()
{
    std::map<uint32_t, Expected> t;
    std::ifstream in(TK_SOURCE_DIR "/tables/case_mappings.txt");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        uint32_t c;
        Expected e;
        if (line[0] != '#' && f >> std::hex >> c >> e.up >> e.low >> e.min >> e.max)
            t[c] = e;
    }
    return t;
}

class CaseMapping : public WithKernel {};

// Every character (and some values above U+10FFFF), in one buffer per
// mapping, against the derived mapping; then the irregular characters
// against their known mappings; a count of zero or less changes nothing.
TEST_F(CaseMapping, EveryCharacterThroughEachMapping)
{
    auto table = derived();
    const struct {
        uint32_t c;
        Expected e;
    } irregular[] = {
        {0x00FF, {0x0178, 0x00FF, 0x00FF, 0x0178}}, {0x0131, {0x0131, 0x0131, 0x0049, 0x0131}},
        {0x0130, {0x0130, 0x0130, 0x0049, 0x0131}}, {0x00B5, {0x00B5, 0x00B5, 0x00B5, 0x03BC}},
        {0x03C2, {0x03C2, 0x03C2, 0x03A3, 0x03C3}}, {0x01C5, {0x01C4, 0x01C6, 0x01C4, 0x01C6}},
        {0x017F, {0x0053, 0x017F, 0x0053, 0x017F}}, {0x0053, {0x0053, 0x0073, 0x0053, 0x017F}},
        {0x1F78, {0x1FF8, 0x1F78, 0x1F78, 0x1FF8}}, {0x10A0, {0x10A0, 0x10D0, 0x10A0, 0x2D00}},
        {0x018E, {0x018E, 0x0258, 0x018E, 0x01DD}}, {0x2126, {0x2126, 0x2126, 0x03A9, 0x2126}},
        {0x212A, {0x212A, 0x212A, 0x004B, 0x212A}}, {0x1E9E, {0x1E9E, 0x1E9E, 0x00DF, 0x1E9E}},
        {0x1C80, {0x1C80, 0x1C80, 0x0412, 0x1C80}}, {0x13A0, {0x13A0, 0x13A0, 0x13A0, 0xAB70}},
        {0x13F8, {0x13F8, 0x13F8, 0x13F0, 0x13F8}}, {0xA7AB, {0xA7AB, 0xA7AB, 0x025C, 0xA7AB}},
        {0x2170, {0x2160, 0x2170, 0x2160, 0x2170}}, {0x24D0, {0x24B6, 0x24D0, 0x24B6, 0x24D0}},
        {0x10400, {0x10400, 0x10400, 0x10400, 0x10400}}, {0xA7C5, {0xA7C5, 0xA7C5, 0xA7C5, 0xA7C5}},
    };
    auto want = [&](uint32_t c) {
        auto it = table.find(c);
        Expected e = it == table.end() ? Expected{c, c, c, c} : it->second;
        return std::vector<uint32_t>{e.up, e.low, e.min, e.max};
    };
    ASSERT_GT(table.size(), 1000u);
    for (const auto &r : irregular)
        EXPECT_EQ(want(r.c), (std::vector<uint32_t>{r.e.up, r.e.low, r.e.min, r.e.max}))
            << std::hex << r.c;

    std::vector<uint32_t> all;
    for (uint32_t c = 0; c <= 0x10FFFF; c++)
        all.push_back(c);
    for (uint32_t c : {0x110000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
        all.push_back(c);
    const int64_t n = static_cast<int64_t>(all.size());
    auto up = all, low = all, mn = all, mx = all;
    for (auto f : {tkzstup, tkzstlo, tkzstmin, tkzstmax})
        for (int64_t bad : {0, -1, -1000})
            f(all.data(), bad);
    tkzstup(up.data(), n);
    tkzstlo(low.data(), n);
    tkzstmin(mn.data(), n);
    tkzstmax(mx.data(), n);
    for (size_t i = 0; i < all.size(); i++) {
        ASSERT_EQ(all[i], i < 0x110000 ? i : all[i]) << "a count of zero or less wrote";
        ASSERT_EQ((std::vector<uint32_t>{up[i], low[i], mn[i], mx[i]}), want(all[i]))
            << std::hex << all[i];
    }
}

// With a case-mapping service, ASCII stays with the tables and everything
// else is whatever the service says, unchecked; the service is fetched
// afresh on every call.  Min/max and the comparison fold never consult it,
// nor do the byte conversions, which change ASCII letters only.
TEST_F(CaseMapping, ServiceTakesEverythingFrom128Up)
{
    tkhost::CaseService svc;
    svc.set_map([](uint32_t c, bool upper) { return upper ? c ^ 0x5A5A0000u : c + 7; });
    kernel.set_case_service(&svc);

    std::vector<uint32_t> s;
    uint8_t bytes_up[256], bytes_low[256];
    for (uint32_t c = 0; c < 256; c++) {
        s.push_back(c < 128 ? c : 0x10400);
        bytes_up[c] = bytes_low[c] = static_cast<uint8_t>(c);
    }
    s.insert(s.end(), {0x80, 0xE0, 0xFFFFFFFF});
    auto up = s, low = s, mn = s;
    tkzstup(up.data(), static_cast<int64_t>(up.size()));
    tkzstlo(low.data(), static_cast<int64_t>(low.size()));
    skStrUp(bytes_up, 256);
    skStrLow(bytes_low, 256);
    for (uint32_t c = 0; c < 256; c++) {
        const uint32_t want_up = c >= 'a' && c <= 'z' ? c - 32 : c,
                       want_low = c >= 'A' && c <= 'Z' ? c + 32 : c;
        EXPECT_EQ(bytes_up[c], want_up);
        EXPECT_EQ(bytes_low[c], want_low);
        EXPECT_EQ(up[c], c < 128 ? want_up : 0x10400u ^ 0x5A5A0000u);
        EXPECT_EQ(low[c], c < 128 ? want_low : 0x10400u + 7);
    }
    EXPECT_EQ(low.back(), 0xFFFFFFFFu + 7);
    EXPECT_EQ(svc.calls[TKH_CASEMAP_UPPER], 131); // every character from 128 up
    EXPECT_EQ(svc.calls[TKH_CASEMAP_LOWER], 131);
    tkzstmin(mn.data(), static_cast<int64_t>(mn.size()));
    tkzstmax(mn.data(), static_cast<int64_t>(mn.size()));
    EXPECT_EQ(tkzseqn(&s[257], 1, &up[257], 1), 0);
    EXPECT_EQ(svc.calls.total(), 2 * 131);

    kernel.set_case_service(nullptr);
    uint32_t e0 = 0xE0;
    tkzstup(&e0, 1);
    EXPECT_EQ(e0, 0xC0u);
}

} // namespace
