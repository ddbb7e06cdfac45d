// Fuzzes the UTF-32 search and comparisons against plain references.
// Every range is a heap block of exactly its size, so AddressSanitizer sees
// any over-read.  (The vectorised primitives are checked against their
// plain forms at every length and alignment by the unit tests.)
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "tkyrdif.h"

#include "oracle.h"

using tkfuzz::fail;

namespace {

uint32_t fold(uint32_t c)
{
    tkzstlo(&c, 1); // no kernel handle: the table-only lower case
    return c;
}

int ref_ncmp(const std::vector<uint32_t> &a, const std::vector<uint32_t> &b)
{
    size_t n = std::min(a.size(), b.size());
    int tie = 0;
    for (size_t k = 0; k < n; k++) {
        if (a[k] == b[k])
            continue;
        if (tie == 0)
            tie = static_cast<int32_t>(a[k]) < static_cast<int32_t>(b[k]) ? -1 : 1;
        int32_t fa = static_cast<int32_t>(fold(a[k])), fb = static_cast<int32_t>(fold(b[k]));
        if (fa != fb)
            return fa < fb ? -2 : 2;
    }
    const auto &longer = a.size() > b.size() ? a : b;
    for (size_t k = n; k < longer.size(); k++)
        if (longer[k] != 0x20)
            return a.size() > b.size() ? 2 : -2;
    return tie;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tkextent(nullptr);
    if (size < 2)
        return 0;
    const size_t split = data[1] % (size - 1);
    const uint8_t *body = data + 2;
    const size_t len = size - 2;

    // UTF-32 strings: small alphabets make matches and case pairs likely.
    // Each sized exactly, so that its block ends where the string does.
    std::vector<uint32_t> a(split), b(len - split); // split <= len
    const uint32_t alphabet[] = {'a', 'A', 'b', ' ', '\t', 0xE0, 0xC0, 0x10400, 0x3C2, 0x3A3};
    for (size_t i = 0; i < len; i++)
        (i < split ? a[i] : b[i - split]) = alphabet[body[i] % 10];
    std::u32string_view ha(reinterpret_cast<const char32_t *>(a.data()), a.size());
    std::u32string_view nb(reinterpret_cast<const char32_t *>(b.data()), b.size());
    size_t pos = ha.find(nb);
    int64_t want = pos == std::u32string_view::npos ? -1 : static_cast<int64_t>(pos);
    if (tkzsndx(a.data(), static_cast<int64_t>(a.size()), b.data(), static_cast<int64_t>(b.size())) !=
        want)
        fail("tkzsndx");
    int ncmp = tkzsncmp(a.data(), static_cast<int64_t>(a.size()), b.data(),
                        static_cast<int64_t>(b.size()));
    if (ncmp != ref_ncmp(a, b))
        fail("tkzsncmp");
    bool eq = a.size() == b.size();
    for (size_t k = 0; eq && k < a.size(); k++)
        eq = fold(a[k]) == fold(b[k]);
    if (tkzseqn(a.data(), static_cast<int64_t>(a.size()), b.data(), static_cast<int64_t>(b.size())) !=
        static_cast<int32_t>(eq))
        fail("tkzseqn");

    return 0;
}
