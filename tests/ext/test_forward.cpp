// The forwarders: message and status reports with a variable tail read
// back intact by the stand-in message service, the locale query, and the
// byte-string operations built on the string service.
#include <algorithm>

#include "host_fixture.h"

using namespace tktest;

namespace {

// Each forwarder hands its variable tail to its own entry of the message
// service and passes back the service's status; what reached the service
// shows in the texts it wrote.
TEST(Forward, MessagesCarryTheirTail)
{
    tkhost::MessageService svc;
    char buf[128];
    int64_t len = -1;
    EXPECT_EQ(tklMessageToBuf(svc.object(), buf, sizeof buf, &len, 2, "%d|%.17g|%s|%lld|%a", 42,
                              0.1, "txt", -5LL, -0.0),
              0);
    EXPECT_STREQ(buf, "INFO: 42|0.10000000000000001|txt|-5|-0x0p+0");
    EXPECT_EQ(len, static_cast<int64_t>(std::strlen(buf)));
    EXPECT_EQ(tklMessageToBuf(svc.object(), buf, 8, &len, 2, "%s", "truncated text"), 1);
    EXPECT_STREQ(buf, "INFO: t");

    EXPECT_EQ(tklMessageToJnl(svc.object(), 3, "yrdif", "%.3f and %u", 2.5, 7u), 0);
    EXPECT_EQ(tklStatusToJnl(svc.object(), 4, static_cast<int64_t>(-2143305726)), 0);
    EXPECT_EQ(tklStatusToBuf(svc.object(), buf, sizeof buf, 4, 12345, 99LL), 0);
    EXPECT_STREQ(buf, "ERROR: 0x00003039: Status 99.");
    EXPECT_EQ(svc.lines(),
              (std::vector<std::string>{
                  "WARNING: yrdif: 2.500 and 7",
                  "ERROR: 0x803FC002: The extension instance could not be created."}));

    svc.set_locale("de_CH");
    EXPECT_STREQ(tklGetLocale(svc.object(), 0), "de_CH");
    EXPECT_EQ(tklGetLocale(svc.object(), 1), nullptr);
}

// One search of the string service a byte, up to the first byte found
// (the guarded-range test checks the results at every length), and none
// for a length of 0 or less.
TEST(Forward, StringOperations)
{
    tkhost::StringService svc;
    auto b = [](const char *s) { return reinterpret_cast<const uint8_t *>(s); };
    for (int32_t n : {-3, 0, 12}) {
        svc.calls.reset();
        EXPECT_EQ(rdl_zstrcsp(svc.object(), b("hello, world"), n, b(",xd"), 3), n > 0 ? 5 : -1);
        uint8_t t[] = "a-b_c-d";
        rdl_zstrans(svc.object(), t, std::min(n, 7), b("+="), b("-_"), 2);
        EXPECT_STREQ(reinterpret_cast<char *>(t), n > 0 ? "a+b=c+d" : "a-b_c-d");
        EXPECT_EQ(svc.calls[TKH_STR_SPAN], n > 0 ? 6 + 7 : 0) << n;
    }
    EXPECT_EQ(rdl_zstrlen(svc.object(), b("caf\xC3\xA9")), 5);
    uint8_t out[16] = {};
    EXPECT_EQ(rdl_zquote(svc.object(), b("it's"), 4, out, 16), 7);
    EXPECT_STREQ(reinterpret_cast<char *>(out), "'it''s'");
    EXPECT_EQ(rdl_zquote(svc.object(), b("long"), 4, out, 3), -1);
    // An entry that writes no result leaves the forwarder's preset 0.
    void *silent[tkhost::kWords] = {};
    silent[TKH_STR_QUOTE] = reinterpret_cast<void *>(
        +[](void *, const uint8_t *, int64_t, uint8_t *, int64_t, int32_t *, int32_t) {
            return int32_t{77};
        });
    EXPECT_EQ(rdl_zquote(silent, b("a"), 1, out, 4), 0);
}

} // namespace
