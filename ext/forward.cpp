/*
 * forward.cpp - thin forwarders to host services.
 *
 * The tkl forwarders hand their fixed arguments, unchanged and in order,
 * and their variable tail as one va_list to the message service's entries
 * 4 to 7; tklGetLocale hands its whole call to entry 12.  The rdl_z
 * forwarders build byte-string operations on the string service's entries
 * 51, 65 and 72, widening 32-bit lengths to 64 bits with their sign.
 *
 * None checks the service for null: the caller provides a valid one.
 */
#include <stdarg.h>

#include "tkyrdif.h"

int32_t tklMessageToBuf(void *svc, char *buf, int64_t cap, int64_t *len, int32_t level,
                        const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int32_t rc = TKH_ENTRY(tkhMessageToBufFn, svc, TKH_MSG_MESSAGE_TO_BUF)(svc, buf, cap, len,
                                                                          level, fmt, ap);
    va_end(ap);
    return rc;
}

int32_t tklMessageToJnl(void *svc, int32_t level, const char *origin, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    int32_t rc = TKH_ENTRY(tkhMessageToJnlFn, svc, TKH_MSG_MESSAGE_TO_JNL)(svc, level, origin,
                                                                          fmt, ap);
    va_end(ap);
    return rc;
}

int32_t tklStatusToBuf(void *svc, char *buf, int64_t cap, int32_t level, int64_t status, ...)
{
    va_list ap;
    va_start(ap, status);
    int32_t rc = TKH_ENTRY(tkhStatusToBufFn, svc, TKH_MSG_STATUS_TO_BUF)(svc, buf, cap, level,
                                                                        status, ap);
    va_end(ap);
    return rc;
}

int32_t tklStatusToJnl(void *svc, int32_t level, int64_t status, ...)
{
    va_list ap;
    va_start(ap, status);
    int32_t rc = TKH_ENTRY(tkhStatusToJnlFn, svc, TKH_MSG_STATUS_TO_JNL)(svc, level, status, ap);
    va_end(ap);
    return rc;
}

const char *tklGetLocale(void *svc, int32_t category)
{
    return TKH_ENTRY(tkhGetLocaleFn, svc, TKH_MSG_GET_LOCALE)(svc, category);
}

/* Position of byte *b within the set, or -1: one search of entry 51. */
static inline int32_t find_in_set(void *svc, const uint8_t *set, int32_t set_len,
                                  const uint8_t *b)
{
    return TKH_ENTRY(tkhStrSpanFn, svc, TKH_STR_SPAN)(svc, set, (int64_t)set_len, b, 1, 0);
}

int32_t rdl_zstrcsp(void *svc, const uint8_t *text, int32_t n, const uint8_t *set,
                    int32_t set_len)
{
    for (int32_t i = 0; i < n; i++)
        if (find_in_set(svc, set, set_len, text + i) != -1)
            return i;
    return -1;
}

void rdl_zstrans(void *svc, uint8_t *text, int32_t n, const uint8_t *table, const uint8_t *set,
                 int32_t set_len)
{
    for (int32_t i = 0; i < n; i++) {
        int32_t p = find_in_set(svc, set, set_len, text + i);
        if (p != -1)
            text[i] = table[p];
    }
}

int32_t rdl_zstrlen(void *svc, const uint8_t *text)
{
    int64_t bytes, other; /* the entry always writes the first word */
    TKH_ENTRY(tkhStrLengthFn, svc, TKH_STR_LENGTH)(svc, text, &bytes, &other, 0);
    return (int32_t)bytes;
}

int32_t rdl_zquote(void *svc, const uint8_t *text, int32_t len, uint8_t *out, int32_t out_len)
{
    int32_t result = 0;
    TKH_ENTRY(tkhStrQuoteFn, svc, TKH_STR_QUOTE)(svc, text, (int64_t)len, out,
                                                 (int64_t)out_len, &result, 0);
    return result;
}
