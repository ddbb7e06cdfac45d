/*
 * version.cpp - the version record `info` and tkvercn1, which copies it.
 *
 * Every text is a literal in read-only data, so a copy of the record stays
 * valid while the module is loaded; empty fields point at an empty text,
 * never null.  The build supplies its own values (see CMakeLists.txt):
 * the release, the build location, two identifiers, the platform tag, and
 * the build time with its date text, both naming the same instant.
 */
#include <string.h>

#include "tkyrdif.h"

#define LENGTH_IS(text, n) static_assert(sizeof(text) == (n) + 1, #text " has the wrong length")

LENGTH_IS(TK_BUILD_RELEASE, 18);
LENGTH_IS(TK_BUILD_LOCATION, 30);
LENGTH_IS(TK_BUILD_IDENT8, 8);
LENGTH_IS(TK_BUILD_IDENT19, 19);
LENGTH_IS(TK_BUILD_PLATFORM, 5);
LENGTH_IS(TK_BUILD_DATE, 28);

/* How many characters of text are c, and whether all of them are among
 * chars: the build's texts have fixed character sets. */
static constexpr int count_of(const char *text, char c)
{
    int n = 0;
    for (; *text; text++)
        n += *text == c;
    return n;
}

static constexpr bool made_of(const char *text, const char *chars)
{
    for (; *text; text++)
        if (count_of(chars, *text) == 0)
            return false;
    return true;
}

#define DIGITS "0123456789"
#define UPPER "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
#define LOWER "abcdefghijklmnopqrstuvwxyz"
static_assert(made_of(TK_BUILD_RELEASE, DIGITS UPPER "."), "release: digits, upper case, dots");
static_assert(made_of(TK_BUILD_LOCATION, DIGITS LOWER "-/:") && count_of(TK_BUILD_LOCATION, ':') == 1,
              "location: digits, lower case, - and /, one :");
static_assert(made_of(TK_BUILD_IDENT8, DIGITS UPPER LOWER), "ident8: letters and digits");
static_assert(made_of(TK_BUILD_IDENT19, DIGITS UPPER LOWER "-/"), "ident19: letters, digits, - and /");
static_assert(made_of(TK_BUILD_PLATFORM, LOWER), "platform: lower case");

/* Fixed-width markers: key, '=', then blanks to 65 characters. */
#define HOTFIX_MARKER "ZYL_VERSION_HOTFIX_NUMBER=                                       "
#define IMAGE_MARKER "VERCON_IMAGE_DESCRIPTION=                                        "
LENGTH_IS(HOTFIX_MARKER, 65);
LENGTH_IS(IMAGE_MARKER, 65);

static const char empty[] = "";

const TKVersionInfo info = {
    TK_BUILD_RELEASE,
    TK_BUILD_LOCATION,
    empty,
    TK_BUILD_TIME, /* seconds since 1970-01-01 00:00 UTC */
    "rizuv",
    TK_BUILD_IDENT8,
    "tkext",
    TK_BUILD_IDENT19,
    empty,
    "version",
    "::",
    empty,
    HOTFIX_MARKER,
    empty,
    IMAGE_MARKER,
    TK_BUILD_PLATFORM,
    TK_BUILD_DATE,
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

/* Copies the 208-byte record, zero tail included, into buf. */
int32_t tkvercn1(void *buf)
{
    memcpy(buf, &info, sizeof info);
    return 0;
}
