// The version record: 208 bytes, stable copies, texts of the stated forms,
// and a build time that names the same instant as the build date text.
#include <ctime>
#include <regex>

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

TEST(Version, Texts)
{
    TKVersionInfo v;
    tkvercn1(&v);
    const std::pair<const char *, const char *> fields[] = {
        {v.release, "[0-9A-Z.]{18}"},
        {v.location, "[0-9a-z/-]*:[0-9a-z/-]*"},
        {v.ident8, "[0-9A-Za-z]{8}"},
        {v.ident19, "[0-9A-Za-z/-]{19}"},
        {v.platform, "[a-z]{5}"},
        {v.product, "rizuv"},
        {v.family, "tkext"},
        {v.version_key, "version"},
        {v.separator, "::"},
        {v.hotfix, "ZYL_VERSION_HOTFIX_NUMBER= {39}"},
        {v.image, "VERCON_IMAGE_DESCRIPTION= {40}"},
        {v.empty16, ""},
        {v.empty64, ""},
        {v.empty88, ""},
        {v.empty104, ""},
        {v.build_date, "(Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} [ 0-3][0-9] "
                       "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] UTC [0-9]{4}"},
    };
    for (const auto &[text, form] : fields)
        EXPECT_TRUE(text && std::regex_match(text, std::regex(form))) << (text ? text : "null");
    EXPECT_EQ(std::strlen(v.location), 30u);
}

TEST(Version, BuildTimeAndDateAgree)
{
    TKVersionInfo v;
    tkvercn1(&v);
    std::tm tm{};
    ASSERT_NE(strptime(v.build_date, "%a %b %d %H:%M:%S UTC %Y", &tm), nullptr) << v.build_date;
    EXPECT_EQ(static_cast<uint64_t>(timegm(&tm)), v.build_time) << v.build_date;
    char weekday[4];
    std::strftime(weekday, sizeof weekday, "%a", &tm);
    EXPECT_EQ(std::string(v.build_date, 3), weekday);
}

} // namespace
