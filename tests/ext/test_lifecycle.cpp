// Start-up, instance creation and teardown through the loaded module, with
// the stand-in host's fault injection: records handed to the kernel, the
// instance layout, the function list, call order and failure reports.
#include "host_fixture.h"

using namespace tktest;

namespace {

class Lifecycle : public ::testing::Test {
protected:
    template <class T> T fn(const char *name) { return module.fn<T>(name); }
    void *create(bool with_messages = true)
    {
        return fn<void *(*)(void *, void *)>("tkuyrdif")(
            kernel.handle(), with_messages ? messages.object() : nullptr);
    }
    int destroy(void *inst) { return fn<int32_t (*)(void *)>("TKU_EXTNAMEDestroy")(inst); }

    tkhost::Kernel kernel;
    tkhost::MessageService messages;
    tkhost::Module module{TK_MODULE_PATH};
};

// Start-up as the host does it, and the instance: the handle that
// tkextver and tkextent store (the last call wins, and an instance leaves
// it alone), the versions, the records handed to the kernel, every byte of
// the instance and of the function list.
TEST_F(Lifecycle, StartUpAndInstanceLayout)
{
    void **handle = static_cast<void **>(module.symbol("Exported_TKHandle"));
    auto extent = fn<int32_t (*)(void *)>("tkextent");
    tkhost::Kernel other;
    int64_t v[3] = {-1, -1, -1};
    auto extver = fn<int32_t (*)(void *, int64_t *, int64_t *)>("tkextver");
    EXPECT_EQ(extver(kernel.handle(), &v[0], &v[1]), 0);
    EXPECT_EQ(v[0] * 10 + v[1], 71);
    EXPECT_EQ(*handle, kernel.handle());
    EXPECT_EQ(extent(other.handle()), 0);
    EXPECT_EQ(*handle, other.handle());
    auto *inst = static_cast<TKExtInstance *>(create());
    ASSERT_NE(inst, nullptr);
    EXPECT_EQ(*handle, other.handle()) << "an instance leaves the handle alone";
    extent(nullptr);
    for (auto [query, want] : {std::pair{inst->req_version, 711}, {inst->version, 700}}) {
        EXPECT_EQ(query(nullptr, &v[0], &v[1], &v[2]), 0);
        EXPECT_EQ(v[0] * 100 + v[1] * 10 + v[2], want);
    }

    auto args = kernel.last_create();
    EXPECT_EQ(args.pool_record, std::vector<uint8_t>(24, 0));
    EXPECT_EQ(args.pool_msg_service, messages.object());
    std::vector<uint8_t> jrec(88, 0);
    jrec[16 + 3] = 0x40; // 0x40000000, little-endian
    EXPECT_EQ(args.journal_record, jrec);
    EXPECT_EQ(args.journal_zero, 0);

    // The pool and journal are the ones made (their names are in the calls' log).
    ASSERT_TRUE(kernel.find_pool(inst->pool) && kernel.find_journal(inst->journal));
    // Every byte of the instance: the host-owned fields as the pool handed
    // them out (zero here), the journal flag 0.
    TKExtInstance image{};
    image.req_version = fn<TKVersionFn>("TKU_EXTNAMEReqVersion");
    image.version = fn<TKVersionFn>("TKU_EXTNAMEVersion");
    image.kernel = kernel.handle();
    image.destroy = fn<TKDestroyFn>("TKU_EXTNAMEDestroy");
    image.pool = inst->pool;
    image.journal = inst->journal;
    image.funcs = *static_cast<const TKFuncList *const *>(module.symbol("funclist"));
    EXPECT_EQ(std::memcmp(inst, &image, sizeof image), 0);

    // The function list; a second instance has a pool of its own and the same list.
    const TKFuncList *list = inst->funcs;
    ASSERT_EQ(list->count, 2);
    const std::u32string names[] = {U"YRDIF", U"YRDIF#"};
    const char *entries[] = {"uwfyrdif", "uwfyrdifS"};
    for (int i = 0; i < 2; i++) {
        const TKFuncDesc &d = list->descs[i];
        EXPECT_EQ(std::u32string(reinterpret_cast<const char32_t *>(d.name)), names[i]);
        TKFuncDesc want{d.name, 0, 2, 3, 84, {}, 137, {}}; // zero elsewhere, every byte
        EXPECT_EQ(std::memcmp(&d, &want, sizeof want), 0) << i;
        EXPECT_EQ(reinterpret_cast<void *>(list->entries[i]), module.symbol(entries[i]));
    }
    auto *second = static_cast<TKExtInstance *>(create());
    EXPECT_NE(second->pool, inst->pool);
    EXPECT_EQ(second->funcs, list);
    destroy(second);
    destroy(inst);
}

// Creation and teardown as the kernel sees them, one row per failure it
// injects: the calls in order (creating, then destroying any instance
// made, with the journal flag as the host left it), the failure report
// when there is a message service, and nothing left alive.
TEST_F(Lifecycle, CallsInOrder)
{
    using tkhost::Kernel;
    const std::string pool = "kernel.pool_create tku pool",
                      alloc = "pool.alloc 128 flags 2147483648",
                      jnl = "kernel.journal_create rozadevada Jnl",
                      close = "journal.close rozadevada Jnl",
                      jnl_gone = "journal.destroy rozadevada Jnl", pool_gone = "pool.destroy tku pool";
    const struct {
        bool Kernel::*fail;
        bool with_messages, journal_flag, made, reported;
        std::vector<std::string> events;
    } rows[] = {
        {nullptr, true, false, true, false, {pool, alloc, jnl, jnl_gone, pool_gone}},
        {nullptr, true, true, true, false, {pool, alloc, jnl, close, jnl_gone, pool_gone}},
        {&Kernel::fail_pool_create, false, false, false, false, {pool}},
        {&Kernel::fail_pool_create, true, false, false, true, {pool}},
        {&Kernel::fail_alloc, true, false, false, true, {pool, alloc, pool_gone}},
        {&Kernel::fail_journal_create, true, true, true, false, {pool, alloc, jnl, pool_gone}},
    };
    for (const auto &r : rows) {
        const size_t row = static_cast<size_t>(&r - rows), reports = messages.lines().size();
        kernel.log.clear();
        if (r.fail)
            kernel.*r.fail = true;
        auto *inst = static_cast<TKExtInstance *>(create(r.with_messages));
        if (r.fail)
            kernel.*r.fail = false;
        ASSERT_EQ(inst != nullptr, r.made) << "row " << row;
        if (inst) {
            EXPECT_EQ(inst->journal == nullptr, r.fail == &Kernel::fail_journal_create);
            inst->journal_flag = r.journal_flag;
            EXPECT_EQ(destroy(inst), 0);
        }
        EXPECT_EQ(kernel.log.events(), r.events) << "row " << row;
        EXPECT_EQ(messages.lines().size() - reports, r.reported ? 1u : 0u) << "row " << row;
        EXPECT_EQ(kernel.live_pools() + kernel.live_journals(), 0) << "row " << row;
    }
    EXPECT_EQ(messages.lines().back(),
              "ERROR: 0x803FC002: The extension instance could not be created.");
    EXPECT_EQ(messages.calls[TKH_MSG_STATUS_TO_JNL], 2);
}

} // namespace
