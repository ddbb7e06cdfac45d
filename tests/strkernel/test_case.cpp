// Case conversion and min/max mapping: every character of the UTF-32 range
// through the four mappings against the list the table generator derived
// (and, independently of the generator, the characters whose mappings are
// irregular), without and with a case-mapping service.
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

// The irregular characters against their known mappings; then every
// character (and some values above U+10FFFF), in one buffer per mapping,
// against the derived mapping; a count of zero or less changes nothing.
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
    // Then again with a case-mapping service, which is fetched afresh on
    // every call: ASCII stays with the tables, and everything else is
    // whatever the service says, unchecked; min/max never consult it.
    tkhost::CaseService svc;
    svc.set_map([](uint32_t c, bool upper) { return upper ? c ^ 0x5A5A0000u : c + 7; });
    for (bool with_service : {false, true}) {
        kernel.set_case_service(with_service ? &svc : nullptr);
        std::vector<uint32_t> out[4] = {all, all, all, all};
        int k = 0;
        for (auto f : {tkzstup, tkzstlo, tkzstmin, tkzstmax}) {
            for (int64_t bad : {0, -1, -1000})
                f(all.data(), bad);
            f(out[k++].data(), std::ssize(all));
        }
        for (size_t i = 0; i < all.size(); i++) {
            const uint32_t c = all[i];
            auto [up, low, min, max] = want(c);
            if (with_service && c >= 128)
                std::tie(up, low) = std::pair(c ^ 0x5A5A0000u, c + 7);
            ASSERT_TRUE(i >= 0x110000 || c == i) << "a count of zero or less wrote";
            ASSERT_EQ(Mapped(out[0][i], out[1][i], out[2][i], out[3][i]), Mapped(up, low, min, max))
                << std::hex << c << (with_service ? " with the service" : "");
        }
    }
    // The service was asked once each way for every character from 128 up,
    // and never for the comparison fold.
    EXPECT_EQ(tkzseqn(&all[0xE0], 1, &all[0xC0], 1), 1);
    EXPECT_EQ(svc.calls.total(), 2 * (std::ssize(all) - 128));
}

} // namespace
