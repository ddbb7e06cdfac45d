// Every function that reads a caller's range, run over ranges that end
// where an inaccessible page begins or begin where one ends, at every
// length from 0 to 300: the basis parsers and their token reader, the
// UTF-32 search, trim, comparison and conversions, the string-service
// forwarders, and the plain memory readers and copies.  A read or write
// outside the range faults.
#include <random>

#include "guard.h"
#include "host_fixture.h"

using namespace tktest;

namespace {

class Guarded : public WithKernel {
protected:
    tkhost::StringService strings;
    tkhost::CallContext context{&strings};
};

TEST_F(Guarded, EveryReaderOfARange)
{
    std::mt19937 rng(8);
    // n units drawn from `from`: basis tokens, blanks and letters by default.
    auto fill = [&](auto *p, int n, std::string_view from = "ACT/360 30 365AGEactual  ") {
        for (int i = 0; i < n; i++)
            p[i] = static_cast<unsigned char>(from[rng() % from.size()]);
    };
    for (Placement where : {Placement::End, Placement::Start})
        for (int n = 0; n <= 300; n++) {
            GuardedRange w(static_cast<size_t>(n) * 4, where), b(static_cast<size_t>(n), where),
                needle(7 * 4, where), set(3, where), table(3, where);
            uint32_t *s = w.as<uint32_t>();
            fill(s, n);
            fill(b.data(), n);
            int32_t code;
            zdatdci(s, n, 1, &code, nullptr);
            zdatdciS(b.data(), n, 1, &code, context.object());
            for (int k = 0; k <= n; k += 1 + n / 16) {
                const uint8_t *cursor = b.data() + k;
                get_conv_part(&cursor, n - k);
            }
            get_convention(b.data(), n);

            for (int m : {0, 1, 2, 3, 7}) { // a needle that ends at the guard too
                const uint32_t *nd = needle.as<uint32_t>() + (where == Placement::End ? 7 - m : 0);
                fill(s, n, "ab");
                fill(needle.as<uint32_t>(), 7, "ab");
                tkzsndx(s, n, nd, m);
                fill(s, n, "a"); // equal but for case, then blanks: read to the end
                fill(needle.as<uint32_t>(), 7, "A");
                std::fill(s + std::max(0, n - m), s + n, ' ');
                tkzseqn(s, n, nd, m);
                tkzsncmp(s, n, nd, m);
                tkzsncmp(nd, m, s, n);
            }
            tkzstrp(s, static_cast<uint64_t>(n));
            for (auto map : {tkzstup, tkzstlo, tkzstmin, tkzstmax})
                map(s, n);

            // The forwarders read the set and table of 3 and the text of n.
            std::memcpy(set.data(), "xyz", 3);
            std::memcpy(table.data(), "XYZ", 3);
            fill(b.data(), n, "abcdefghijklmnopqrstuvwxyz");
            int32_t first = -1;
            for (int i = n - 1; i >= 0; i--)
                first = b.data()[i] >= 'x' ? i : first;
            EXPECT_EQ(rdl_zstrcsp(strings.object(), b.data(), n, set.data(), 3), first);
            rdl_zstrans(strings.object(), b.data(), n, table.data(), set.data(), 3);
            EXPECT_EQ(std::string_view(reinterpret_cast<char *>(b.data()), n).find_first_of("xyz"),
                      std::string_view::npos);

            // The plain readers and copies, into the last n bytes of w, and
            // the whole doubles of w from its first 8-byte aligned address.
            uint8_t *into = w.data() + 3 * n;
            skMemCpy(b.data(), into, n);
            skMemSCpy(b.data(), into, static_cast<uint64_t>(n));
            const size_t skip = (8 - reinterpret_cast<uintptr_t>(w.data()) % 8) % 8; // 0 or 4
            const uint64_t doubles = (4 * static_cast<uint64_t>(n) - skip) / 8;
            EXPECT_EQ(skMissArray(reinterpret_cast<double *>(w.data() + skip), doubles), 0);
            if (n > 0) {
                b.data()[n - 1] = 0;
                EXPECT_EQ(skStrLen(b.data()), static_cast<uint64_t>(n - 1));
                skStrCpy(b.data(), into);
                EXPECT_EQ(std::memcmp(b.data(), into, n), 0);
            }
        }
}

} // namespace
