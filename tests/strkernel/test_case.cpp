// Case conversion and min/max mapping: every character of the UTF-32 range
// through the four mappings against the list the table generator derived
// (and, independently of the generator, the characters whose mappings are
// irregular), the case-mapping service rule, and the byte conversions.
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>
#include <tuple>
#include <vector>

#include "support.h"

using namespace tktest;

namespace {

using Mapped = std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>; // upper, lower, min, max

// tables/case_mappings.txt: the characters that any mapping changes.
std::map<uint32_t, Mapped> derived()
{
    std::map<uint32_t, Mapped> t;
    std::ifstream in(TK_SOURCE_DIR "/tables/case_mappings.txt");
    uint32_t c, up, low, min, max;
    for (std::string line; std::getline(in, line);)
        if (line[0] != '#' && std::istringstream(line) >> std::hex >> c >> up >> low >> min >> max)
            t[c] = {up, low, min, max};
    return t;
}

class CaseMapping : public WithKernel {};

// Every character (and some values above U+10FFFF), in one buffer per
// mapping, against the derived mapping; then the irregular characters
// against their known mappings; a count of zero or less changes nothing.
TEST_F(CaseMapping, EveryCharacterThroughEachMapping)
{
    auto table = derived();
    const std::pair<uint32_t, Mapped> irregular[] = {
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
        return it == table.end() ? Mapped{c, c, c, c} : it->second;
    };
    ASSERT_GT(table.size(), 1000u);
    for (const auto &[c, mapped] : irregular)
        EXPECT_EQ(want(c), mapped) << std::hex << c;

    std::vector<uint32_t> all(0x110000);
    std::iota(all.begin(), all.end(), 0u);
    all.insert(all.end(), {0x110000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu});
    std::vector<uint32_t> out[4] = {all, all, all, all};
    int k = 0;
    for (auto f : {tkzstup, tkzstlo, tkzstmin, tkzstmax}) {
        for (int64_t bad : {0, -1, -1000})
            f(all.data(), bad);
        f(out[k++].data(), std::ssize(all));
    }
    for (size_t i = 0; i < all.size(); i++) {
        ASSERT_EQ(all[i], i < 0x110000 ? i : all[i]) << "a count of zero or less wrote";
        ASSERT_EQ(Mapped(out[0][i], out[1][i], out[2][i], out[3][i]), want(all[i])) << std::hex << all[i];
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
    std::vector<uint32_t> s(256);
    std::iota(s.begin(), s.end(), 0u);
    std::vector<uint8_t> bytes_up(s.begin(), s.end()), bytes_low = bytes_up;
    s.push_back(0xFFFFFFFF);
    auto up = s, low = s, mn = s;
    tkzstup(up.data(), std::ssize(up));
    tkzstlo(low.data(), std::ssize(low));
    skStrUp(bytes_up.data(), 256);
    skStrLow(bytes_low.data(), 256);
    for (uint32_t c = 0; c < 256; c++) {
        const uint32_t ascii_up = c >= 'a' && c <= 'z' ? c - 32 : c,
                       ascii_low = c >= 'A' && c <= 'Z' ? c + 32 : c;
        EXPECT_EQ(std::tuple(up[c], low[c], bytes_up[c], bytes_low[c]),
                  std::tuple(c < 128 ? ascii_up : c ^ 0x5A5A0000u, c < 128 ? ascii_low : c + 7,
                             ascii_up, ascii_low))
            << c;
    }
    EXPECT_EQ(low.back(), 0xFFFFFFFFu + 7);
    EXPECT_EQ(svc.calls[TKH_CASEMAP_UPPER], 129); // every character from 128 up
    EXPECT_EQ(svc.calls[TKH_CASEMAP_LOWER], 129);
    tkzstmin(mn.data(), std::ssize(mn));
    tkzstmax(mn.data(), std::ssize(mn));
    EXPECT_EQ(tkzseqn(&s[200], 1, &up[200], 1), 0);
    EXPECT_EQ(svc.calls.total(), 2 * 129);

    kernel.set_case_service(nullptr);
    uint32_t e0 = 0xE0;
    tkzstup(&e0, 1);
    EXPECT_EQ(e0, 0xC0u);
}

} // namespace
