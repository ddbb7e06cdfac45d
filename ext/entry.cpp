/*
 * entry.cpp - the YRDIF entry points: uwfyrdif ("YRDIF", UTF-32 basis) and
 * uwfyrdifS ("YRDIF#", byte basis).
 *
 * Both read the two dates and the optional basis from the host's
 * function-call record, reject a missing date before the basis is looked
 * at, default to 'AGE' for two arguments, and store the engine's year
 * output or the missing value.  They differ only in the parser they call.
 *
 * Status: 0, or 120836 with the missing value stored, on every failure.
 *
 * Relies on: zdatdci or zdatdciS, zdatdif.
 */
#include <string.h>

#include "tkyrdif.h"

static inline int32_t fail(double *result)
{
    uint64_t bits = TK_MISSING_BITS; /* stored as raw bits, whatever NaN came in */
    memcpy(result, &bits, sizeof bits);
    return TK_YRDIF_FAILED;
}

static inline int32_t evaluate(const TKFuncCall *call, double *result, void *ctx, int bytes)
{
    double date1 = *(const double *)call->args[0].value;
    if (date1 != date1)
        return fail(result);
    double date2 = *(const double *)call->args[1].value;
    if (date2 != date2)
        return fail(result);

    int32_t basis = TK_BASIS_AGE;
    if (call->argc != 2) {
        const TKCharValue *cv = (const TKCharValue *)call->args[2].value;
        if (cv == nullptr || cv->text == nullptr)
            return fail(result);
        int32_t rc = bytes ? zdatdciS((const uint8_t *)cv->text, cv->len, 1, &basis, ctx)
                           : zdatdci((const uint32_t *)cv->text, cv->len, 1, &basis, ctx);
        if (rc != 0)
            return fail(result);
    }

    int64_t days; /* always supplied, never read */
    double years;
    if (zdatdif(basis, &days, &years, date1, date2) != 0)
        return fail(result);
    *result = years;
    return 0;
}

int32_t uwfyrdif(const TKFuncCall *call, double *result, void *ctx)
{
    return evaluate(call, result, ctx, 0);
}

int32_t uwfyrdifS(const TKFuncCall *call, double *result, void *ctx)
{
    return evaluate(call, result, ctx, 1);
}
