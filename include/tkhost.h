/*
 * tkhost.h - the host kernel interface.
 *
 * The module reaches the host only through host objects: an object begins
 * with a table of 8-byte words, entry n lies at byte offset 8n and is called
 * with the object itself as first argument.  This header names every entry
 * the module uses, gives each a typed function-pointer declaration, and
 * offers small inline callers so that no file casts entry words by hand.
 *
 * Relies on: nothing but <stdint.h> and <stdarg.h>; usable from C and C++.
 */
#ifndef TKHOST_H
#define TKHOST_H

#include <stdarg.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Entry numbers and word indexes, per object. */
enum {
    /* kernel handle */
    TKH_KERNEL_JOURNAL_CREATE = 5,
    TKH_KERNEL_POOL_CREATE = 6,
    TKH_KERNEL_OPTION_LOOKUP = 14,
    TKH_KERNEL_CASEMAP_WORD = 27, /* data word: case-mapping service or null */

    /* case-mapping service */
    TKH_CASEMAP_UPPER = 31,
    TKH_CASEMAP_LOWER = 32,

    /* pool */
    TKH_POOL_DESTROY = 2,
    TKH_POOL_ALLOC = 3,

    /* instance journal */
    TKH_JOURNAL_DESTROY = 2,
    TKH_JOURNAL_CLOSE = 3,

    /* message service */
    TKH_MSG_MESSAGE_TO_BUF = 4,
    TKH_MSG_MESSAGE_TO_JNL = 5,
    TKH_MSG_STATUS_TO_BUF = 6,
    TKH_MSG_STATUS_TO_JNL = 7,
    TKH_MSG_GET_LOCALE = 12,

    /* string service */
    TKH_STR_SPAN = 51,
    TKH_STR_CONVERT = 64,
    TKH_STR_QUOTE = 65,
    TKH_STR_LENGTH = 72
};

/* Option lookup: kind of an integer option, and the byte offset of the
 * string service inside a call context. */
enum { TKH_OPTION_KIND_INTEGER = 3 };
enum { TKH_CALLCTX_STRING_SERVICE_OFFSET = 80 };

/* Flags and record values that the extension start-up hands to the kernel. */
#define TKH_POOL_FLAGS_INSTANCE 0x80000000u
#define TKH_JOURNAL_RECORD_FLAGS 0x40000000u
#define TKH_POOL_RECORD_SIZE 24
#define TKH_JOURNAL_RECORD_SIZE 88
#define TKH_JOURNAL_RECORD_FLAGS_OFFSET 16

/* Host status codes the module produces. */
#define TKH_STATUS_INSTANCE_FAILED ((int32_t)0x803FC002)
#define TKH_STATUS_UNSUPPORTED ((int32_t)0x803FC004)

/* ---- entry types ------------------------------------------------------ */

/* kernel 14: option lookup.  Returns 0 when *value holds the option. */
typedef int32_t (*tkhOptionLookupFn)(void *kernel, const uint32_t *name, int64_t name_len,
                                     int32_t kind, int64_t *value, int64_t *size);
/* kernel 6: pool creation from a 24-byte record. */
typedef void *(*tkhPoolCreateFn)(void *kernel, void *record, void *msg_service,
                                 const char *name);
/* kernel 5: journal creation from an 88-byte record. */
typedef void *(*tkhJournalCreateFn)(void *kernel, void *record, int64_t zero,
                                    const uint32_t *name);
/* case-mapping service 31 / 32. */
typedef uint32_t (*tkhCaseMapFn)(void *service, uint32_t ch, int32_t one);
/* pool 3: allocation. */
typedef void *(*tkhPoolAllocFn)(void *pool, int64_t size, uint32_t flags);
/* pool 2, journal 2, journal 3. */
typedef int32_t (*tkhObjectFn)(void *object);

/* message service 4..7: the fixed arguments, then the caller's va_list. */
typedef int32_t (*tkhMessageToBufFn)(void *svc, char *buf, int64_t cap, int64_t *len,
                                     int32_t level, const char *fmt, va_list ap);
typedef int32_t (*tkhMessageToJnlFn)(void *svc, int32_t level, const char *origin,
                                     const char *fmt, va_list ap);
typedef int32_t (*tkhStatusToBufFn)(void *svc, char *buf, int64_t cap, int32_t level,
                                    int64_t status, va_list ap);
typedef int32_t (*tkhStatusToJnlFn)(void *svc, int32_t level, int64_t status, va_list ap);
/* message service 12: the locale of a category. */
typedef const char *(*tkhGetLocaleFn)(void *svc, int32_t category);

/* string service 51: position of one byte within a set, or -1. */
typedef int32_t (*tkhStrSpanFn)(void *svc, const uint8_t *set, int64_t set_len,
                                const uint8_t *byte, int64_t count, int32_t zero);
/* string service 64: converts a buffer in place; returns the new count. */
typedef int32_t (*tkhStrConvertFn)(void *svc, uint8_t *buf, int64_t count, int32_t zero);
/* string service 65: quotes a text into a second one; result in *result. */
typedef int32_t (*tkhStrQuoteFn)(void *svc, const uint8_t *text, int64_t len, uint8_t *out,
                                 int64_t out_len, int32_t *result, int32_t zero);
/* string service 72: length of a NUL-terminated text into *bytes. */
typedef int32_t (*tkhStrLengthFn)(void *svc, const uint8_t *text, int64_t *bytes,
                                  int64_t *chars, int32_t zero);

/* ---- access ----------------------------------------------------------- */

/* Word n of a host object. */
static inline void *tkh_word(const void *object, int n)
{
    return ((void *const *)object)[n];
}

#define TKH_ENTRY(type, object, n) ((type)tkh_word((object), (n)))

#ifdef __cplusplus
}
#endif

#endif /* TKHOST_H */
