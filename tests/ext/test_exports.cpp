// The built module's dynamic symbol table holds exactly the exported
// names, each of the right kind, and the exported tables and records have
// their stated sizes, as nm reads them.
#include <map>
#include <set>

#include "support.h"

namespace {

// Name -> (kind letter, size) of each defined dynamic symbol, as nm reads them.
std::map<std::string, std::pair<char, uint64_t>> defined_dynamic_symbols(const std::string &path)
{
    std::map<std::string, std::pair<char, uint64_t>> out;
    FILE *p = popen(("nm -D --defined-only -S '" + path + "'").c_str(), "r");
    char line[512], name[256], kind;
    unsigned long long address, size;
    while (p && std::fgets(line, sizeof line, p))
        if (std::sscanf(line, "%llx %llx %c %255s", &address, &size, &kind, name) == 4)
            out[name] = {kind, size};
    if (p)
        pclose(p);
    return out;
}

TEST(Exports, ExactlyTheInterface)
{
    const std::set<std::string> functions = {
        "tkextver", "tkextent", "tkuyrdif", "TKU_EXTNAMEReqVersion", "TKU_EXTNAMEVersion",
        "TKU_EXTNAMEDestroy", "uwfyrdif", "uwfyrdifS", "tkvercn1", "tklMessageToBuf",
        "tklMessageToJnl", "tklStatusToBuf", "tklStatusToJnl", "tklGetLocale", "rdl_zstrcsp",
        "rdl_zstrans", "rdl_zstrlen", "rdl_zquote", "tkfmtzjulymd", "tkfmtzdatjul",
        "tkfmtzymdjul", "tkfmtzjuldat", "zdatdci", "zdatdciS", "get_convention",
        "get_conv_part", "zdatdif", "tkzstup", "tkzstlo", "skStrUp", "skStrLow", "tkzsndx",
        "tkzstrp", "tkzseqn", "tkzsncmp", "tkzstmin", "tkzstmax", "skUnsup", "skStrLen",
        "skStrTLen", "skStrCpy", "skStrTCpy", "skMemNot", "skMemTNot", "skMemSet", "skMemTSet",
        "skMemCmp", "skWMemCmp", "skMemCpy", "skMemSCpy", "skMemDup", "skMemScan",
        "skMemNScan", "skMemTNScan", "skMissArray"};
    const std::map<std::string, uint64_t> data = {
        {"funclist", 8},        {"Exported_TKHandle", 8}, {"info", 208},
        {"skz_metatable", 1024}, {"skz_upshift", 2432},    {"skz_downshift", 2432},
        {"skz_upaux", 164},     {"skz_downaux", 156}};

    auto syms = defined_dynamic_symbols(TK_MODULE_PATH);
    std::set<std::string> names, want = functions;
    for (const auto &[name, s] : syms)
        names.insert(name);
    for (const auto &[name, size] : data)
        want.insert(name);
    EXPECT_EQ(names, want);
    for (const auto &[name, s] : syms)
        EXPECT_TRUE(functions.count(name) ? s.first == 'T' || s.first == 'i'
                                          : std::strchr("BDR", s.first) && data.count(name) &&
                                                s.second == data.at(name))
            << name << " " << s.first << " " << s.second;
}

} // namespace
