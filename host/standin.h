// standin.h - the stand-in host kernel.
//
// A small but real implementation of every host object the module calls:
// the kernel handle (option lookup, pool and journal creation, word 27),
// pools that are arenas destroyed whole, instance journals, a message
// service that formats its va_list, a string service and a case-mapping
// service.  Each object is a table of entry words followed by a pointer back
// to the C++ object that serves it.
//
// Tests drive the module's reactions through it: every failure the module
// reacts to can be injected, every entry call is counted, and an event log
// records the order of the calls that change state.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tkhost {

// Words of every object's table: enough for the string service's entry 72.
constexpr int kWords = 80;

// The part of a host object that the module sees: entry n at byte 8n.
struct ObjectWords {
    void *words[kWords];
    void *owner; // the C++ object serving these entries
};

// Entry-call counts of one object, safe to bump from several threads.
class CallCounts {
public:
    void bump(int entry) { counts_[entry].fetch_add(1, std::memory_order_relaxed); }
    int64_t operator[](int entry) const { return counts_[entry].load(); }
    int64_t total() const;
    void reset();

private:
    std::atomic<int64_t> counts_[kWords] = {};
};

// Ordered log of state-changing calls, shared by the objects of one kernel.
class EventLog {
public:
    void add(std::string event);
    std::vector<std::string> events() const;
    void clear();

private:
    mutable std::mutex mu_;
    std::vector<std::string> events_;
};

class Kernel;

// Arena pool: blocks live until the pool is destroyed whole.
class Pool {
public:
    Pool(Kernel &kernel, std::string name, void *msg_service);
    void *object() { return &words_; }
    const std::string &name() const { return name_; }
    void *msg_service() const { return msg_service_; }
    int64_t blocks() const;
    CallCounts calls;

private:
    static void *entry_alloc(void *pool, int64_t size, uint32_t flags);
    static int32_t entry_destroy(void *pool);
    ObjectWords words_{};
    Kernel &kernel_;
    std::string name_;
    void *msg_service_;
    mutable std::mutex mu_;
    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
};

// Instance journal: a list of lines, closed (entry 3) and destroyed (entry 2).
class Journal {
public:
    Journal(Kernel &kernel, std::u32string name, uint32_t record_flags);
    void *object() { return &words_; }
    const std::u32string &name() const { return name_; }
    uint32_t record_flags() const { return record_flags_; }
    CallCounts calls;

private:
    static int32_t entry_close(void *jnl);
    static int32_t entry_destroy(void *jnl);
    ObjectWords words_{};
    Kernel &kernel_;
    std::u32string name_;
    uint32_t record_flags_;
};

// Message service: formats messages and status reports with their va_list
// into the caller's buffer or into its own journal of lines.
class MessageService {
public:
    MessageService();
    void *object() { return &words_; }
    std::vector<std::string> lines() const;
    void set_locale(std::string locale) { locale_ = std::move(locale); }
    CallCounts calls;

    // Text of a status code, as a printf format whose arguments are the
    // report's variable tail.
    static const char *status_text(int64_t status);

private:
    static int32_t entry_message_to_buf(void *svc, char *buf, int64_t cap, int64_t *len,
                                        int32_t level, const char *fmt, va_list ap);
    static int32_t entry_message_to_jnl(void *svc, int32_t level, const char *origin,
                                        const char *fmt, va_list ap);
    static int32_t entry_status_to_buf(void *svc, char *buf, int64_t cap, int32_t level,
                                       int64_t status, va_list ap);
    static int32_t entry_status_to_jnl(void *svc, int32_t level, int64_t status, va_list ap);
    static const char *entry_get_locale(void *svc, int32_t category);
    void add_line(std::string line);
    ObjectWords words_{};
    mutable std::mutex mu_;
    std::vector<std::string> lines_;
    std::string locale_ = "en_US";
};

// String service: byte-set search (51), in-place conversion (64), quoting
// (65) and length (72).  The default conversion turns the UTF-8 forms of the
// full-width ASCII letters and digits (U+FF01..U+FF5E) into ASCII and leaves
// every other byte as it is; a test may install its own.
class StringService {
public:
    using Convert = std::function<int32_t(uint8_t *buf, int64_t count)>;
    StringService();
    void *object() { return &words_; }
    void set_convert(Convert fn) { convert_ = std::move(fn); }
    static int32_t default_convert(uint8_t *buf, int64_t count);
    CallCounts calls;

private:
    static int32_t entry_span(void *svc, const uint8_t *set, int64_t set_len, const uint8_t *byte,
                              int64_t count, int32_t zero);
    static int32_t entry_convert(void *svc, uint8_t *buf, int64_t count, int32_t zero);
    static int32_t entry_quote(void *svc, const uint8_t *text, int64_t len, uint8_t *out,
                               int64_t out_len, int32_t *result, int32_t zero);
    static int32_t entry_length(void *svc, const uint8_t *text, int64_t *bytes, int64_t *chars,
                                int32_t zero);
    ObjectWords words_{};
    Convert convert_;
};

// Case-mapping service (entries 31 and 32).  By default it maps with the C
// library's wide-character case functions in the C.UTF-8 locale.
class CaseService {
public:
    using Map = std::function<uint32_t(uint32_t ch, bool upper)>;
    CaseService();
    void *object() { return &words_; }
    void set_map(Map fn) { map_ = std::move(fn); }
    static uint32_t default_map(uint32_t ch, bool upper);
    CallCounts calls;

private:
    static uint32_t entry_upper(void *svc, uint32_t ch, int32_t one);
    static uint32_t entry_lower(void *svc, uint32_t ch, int32_t one);
    ObjectWords words_{};
    Map map_;
};

// Call context handed to the entry points: the string service at byte 80.
class CallContext {
public:
    explicit CallContext(StringService *strings = nullptr);
    void *object() { return &words_; }
    void set_string_service(StringService *strings);

private:
    ObjectWords words_{};
};

// How the option lookup answers.
enum class OptionMode {
    Normal,          // 0 and the value when the option is set, non-zero otherwise
    Fail,            // always non-zero
    SucceedSilently, // 0 without writing the value word
};

// The kernel handle.
class Kernel {
public:
    Kernel();
    ~Kernel();
    Kernel(const Kernel &) = delete;
    Kernel &operator=(const Kernel &) = delete;

    void *handle() { return &words_; }

    // Options, by UTF-32 name.  TK_NAME_YEARCUTOFF is not set initially.
    void set_option(const std::u32string &name, int64_t value);
    void clear_option(const std::u32string &name);
    void set_year_cutoff(int64_t year) { set_option(U"TK_NAME_YEARCUTOFF", year); }
    OptionMode option_mode = OptionMode::Normal;

    // Word 27.
    void set_case_service(CaseService *svc);

    // Injected failures.
    bool fail_pool_create = false;
    bool fail_journal_create = false;
    bool fail_alloc = false; // every pool allocation returns null

    // What the module did.
    CallCounts calls;
    EventLog log;
    int64_t live_pools() const { return live_pools_.load(); }
    int64_t live_journals() const { return live_journals_.load(); }
    Pool *find_pool(void *object) const;
    Journal *find_journal(void *object) const;
    // Last option lookup's arguments, for checking the call's shape.
    struct LookupArgs {
        std::u32string name;
        int64_t name_len = 0;
        int32_t kind = 0;
        int64_t value_in = 0;
        int64_t size_in = 0;
    };
    LookupArgs last_lookup() const;
    // Copies of the records that the last pool and journal creations
    // received, and their other arguments.
    struct CreateArgs {
        std::vector<uint8_t> pool_record, journal_record;
        void *pool_msg_service = nullptr;
        int64_t journal_zero = -1;
    };
    CreateArgs last_create() const;

private:
    friend class Pool;
    friend class Journal;
    static int32_t entry_option_lookup(void *kernel, const uint32_t *name, int64_t name_len,
                                       int32_t kind, int64_t *value, int64_t *size);
    static void *entry_pool_create(void *kernel, void *record, void *msg_service,
                                   const char *name);
    static void *entry_journal_create(void *kernel, void *record, int64_t zero,
                                      const uint32_t *name);
    void destroyed(Pool *pool);
    void destroyed(Journal *jnl);

    ObjectWords words_{};
    mutable std::mutex mu_;
    std::map<std::u32string, int64_t> options_;
    LookupArgs last_lookup_;
    CreateArgs last_create_;
    std::vector<std::unique_ptr<Pool>> pools_;
    std::vector<std::unique_ptr<Journal>> journals_;
    std::atomic<int64_t> live_pools_{0};
    std::atomic<int64_t> live_journals_{0};
};

// The objects a host hands the module, in one place: a kernel, a message
// service, a string service, and a call context that carries the string
// service.
struct Services {
    Kernel kernel;
    MessageService messages;
    StringService strings;
    CallContext context{&strings};
};

// The C++ object behind a host object's words.
template <class T> T *owner_of(void *object)
{
    return static_cast<T *>(static_cast<ObjectWords *>(object)->owner);
}

} // namespace tkhost
