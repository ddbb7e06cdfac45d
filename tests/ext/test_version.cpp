// The version record: 208 bytes copied exactly, seventeen words in use and
// nine zero, empty texts that are never null, and a build date text that is
// the build time's.  (The fixed texts, and the lengths and character sets
// of the build's own, are checked as the module compiles.)
#include <ctime>

#include "host_fixture.h"

namespace {

TEST(Version, Record)
{
    alignas(8) unsigned char a[224], b[224];
    std::memset(a, 0xEE, sizeof a);
    std::memset(b, 0x11, sizeof b);
    EXPECT_EQ(tkvercn1(a) + tkvercn1(b), 0);
    EXPECT_EQ(std::memcmp(a, b, 208), 0);
    EXPECT_EQ(a[208], 0xEE) << "exactly 208 bytes are written";
    uint64_t words[26];
    std::memcpy(words, a, sizeof words);
    for (int i = 0; i < 26; i++)
        EXPECT_EQ(words[i] == 0, i >= 17) << "word " << i;

    TKVersionInfo v;
    std::memcpy(&v, a, sizeof v);
    for (const char *e : {v.empty16, v.empty64, v.empty88, v.empty104})
        EXPECT_STREQ(e, "");
    const auto when = static_cast<std::time_t>(v.build_time);
    char date[64];
    std::strftime(date, sizeof date, "%a %b %d %H:%M:%S UTC %Y", std::gmtime(&when));
    EXPECT_STREQ(v.build_date, date);
}

} // namespace
