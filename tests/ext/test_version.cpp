// The version record: 208 bytes, stable copies, texts of the stated forms
// and lengths, and a build time that names the same instant as the build
// date text.
#include <algorithm>
#include <cctype>
#include <ctime>

#include "host_fixture.h"

using namespace tktest;

namespace {

TEST(Version, RecordCopy)
{
    alignas(8) unsigned char a[224], b[224];
    std::memset(a, 0xEE, sizeof a);
    std::memset(b, 0x11, sizeof b);
    EXPECT_EQ(tkvercn1(a), 0);
    EXPECT_EQ(tkvercn1(b), 0);
    EXPECT_EQ(std::memcmp(a, b, 208), 0);
    EXPECT_EQ(a[208], 0xEE) << "exactly 208 bytes are written";
    EXPECT_EQ(std::memcmp(a, &info, 208), 0);

    uint64_t words[26];
    std::memcpy(words, a, sizeof words);
    for (int i = 0; i < 26; i++)
        EXPECT_EQ(words[i] == 0, i >= 17) << "word " << i;
}

TEST(Version, Texts)
{
    TKVersionInfo v;
    tkvercn1(&v);
    // Every character from the allowed set, and the given length.
    auto made_of = [](const char *s, size_t len, const char *extra, bool upper, bool lower) {
        if (std::strlen(s) != len)
            return false;
        for (const char *p = s; *p; p++) {
            bool ok = std::isdigit(static_cast<unsigned char>(*p)) || std::strchr(extra, *p) ||
                      (upper && std::isupper(static_cast<unsigned char>(*p))) ||
                      (lower && std::islower(static_cast<unsigned char>(*p)));
            if (!ok)
                return false;
        }
        return true;
    };
    EXPECT_TRUE(made_of(v.release, 18, ".", true, false)) << v.release;
    EXPECT_TRUE(made_of(v.location, 30, "-/:", false, true)) << v.location;
    EXPECT_EQ(std::count(v.location, v.location + 30, ':'), 1) << v.location;
    EXPECT_TRUE(made_of(v.ident8, 8, "", true, true)) << v.ident8;
    EXPECT_TRUE(made_of(v.ident19, 19, "-/", true, true)) << v.ident19;
    EXPECT_TRUE(made_of(v.platform, 5, "", false, true) &&
                std::none_of(v.platform, v.platform + 5, ::isdigit))
        << v.platform;
    EXPECT_STREQ(v.product, "rizuv");
    EXPECT_STREQ(v.family, "tkext");
    EXPECT_STREQ(v.version_key, "version");
    EXPECT_STREQ(v.separator, "::");
    for (const char *e : {v.empty16, v.empty64, v.empty88, v.empty104}) {
        ASSERT_NE(e, nullptr);
        EXPECT_STREQ(e, "");
    }
    EXPECT_EQ(std::string(v.hotfix), "ZYL_VERSION_HOTFIX_NUMBER=" + std::string(39, ' '));
    EXPECT_EQ(std::string(v.image), "VERCON_IMAGE_DESCRIPTION=" + std::string(40, ' '));
    EXPECT_EQ(v.hotfix[65], '\0');
    EXPECT_EQ(v.image[65], '\0');
}

TEST(Version, BuildTimeAndDateAgree)
{
    TKVersionInfo v;
    tkvercn1(&v);
    EXPECT_EQ(v.build_time >> 32, 0u);
    ASSERT_EQ(std::strlen(v.build_date), 28u) << v.build_date;
    std::tm tm{};
    char zone[8] = {};
    ASSERT_NE(strptime(v.build_date, "%a %b %d %H:%M:%S", &tm), nullptr) << v.build_date;
    std::sscanf(v.build_date + 20, "%3s", zone);
    EXPECT_STREQ(zone, "UTC");
    tm.tm_year = std::atoi(v.build_date + 24) - 1900;
    EXPECT_EQ(static_cast<uint64_t>(timegm(&tm)), v.build_time) << v.build_date;
    char weekday[4];
    std::strftime(weekday, sizeof weekday, "%a", &tm);
    EXPECT_EQ(std::string(v.build_date, 3), weekday);
}

} // namespace
