/*
 * registration.cpp - the extension protocol: the function list, instance
 * creation (tkuyrdif), the version callbacks and teardown.
 *
 * tkuyrdif builds a pool of its own, a 128-byte instance allocated from it
 * and an instance journal.  On failure it reports 0x803FC002 through
 * tklStatusToJnl (when it has a message service) and returns null, leaving
 * nothing behind.  Teardown closes and destroys the journal and then
 * destroys the pool, which takes the instance with it.
 *
 * Relies on: entries 5 and 6 of the kernel handle, entries 2 and 3 of the
 * pool and the journal, tklStatusToJnl.
 */
#include <string.h>

#include "tkyrdif.h"

/* ---- the function list (static, shared by every instance) -------------- */

static const uint32_t name_yrdif[] = {'Y', 'R', 'D', 'I', 'F', 0};
static const uint32_t name_yrdif_bytes[] = {'Y', 'R', 'D', 'I', 'F', '#', 0};

#define DESCRIPTOR(name) {(name), 0, 2, 3, 84, {0}, 137, {0}}

static const TKFuncDesc riZuvPF[2] = {DESCRIPTOR(name_yrdif), DESCRIPTOR(name_yrdif_bytes)};
static const TKEntryPoint riZuvFP[2] = {uwfyrdif, uwfyrdifS};
static const TKFuncList TkFuncList = {2, riZuvPF, riZuvFP};

const TKFuncList *const funclist = &TkFuncList;

/* ---- version callbacks --------------------------------------------------- */

/* Required interface version 7.1.1. */
int32_t TKU_EXTNAMEReqVersion(void *unused, int64_t *major, int64_t *minor, int64_t *patch)
{
    (void)unused;
    *major = 7;
    *minor = 1;
    *patch = 1;
    return 0;
}

/* The extension's own version, 7.0.0. */
int32_t TKU_EXTNAMEVersion(void *unused, int64_t *major, int64_t *minor, int64_t *patch)
{
    (void)unused;
    *major = 7;
    *minor = 0;
    *patch = 0;
    return 0;
}

/* ---- instance creation and teardown -------------------------------------- */

static const char pool_name[] = "tku pool";
static const uint32_t journal_name[] = {'r', 'o', 'z', 'a', 'd', 'e', 'v', 'a',
                                        'd', 'a', ' ', 'J', 'n', 'l', 0};

/* Reports that no instance could be created, when there is someone to
 * tell. */
static void report_failure(void *msg_service)
{
    if (msg_service)
        tklStatusToJnl(msg_service, 4, (int64_t)TKH_STATUS_INSTANCE_FAILED);
}

void *tkuyrdif(void *kernel, void *msg_service)
{
    uint8_t pool_record[TKH_POOL_RECORD_SIZE];
    uint8_t journal_record[TKH_JOURNAL_RECORD_SIZE];
    memset(pool_record, 0, sizeof pool_record);
    memset(journal_record, 0, sizeof journal_record);

    tkhPoolCreateFn create_pool = TKH_ENTRY(tkhPoolCreateFn, kernel, TKH_KERNEL_POOL_CREATE);
    void *pool = create_pool(kernel, pool_record, msg_service, pool_name);
    if (pool == nullptr) {
        report_failure(msg_service);
        return nullptr;
    }
    tkhPoolAllocFn alloc = TKH_ENTRY(tkhPoolAllocFn, pool, TKH_POOL_ALLOC);
    TKExtInstance *inst =
        (TKExtInstance *)alloc(pool, sizeof(TKExtInstance), TKH_POOL_FLAGS_INSTANCE);
    if (inst == nullptr) {
        report_failure(msg_service);
        TKH_ENTRY(tkhObjectFn, pool, TKH_POOL_DESTROY)(pool);
        return nullptr;
    }

    inst->pool = pool;
    inst->kernel = kernel;
    inst->req_version = TKU_EXTNAMEReqVersion;
    inst->version = TKU_EXTNAMEVersion;
    inst->destroy = TKU_EXTNAMEDestroy;
    inst->funcs = funclist;
    inst->journal_flag = 0;
    uint32_t flags = TKH_JOURNAL_RECORD_FLAGS;
    memcpy(journal_record + TKH_JOURNAL_RECORD_FLAGS_OFFSET, &flags, sizeof flags);

    tkhJournalCreateFn create_journal =
        TKH_ENTRY(tkhJournalCreateFn, kernel, TKH_KERNEL_JOURNAL_CREATE);
    inst->journal = create_journal(kernel, journal_record, 0, journal_name); /* null is kept */
    return inst;
}

int32_t TKU_EXTNAMEDestroy(void *instance)
{
    TKExtInstance *inst = (TKExtInstance *)instance;
    if (inst == nullptr)
        return 0;
    void *journal = inst->journal;
    void *pool = inst->pool;
    if (journal) {
        if (inst->journal_flag != 0)
            TKH_ENTRY(tkhObjectFn, journal, TKH_JOURNAL_CLOSE)(journal);
        TKH_ENTRY(tkhObjectFn, journal, TKH_JOURNAL_DESTROY)(journal);
    }
    TKH_ENTRY(tkhObjectFn, pool, TKH_POOL_DESTROY)(pool); /* the instance goes with it */
    return 0;
}
