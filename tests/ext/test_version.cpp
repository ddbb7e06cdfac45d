// The version record: 208 bytes, stable copies, texts of the stated forms,
// and a build time that names the same instant as the build date text.
#include <algorithm>
#include <ctime>

#include "host_fixture.h"

using namespace tktest;

namespace {

TEST(Version, RecordCopy)
{
    alignas(8) unsigned char a[224], b[224];
    std::memset(a, 0xEE, sizeof a);
    std::memset(b, 0x11, sizeof b);
    EXPECT_EQ(tkvercn1(a) + tkvercn1(b), 0);
    EXPECT_EQ(std::memcmp(a, b, 208), 0);
    EXPECT_EQ(std::memcmp(a, &info, 208), 0);
    EXPECT_EQ(a[208], 0xEE) << "exactly 208 bytes are written";
    uint64_t words[26];
    std::memcpy(words, a, sizeof words);
    for (int i = 0; i < 26; i++)
        EXPECT_EQ(words[i] == 0, i >= 17) << "word " << i;
}

// Each text: its length and the characters it may hold, or its exact value.
TEST(Version, Texts)
{
    TKVersionInfo v;
    tkvercn1(&v);
    const std::string digits = "0123456789", upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                      lower = "abcdefghijklmnopqrstuvwxyz";
    const struct {
        const char *text;
        size_t length;
        std::string chars; // empty: the text must equal `value`
        std::string value;
    } fields[] = {
        {v.release, 18, digits + upper + ".", ""},
        {v.location, 30, digits + lower + "-/:", ""},
        {v.ident8, 8, digits + upper + lower, ""},
        {v.ident19, 19, digits + upper + lower + "-/", ""},
        {v.platform, 5, lower, ""},
        {v.product, 5, "", "rizuv"},
        {v.family, 5, "", "tkext"},
        {v.version_key, 7, "", "version"},
        {v.separator, 2, "", "::"},
        {v.hotfix, 65, "", "ZYL_VERSION_HOTFIX_NUMBER=" + std::string(39, ' ')},
        {v.image, 65, "", "VERCON_IMAGE_DESCRIPTION=" + std::string(40, ' ')},
        {v.empty16, 0, "", ""},
        {v.empty64, 0, "", ""},
        {v.empty88, 0, "", ""},
        {v.empty104, 0, "", ""},
    };
    for (const auto &f : fields) {
        std::string t = f.text ? f.text : "(null)";
        EXPECT_TRUE(t.size() == f.length && (f.chars.empty() ? t == f.value
                                                             : t.find_first_not_of(f.chars) == std::string::npos))
            << "'" << t << "'";
    }
    EXPECT_EQ(std::count(v.location, v.location + 30, ':'), 1) << v.location;
}

TEST(Version, BuildTimeAndDateAgree)
{
    TKVersionInfo v;
    tkvercn1(&v);
    std::tm tm{};
    ASSERT_EQ(std::strlen(v.build_date), 28u) << v.build_date;
    const char *end = strptime(v.build_date, "%a %b %d %H:%M:%S UTC %Y", &tm);
    ASSERT_TRUE(end && *end == 0) << v.build_date;
    EXPECT_EQ(static_cast<uint64_t>(timegm(&tm)), v.build_time) << v.build_date;
    char weekday[4];
    std::strftime(weekday, sizeof weekday, "%a", &tm);
    EXPECT_EQ(std::string(v.build_date, 3), weekday);
}

} // namespace
