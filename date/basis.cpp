/*
 * basis.cpp - the day-count basis parsers: zdatdci (UTF-32 text, by
 * substring search) and zdatdciS (byte text, converted by the host's string
 * service, then read token by token by get_convention and get_conv_part).
 *
 * The two accept different sets of texts on purpose ("ACT" alone is
 * 'ACT/ACT' for zdatdciS and rejected by zdatdci, for example); each keeps
 * its own rules exactly.  Both parse a copy of at most 256 units in a stack
 * buffer and never change the caller's text.
 *
 * Relies on: the search and trim of tkzsndx and tkzstrp (inline, from
 * strkernel/search.h), tkzstup (which may call the host's
 * case-mapping service), skStrUp, and entry 64 of the string service found
 * at byte 80 of the call context.
 */
#include <string.h>

#include "strkernel/search.h"
#include "tkyrdif.h"

/* Working copies hold at most this many characters or bytes. */
#define BASIS_COPY_MAX 256

/* ---- zdatdci ------------------------------------------------------------- */

static const uint32_t tok_30[] = {'3', '0'};
static const uint32_t tok_360[] = {'3', '6', '0'};
static const uint32_t tok_365[] = {'3', '6', '5'};
static const uint32_t tok_act[] = {'A', 'C', 'T'};
static const uint32_t tok_actual[] = {'A', 'C', 'T', 'U', 'A', 'L'};
static const uint32_t tok_age[] = {'A', 'G', 'E'};
#define TOKEN(t) (t), (int64_t)(sizeof(t) / sizeof((t)[0]))

/* "B follows A": the first occurrence of A ends at j, at least three
 * characters remain after j (signed test), and B occurs in [j, t). */
static int follows(const uint32_t *s, int64_t t, const uint32_t *a, int64_t a_len,
                   const uint32_t *b, int64_t b_len)
{
    int64_t i = sk_search(s, t, a, a_len);
    if (i < 0)
        return 0;
    int64_t j = i + a_len;
    if (t - j < 3)
        return 0;
    return sk_search(s + j, t - j, b, b_len) >= 0;
}

static int occurs(const uint32_t *s, int64_t t, const uint32_t *a, int64_t a_len)
{
    return sk_search(s, t, a, a_len) >= 0;
}

/* ---- the common spellings, before the rules ---------------------------- */

/* Up to eight ASCII characters packed into one word, the first in the low
 * byte: the key of a spelling.  0 when the text is longer or not ASCII. */
#define SPELL_KEY_MAX 8
template <class Unit> static inline uint64_t spelling_key(const Unit *text, int64_t n)
{
    if (n <= 0 || n > SPELL_KEY_MAX)
        return 0;
    uint64_t key = 0;
    for (int64_t i = 0; i < n; i++) {
        uint64_t c = text[i];
        if (c == 0 || c >= 128)
            return 0;
        key |= c << (8 * i);
    }
    return key;
}

static constexpr uint64_t key_of(const char *s)
{
    uint64_t key = 0;
    for (int i = 0; s[i]; i++)
        key |= (uint64_t)(uint8_t)s[i] << (8 * i);
    return key;
}

/* Spellings most calls pass, the five bases as written first, with the
 * code the rules give them (for both parsers alike; the basis table of the
 * tests holds every one, and the parser fuzzer checks any text against the
 * rules alone).  Trailing blanks are trimmed before the look-up, as the
 * rules trim them. */
struct Spelling {
    uint64_t key;
    int32_t code;
};
static constexpr Spelling kSpellings[] = {
    {key_of("ACT/ACT"), TK_BASIS_ACT_ACT}, {key_of("30/360"), TK_BASIS_30_360},
    {key_of("ACT/365"), TK_BASIS_ACT_365}, {key_of("ACT/360"), TK_BASIS_ACT_360},
    {key_of("AGE"), TK_BASIS_AGE},         {key_of("act/act"), TK_BASIS_ACT_ACT},
    {key_of("Act/Act"), TK_BASIS_ACT_ACT}, {key_of("ACTUAL"), TK_BASIS_ACT_ACT},
    {key_of("Actual"), TK_BASIS_ACT_ACT},  {key_of("actual"), TK_BASIS_ACT_ACT},
    {key_of("act/360"), TK_BASIS_ACT_360}, {key_of("Act/360"), TK_BASIS_ACT_360},
    {key_of("act/365"), TK_BASIS_ACT_365}, {key_of("Act/365"), TK_BASIS_ACT_365},
    {key_of("age"), TK_BASIS_AGE},         {key_of("Age"), TK_BASIS_AGE},
};

/* The code of a common spelling (trailing blanks aside), or 0 to go on
 * with the rules.  Reads no more than len units. */
template <class Unit> static inline int32_t common_spelling(const Unit *text, int64_t len)
{
    if (text == nullptr || len <= 0)
        return 0;
    int64_t n = len;
    while (n > 0 && text[n - 1] == ' ')
        n--;
    uint64_t key = spelling_key(text, n);
    if (key == 0)
        return 0;
    for (const Spelling &s : kSpellings)
        if (s.key == key)
            return s.code;
    return 0;
}

/* Stores the basis code of a UTF-32 text and returns 0, or stores 0 and
 * returns 1.  The tests run in this order, each a fresh search: the digit
 * rules on the text as given, then the letter rules on its upper-cased
 * copy, then any "360" that no letter rule claimed. */
int32_t zdatdci(const uint32_t *text, int32_t len, int32_t flag, int32_t *code, void *ctx)
{
    (void)flag;
    (void)ctx;
    /* A common spelling within the first 256 characters, blanks after it
     * included, is the whole text the rules would read. */
    if (int32_t common = common_spelling(text, len > BASIS_COPY_MAX ? 0 : len)) {
        *code = common;
        return 0;
    }
    uint32_t copy[BASIS_COPY_MAX];
    int64_t n = len <= 0 || text == nullptr ? 0 : len > BASIS_COPY_MAX ? BASIS_COPY_MAX : len;
    if (n > 0)
        memcpy(copy, text, (size_t)n * sizeof copy[0]);
    int64_t t = sk_trim(copy, (uint64_t)n); /* 0 .. 256 */
    if (t == 0) { /* empty or all blanks: no token can match */
        *code = 0;
        return 1;
    }

    int32_t c = 0;
    int found_360 = 0;
    if (follows(copy, t, TOKEN(tok_30), TOKEN(tok_360))) {
        c = TK_BASIS_30_360;
    } else if ((found_360 = occurs(copy, t, TOKEN(tok_360))) &&
               follows(copy, t, TOKEN(tok_360), TOKEN(tok_360))) {
        c = TK_BASIS_30_360;
    } else {
        tkzstup(copy, t);
        if (follows(copy, t, TOKEN(tok_act), TOKEN(tok_act)))
            c = TK_BASIS_ACT_ACT;
        else if (follows(copy, t, TOKEN(tok_act), TOKEN(tok_360)))
            c = TK_BASIS_ACT_360;
        else if (follows(copy, t, TOKEN(tok_act), TOKEN(tok_365)))
            c = TK_BASIS_ACT_365;
        else if (occurs(copy, t, TOKEN(tok_actual)))
            c = TK_BASIS_ACT_ACT;
        else if (occurs(copy, t, TOKEN(tok_age)))
            c = TK_BASIS_AGE;
        else if (found_360)
            c = TK_BASIS_30_360;
    }
    *code = c;
    return c == 0;
}

/* ---- zdatdciS and its token reader -------------------------------------- */

/* Part codes of get_conv_part. */
enum {
    PART_NONE = -1,
    PART_ACT = 2,
    PART_AGE = 3,
    PART_365 = 4,
    PART_360 = 5,
    PART_30 = 6
};

/* Reads one token from *cursor, looking at no more than len bytes: skips to
 * the first 'A' or '3' and names the token that starts there, advancing the
 * cursor past it (or past the two bytes that failed to make one). */
int32_t get_conv_part(const uint8_t **cursor, int32_t len)
{
    if (len <= 0)
        return PART_NONE;
    const uint8_t *s = *cursor;
    int32_t p = 0;
    while (p < len && s[p] != 'A' && s[p] != '3')
        p++;
    if (p == len) {
        *cursor = s + len;
        return PART_NONE;
    }
    int32_t rest = len - p; /* bytes from the found one to the end: 1 .. len */
    const uint8_t *t = s + p;
    int32_t part = PART_NONE;
    int32_t used = 2;
    if (t[0] == '3') {
        if (rest >= 2 && t[1] == '6') {
            used = 3;
            if (rest >= 3 && t[2] == '5')
                part = PART_365;
            else if (rest >= 3 && t[2] == '0')
                part = PART_360;
        } else if (rest >= 2 && t[1] == '0') {
            part = PART_30;
        }
    } else if (rest >= 3 && t[1] == 'C' && t[2] == 'T') {
        part = PART_ACT;
        used = rest >= 6 && t[3] == 'U' && t[4] == 'A' && t[5] == 'L' ? 6 : 3;
    } else if (rest >= 3 && t[1] == 'G' && t[2] == 'E') {
        part = PART_AGE;
        used = 3;
    }
    *cursor = t + used;
    return part;
}

/* Upper-cases the text in place and reads at most two tokens: the basis
 * code 1 to 5, or -1. */
int32_t get_convention(uint8_t *text, int32_t len)
{
    if (len < 0)
        len = 0;
    skStrUp(text, len);
    const uint8_t *cursor = text;
    int32_t p1 = get_conv_part(&cursor, len);
    if (p1 != PART_ACT && p1 != PART_360 && p1 != PART_30)
        return p1 == PART_AGE ? TK_BASIS_AGE : -1;
    int32_t p2 = get_conv_part(&cursor, len - (int32_t)(cursor - text));
    switch (p1) {
    case PART_ACT:
        return p2 == PART_360 ? TK_BASIS_ACT_360 : p2 == PART_365 ? TK_BASIS_ACT_365
                                                                  : TK_BASIS_ACT_ACT;
    case PART_30:
        return p2 == PART_360 ? TK_BASIS_30_360 : -1;
    default: /* "360": the second part is read and ignored */
        return TK_BASIS_30_360;
    }
}

/* Copies at most 256 bytes, has the string service convert the copy in
 * place, and reads the result.  Stores the code, -1 included; returns 1
 * for -1.  A context without a string service leaves the copy as it is; a
 * count the service returns outside 0 .. n is held to that range. */
int32_t zdatdciS(const uint8_t *text, int32_t len, int32_t flag, int32_t *code, void *ctx)
{
    (void)flag;
    uint8_t copy[BASIS_COPY_MAX];
    int32_t n = len <= 0 || text == nullptr ? 0 : len > BASIS_COPY_MAX ? BASIS_COPY_MAX : len;
    if (n > 0)
        memcpy(copy, text, (size_t)n);
    int32_t m = n;
    void *svc = ctx ? tkh_word(ctx, TKH_CALLCTX_STRING_SERVICE_OFFSET / 8) : nullptr;
    if (svc) {
        tkhStrConvertFn convert = TKH_ENTRY(tkhStrConvertFn, svc, TKH_STR_CONVERT);
        m = convert(svc, copy, n, 0);
        if (m < 0)
            m = 0;
        if (m > n)
            m = n;
    }
    /* The converted text, when it is a common spelling (get_convention
     * would upper-case the copy in place; nobody reads it after this). */
    int32_t c = common_spelling(copy, m);
    if (c == 0)
        c = get_convention(copy, m);
    *code = c;
    return c == -1;
}
