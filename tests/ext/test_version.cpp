// The version record: 208 bytes copied exactly, seventeen words in use and
// nine zero, empty texts that are never null, the build's own texts of
// their stated forms (the fixed texts and every length are checked as the
// module compiles), and a build time that names the same instant as the
// build date text.
#include <algorithm>
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
    const std::string digits = "0123456789", upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                      lower = "abcdefghijklmnopqrstuvwxyz";
    const std::pair<std::string, std::string> built[] = {
        {v.release, digits + upper + "."},   {v.location, digits + lower + "-/:"},
        {v.ident8, digits + upper + lower},  {v.ident19, digits + upper + lower + "-/"},
        {v.platform, lower},
    };
    for (const auto &[text, chars] : built)
        EXPECT_EQ(text.find_first_not_of(chars), std::string::npos) << text;
    EXPECT_EQ(std::count(v.location, v.location + 30, ':'), 1) << v.location;

    std::tm tm{};
    const char *end = strptime(v.build_date, "%a %b %d %H:%M:%S UTC %Y", &tm);
    ASSERT_TRUE(end && *end == 0) << v.build_date;
    EXPECT_EQ(static_cast<uint64_t>(timegm(&tm)), v.build_time) << v.build_date;
    char weekday[4];
    std::strftime(weekday, sizeof weekday, "%a", &tm);
    EXPECT_EQ(std::string(v.build_date, 3), weekday);
}

} // namespace
