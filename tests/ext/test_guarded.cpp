// Every function that reads a caller's range, run over ranges that end
// where an inaccessible page begins or begin where one ends, at every
// length from 0 to 300: the basis parsers and their token reader, the
// UTF-32 search, trim, comparison and conversions, and the string-service
// forwarders.  A read or write outside the range faults.
#include <random>

#include "guard.h"
#include "host_fixture.h"

using namespace tktest;

namespace {

constexpr int kMax = 300;

// Fills n units with a mix of basis tokens, blanks and letters.
template <class T> void fill_text(T *p, int n, std::mt19937 &rng)
{
    static const char pieces[] = "ACT/360 30 365AGEactual  ";
    for (int i = 0; i < n; i++)
        p[i] = static_cast<T>(static_cast<unsigned char>(pieces[rng() % (sizeof pieces - 1)]));
}

// Index of the first 'x', 'y' or 'z' in n bytes, or -1.
int32_t sk_first_xyz(const uint8_t *p, int n)
{
    for (int i = 0; i < n; i++)
        if (p[i] >= 'x' && p[i] <= 'z')
            return i;
    return -1;
}

class Guarded : public WithKernel {
protected:
    tkhost::StringService strings;
    tkhost::CallContext context{&strings};
};

TEST_F(Guarded, ParsersAndTokenReader)
{
    std::mt19937 rng(8);
    for (Placement where : {Placement::End, Placement::Start})
        for (int n = 0; n <= kMax; n++) {
            GuardedRange w(static_cast<size_t>(n) * 4, where), b(static_cast<size_t>(n), where);
            fill_text(w.as<uint32_t>(), n, rng);
            fill_text(b.data(), n, rng);
            int32_t code;
            zdatdci(w.as<uint32_t>(), n, 1, &code, nullptr);
            zdatdciS(b.data(), n, 1, &code, context.object());
            for (int k = 0; k <= n; k += 1 + n / 16) {
                const uint8_t *cursor = b.data() + k;
                get_conv_part(&cursor, n - k);
            }
            get_convention(b.data(), n);
        }
}

TEST_F(Guarded, Utf32Functions)
{
    std::mt19937 rng(9);
    for (Placement where : {Placement::End, Placement::Start})
        for (int n = 0; n <= kMax; n++) {
            GuardedRange a(static_cast<size_t>(n) * 4, where);
            uint32_t *s = a.as<uint32_t>();
            for (int m : {0, 1, 2, 3, 7}) {
                if (m > n)
                    break;
                GuardedRange nd(static_cast<size_t>(m) * 4, where);
                for (int i = 0; i < n; i++)
                    s[i] = 'a' + rng() % 2;
                for (int i = 0; i < m; i++)
                    nd.as<uint32_t>()[i] = 'a' + rng() % 2;
                tkzsndx(s, n, nd.as<uint32_t>(), m);
                for (int i = 0; i < n; i++)
                    s[i] = i < n - m ? 'a' : ' ';
                for (int i = 0; i < m; i++)
                    nd.as<uint32_t>()[i] = 'A';
                tkzseqn(s, n, nd.as<uint32_t>(), m);
                tkzsncmp(s, n, nd.as<uint32_t>(), m);
                tkzsncmp(nd.as<uint32_t>(), m, s, n);
            }
            for (int i = 0; i < n; i++)
                s[i] = ' ';
            EXPECT_EQ(tkzstrp(s, static_cast<uint64_t>(n)), 0);
            for (int i = 0; i < n; i++)
                s[i] = static_cast<uint32_t>(rng() % 0x2200);
            tkzstup(s, n);
            tkzstlo(s, n);
            tkzstmin(s, n);
            tkzstmax(s, n);
        }
}

TEST_F(Guarded, StringServiceForwarders)
{
    std::mt19937 rng(10);
    for (Placement where : {Placement::End, Placement::Start})
        for (int n = 0; n <= kMax; n += 1 + n / 8) {
            GuardedRange t(static_cast<size_t>(n), where), set(3, where), table(3, where);
            std::memcpy(set.data(), "xyz", 3);
            std::memcpy(table.data(), "XYZ", 3);
            for (int i = 0; i < n; i++)
                t.data()[i] = static_cast<uint8_t>('a' + rng() % 26);
            EXPECT_EQ(rdl_zstrcsp(strings.object(), t.data(), n, set.data(), 3),
                      sk_first_xyz(t.data(), n));
            rdl_zstrans(strings.object(), t.data(), n, table.data(), set.data(), 3);
            for (int i = 0; i < n; i++)
                ASSERT_TRUE(t.data()[i] < 'x' || t.data()[i] > 'z');
        }
}

} // namespace
