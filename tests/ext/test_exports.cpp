// The built module's dynamic symbol table holds exactly the exported
// names, each of the right kind, and the exported tables and records have
// their stated sizes.  Read straight from the ELF file.
#include <elf.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "support.h"

namespace {

struct Symbol {
    unsigned type;
    uint64_t size;
};

std::map<std::string, Symbol> defined_dynamic_symbols(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::map<std::string, Symbol> out;
    if (file.size() < sizeof(Elf64_Ehdr))
        return out;
    const char *base = file.data();
    auto eh = reinterpret_cast<const Elf64_Ehdr *>(base);
    auto sections = reinterpret_cast<const Elf64_Shdr *>(base + eh->e_shoff);
    for (int i = 0; i < eh->e_shnum; i++) {
        if (sections[i].sh_type != SHT_DYNSYM)
            continue;
        const char *names = base + sections[sections[i].sh_link].sh_offset;
        auto syms = reinterpret_cast<const Elf64_Sym *>(base + sections[i].sh_offset);
        size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
        for (size_t k = 1; k < count; k++) {
            if (syms[k].st_shndx == SHN_UNDEF)
                continue;
            unsigned bind = ELF64_ST_BIND(syms[k].st_info);
            if (bind != STB_GLOBAL && bind != STB_WEAK && bind != STB_GNU_UNIQUE)
                continue;
            out[names + syms[k].st_name] = {ELF64_ST_TYPE(syms[k].st_info), syms[k].st_size};
        }
    }
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
    ASSERT_FALSE(syms.empty());
    std::set<std::string> names;
    for (const auto &[name, s] : syms)
        names.insert(name);
    std::set<std::string> want = functions;
    for (const auto &[name, size] : data)
        want.insert(name);
    EXPECT_EQ(names, want);
    for (const auto &[name, s] : syms) {
        if (functions.count(name))
            EXPECT_TRUE(s.type == STT_FUNC || s.type == STT_GNU_IFUNC) << name;
        else if (data.count(name)) {
            EXPECT_EQ(s.type, static_cast<unsigned>(STT_OBJECT)) << name;
            EXPECT_EQ(s.size, data.at(name)) << name;
        }
    }
}

} // namespace
