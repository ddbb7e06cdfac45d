/*
 * tkyrdif.h - everything the module exports: the extension protocol, the
 * YRDIF entry points and the records they exchange with the host, the
 * version record, the forwarders, the calendar conversions, the basis
 * parsers, the date difference engine and the string and memory kernel.
 *
 * Every name here has C linkage and default visibility; the rest of the
 * module is hidden.  Records carry static layout checks so that a change of
 * offset breaks the build, not the host.
 *
 * Relies on: tkhost.h for the host objects.
 */
#ifndef TKYRDIF_H
#define TKYRDIF_H

#include <stddef.h>
#include <stdint.h>

#include "tkhost.h"

#ifdef __cplusplus
#define TK_EXTERN_C extern "C"
#else
#define TK_EXTERN_C extern
#endif
/* Compiled into a binding (TK_EMBEDDED), the engine keeps every name
 * inside the binding's library, so that it never interposes on a module
 * loaded into the same process. */
#ifdef TK_EMBEDDED
#define TK_EXPORT TK_EXTERN_C __attribute__((visibility("hidden")))
#else
#define TK_EXPORT TK_EXTERN_C __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- shared values ---------------------------------------------------- */

/* The missing value, as its one bit pattern. */
#define TK_MISSING_BITS 0xFFFFFE0000000000ull

/* The missing value as a double; always exactly TK_MISSING_BITS. */
static inline double tk_missing(void)
{
    uint64_t bits = TK_MISSING_BITS;
    double d;
    __builtin_memcpy(&d, &bits, sizeof d);
    return d;
}

/* Basis codes. */
enum {
    TK_BASIS_30_360 = 1,
    TK_BASIS_ACT_ACT = 2,
    TK_BASIS_ACT_360 = 3,
    TK_BASIS_ACT_365 = 4,
    TK_BASIS_AGE = 5
};

/* Status of an entry point that failed. */
#define TK_YRDIF_FAILED 120836 /* 0x1D804 */

/* ---- records exchanged with the host ---------------------------------- */

/* One argument slot of a function-call record: a host word, then the
 * pointer to the argument's value. */
typedef struct TKFuncArg {
    void *host;
    const void *value;
} TKFuncArg;

/* Function-call record: 32 host bytes, the argument count, then 16-byte
 * argument slots (the value pointer of argument i at 48 + 16 (i - 1)). */
typedef struct TKFuncCall {
    uint8_t host[32];
    int64_t argc;
    TKFuncArg args[3];
} TKFuncCall;

/* Character value: the basis text of argument 3. */
typedef struct TKCharValue {
    uint8_t host0[8];
    int32_t len; /* characters for YRDIF, bytes for YRDIF# */
    uint8_t host12[4];
    const void *text;
} TKCharValue;

typedef int32_t (*TKEntryPoint)(const TKFuncCall *call, double *result, void *ctx);

/* Function descriptor, 48 bytes. */
typedef struct TKFuncDesc {
    const uint32_t *name; /* UTF-32, zero-terminated */
    uint32_t zero8;
    uint16_t min_args;
    uint16_t max_args;
    uint32_t word16; /* 84 */
    uint8_t zero20[12];
    uint32_t word32; /* 137 */
    uint8_t zero36[12];
} TKFuncDesc;

/* Function list, 24 bytes. */
typedef struct TKFuncList {
    int64_t count;
    const TKFuncDesc *descs;
    const TKEntryPoint *entries;
} TKFuncList;

typedef int32_t (*TKVersionFn)(void *unused, int64_t *major, int64_t *minor, int64_t *patch);
typedef int32_t (*TKDestroyFn)(void *instance);

/* Extension instance, 128 bytes; the host owns the fields named host*. */
typedef struct TKExtInstance {
    uint8_t host0[24];
    TKVersionFn req_version;
    TKVersionFn version;
    void *kernel;
    TKDestroyFn destroy;
    uint8_t host56[32];
    void *pool;
    void *journal;
    int64_t journal_flag;
    uint8_t host112[8];
    const TKFuncList *funcs;
} TKExtInstance;

/* Version record, 208 bytes: seventeen words in use, nine zero. */
typedef struct TKVersionInfo {
    const char *release;
    const char *location;
    const char *empty16;
    uint64_t build_time;
    const char *product;     /* "rizuv" */
    const char *ident8;
    const char *family;      /* "tkext" */
    const char *ident19;
    const char *empty64;
    const char *version_key; /* "version" */
    const char *separator;   /* "::" */
    const char *empty88;
    const char *hotfix;
    const char *empty104;
    const char *image;
    const char *platform;
    const char *build_date;
    uint64_t zero[9];
} TKVersionInfo;

#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L)
#ifdef __cplusplus
#define TK_STATIC_ASSERT static_assert
#else
#define TK_STATIC_ASSERT _Static_assert
#endif
TK_STATIC_ASSERT(sizeof(TKFuncCall) == 88, "call record");
TK_STATIC_ASSERT(offsetof(TKFuncCall, argc) == 32, "argument count");
TK_STATIC_ASSERT(offsetof(TKFuncCall, args[0].value) == 48, "argument 1");
TK_STATIC_ASSERT(offsetof(TKFuncCall, args[1].value) == 64, "argument 2");
TK_STATIC_ASSERT(offsetof(TKFuncCall, args[2].value) == 80, "argument 3");
TK_STATIC_ASSERT(sizeof(TKCharValue) == 24, "character value");
TK_STATIC_ASSERT(offsetof(TKCharValue, len) == 8, "text length");
TK_STATIC_ASSERT(offsetof(TKCharValue, text) == 16, "text pointer");
TK_STATIC_ASSERT(sizeof(TKFuncDesc) == 48, "descriptor");
TK_STATIC_ASSERT(offsetof(TKFuncDesc, min_args) == 12, "minimum");
TK_STATIC_ASSERT(offsetof(TKFuncDesc, word16) == 16, "word 16");
TK_STATIC_ASSERT(offsetof(TKFuncDesc, word32) == 32, "word 32");
TK_STATIC_ASSERT(sizeof(TKFuncList) == 24, "function list");
TK_STATIC_ASSERT(sizeof(TKExtInstance) == 128, "instance");
TK_STATIC_ASSERT(offsetof(TKExtInstance, req_version) == 24, "req version");
TK_STATIC_ASSERT(offsetof(TKExtInstance, destroy) == 48, "destroy");
TK_STATIC_ASSERT(offsetof(TKExtInstance, pool) == 88, "pool");
TK_STATIC_ASSERT(offsetof(TKExtInstance, journal_flag) == 104, "journal flag");
TK_STATIC_ASSERT(offsetof(TKExtInstance, funcs) == 120, "function list");
TK_STATIC_ASSERT(sizeof(TKVersionInfo) == 208, "version record");
TK_STATIC_ASSERT(offsetof(TKVersionInfo, build_date) == 128, "build date");
#endif

#ifdef __cplusplus
}
#endif

/* ---- extension protocol ----------------------------------------------- */

TK_EXPORT void *Exported_TKHandle;
TK_EXPORT const TKFuncList *const funclist;
TK_EXPORT int32_t tkextver(void *kernel, int64_t *major, int64_t *minor);
TK_EXPORT int32_t tkextent(void *kernel);
TK_EXPORT void *tkuyrdif(void *kernel, void *msg_service);
TK_EXPORT int32_t TKU_EXTNAMEReqVersion(void *unused, int64_t *major, int64_t *minor,
                                        int64_t *patch);
TK_EXPORT int32_t TKU_EXTNAMEVersion(void *unused, int64_t *major, int64_t *minor,
                                     int64_t *patch);
TK_EXPORT int32_t TKU_EXTNAMEDestroy(void *instance);

/* ---- entry points ----------------------------------------------------- */

TK_EXPORT int32_t uwfyrdif(const TKFuncCall *call, double *result, void *ctx);
TK_EXPORT int32_t uwfyrdifS(const TKFuncCall *call, double *result, void *ctx);

/* ---- version record --------------------------------------------------- */

TK_EXPORT const TKVersionInfo info;
TK_EXPORT int32_t tkvercn1(void *buf);

/* ---- forwarders ------------------------------------------------------- */

TK_EXPORT int32_t tklMessageToBuf(void *svc, char *buf, int64_t cap, int64_t *len,
                                  int32_t level, const char *fmt, ...);
TK_EXPORT int32_t tklMessageToJnl(void *svc, int32_t level, const char *origin,
                                  const char *fmt, ...);
TK_EXPORT int32_t tklStatusToBuf(void *svc, char *buf, int64_t cap, int32_t level,
                                 int64_t status, ...);
TK_EXPORT int32_t tklStatusToJnl(void *svc, int32_t level, int64_t status, ...);
TK_EXPORT const char *tklGetLocale(void *svc, int32_t category);
TK_EXPORT int32_t rdl_zstrcsp(void *svc, const uint8_t *text, int32_t n, const uint8_t *set,
                              int32_t set_len);
TK_EXPORT void rdl_zstrans(void *svc, uint8_t *text, int32_t n, const uint8_t *table,
                           const uint8_t *set, int32_t set_len);
TK_EXPORT int32_t rdl_zstrlen(void *svc, const uint8_t *text);
TK_EXPORT int32_t rdl_zquote(void *svc, const uint8_t *text, int32_t len, uint8_t *out,
                             int32_t out_len);

/* ---- calendar conversions --------------------------------------------- */

TK_EXPORT double tkfmtzjulymd(double year, double month, double day);
TK_EXPORT double tkfmtzdatjul(double julian);
TK_EXPORT int32_t tkfmtzymdjul(double *year, double *month, double *day, double julian);
TK_EXPORT double tkfmtzjuldat(double date);

/* ---- basis parsers ---------------------------------------------------- */

TK_EXPORT int32_t zdatdci(const uint32_t *text, int32_t len, int32_t flag, int32_t *code,
                          void *ctx);
TK_EXPORT int32_t zdatdciS(const uint8_t *text, int32_t len, int32_t flag, int32_t *code,
                           void *ctx);
TK_EXPORT int32_t get_convention(uint8_t *text, int32_t len);
TK_EXPORT int32_t get_conv_part(const uint8_t **cursor, int32_t len);

/* ---- date difference engine ------------------------------------------- */

TK_EXPORT int32_t zdatdif(int32_t basis, int64_t *days, double *years, double date1,
                          double date2);

/* ---- case conversion and tables --------------------------------------- */

TK_EXPORT const int16_t skz_metatable[512];
TK_EXPORT const int8_t skz_upshift[19 * 128];
TK_EXPORT const int8_t skz_downshift[19 * 128];
TK_EXPORT const uint32_t skz_upaux[41];
TK_EXPORT const uint32_t skz_downaux[39];
TK_EXPORT void tkzstup(uint32_t *s, int64_t n);
TK_EXPORT void tkzstlo(uint32_t *s, int64_t n);
TK_EXPORT void skStrUp(uint8_t *s, int64_t n);
TK_EXPORT void skStrLow(uint8_t *s, int64_t n);

/* ---- UTF-32 search, trim, comparison, min/max ------------------------- */

TK_EXPORT int64_t tkzsndx(const uint32_t *hay, int64_t hay_len, const uint32_t *needle,
                          int64_t needle_len);
TK_EXPORT int64_t tkzstrp(const uint32_t *s, uint64_t len);
TK_EXPORT int32_t tkzseqn(const uint32_t *a, int64_t a_len, const uint32_t *b, int64_t b_len);
TK_EXPORT int32_t tkzsncmp(const uint32_t *a, int64_t a_len, const uint32_t *b,
                           int64_t b_len);
TK_EXPORT void tkzstmin(uint32_t *s, int64_t n);
TK_EXPORT void tkzstmax(uint32_t *s, int64_t n);

/* ---- memory and string primitives ------------------------------------- */

TK_EXPORT int32_t skUnsup(void);
TK_EXPORT uint64_t skStrLen(const uint8_t *s);
TK_EXPORT uint64_t skStrTLen(const uint32_t *s);
TK_EXPORT void skStrCpy(const uint8_t *src, uint8_t *dst);
TK_EXPORT void skStrTCpy(const uint32_t *src, uint32_t *dst);
TK_EXPORT int32_t skMemNot(int32_t value, const void *buf, uint64_t n);
TK_EXPORT int32_t skMemTNot(uint32_t value, const uint32_t *buf, uint64_t n);
TK_EXPORT void skMemSet(void *buf, int32_t value, int64_t n);
TK_EXPORT void skMemTSet(uint32_t *buf, uint32_t value, int64_t n);
TK_EXPORT int32_t skMemCmp(const void *a, const void *b, uint64_t n);
TK_EXPORT int32_t skWMemCmp(const uint32_t *a, const uint32_t *b, uint64_t n);
TK_EXPORT void *skMemCpy(const void *src, void *dst, int64_t n);
TK_EXPORT void skMemSCpy(const void *src, void *dst, uint64_t n);
TK_EXPORT void *skMemDup(const void *src, int64_t n, void *pool);
TK_EXPORT int64_t skMemScan(const void *buf, uint64_t n, int32_t value);
TK_EXPORT int64_t skMemNScan(const void *buf, uint64_t n, int32_t value);
TK_EXPORT int64_t skMemTNScan(const uint32_t *buf, int64_t n, uint32_t value);
TK_EXPORT int32_t skMissArray(const double *values, uint64_t n);

#endif /* TKYRDIF_H */
