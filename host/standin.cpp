// standin.cpp - the stand-in host kernel's objects and entries.
#include "standin.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <locale.h>

#include "tkhost.h"

namespace tkhost {

namespace {

template <class Fn> void set_entry(ObjectWords &w, int n, Fn fn)
{
    w.words[n] = reinterpret_cast<void *>(fn);
}

std::string narrow(const std::u32string &s)
{
    std::string out;
    for (char32_t c : s)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// vsnprintf into a std::string, consuming the va_list once.
std::string vformat(const char *fmt, va_list ap)
{
    char small[512];
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), fmt, ap);
    big.resize(static_cast<size_t>(n));
    return big;
}

const char *level_name(int32_t level)
{
    switch (level) {
    case 1: return "NOTE";
    case 2: return "INFO";
    case 3: return "WARNING";
    case 4: return "ERROR";
    default: return "MESSAGE";
    }
}

// Copies text into a caller's buffer of cap bytes, NUL-terminated when
// there is room; returns 0, or 1 when the text was cut.
int32_t to_buffer(const std::string &text, char *buf, int64_t cap, int64_t *len)
{
    if (cap <= 0 || buf == nullptr) {
        if (len)
            *len = 0;
        return 1;
    }
    size_t room = static_cast<size_t>(cap) - 1;
    size_t n = text.size() < room ? text.size() : room;
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    if (len)
        *len = static_cast<int64_t>(n);
    return n == text.size() ? 0 : 1;
}

} // namespace

// ---- counters and log --------------------------------------------------

int64_t CallCounts::total() const
{
    int64_t t = 0;
    for (const auto &c : counts_)
        t += c.load();
    return t;
}

void CallCounts::reset()
{
    for (auto &c : counts_)
        c.store(0);
}

void EventLog::add(std::string event)
{
    std::lock_guard<std::mutex> lock(mu_);
    events_.push_back(std::move(event));
}

std::vector<std::string> EventLog::events() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return events_;
}

void EventLog::clear()
{
    std::lock_guard<std::mutex> lock(mu_);
    events_.clear();
}

// ---- pool --------------------------------------------------------------

Pool::Pool(Kernel &kernel, std::string name, void *msg_service)
    : kernel_(kernel), name_(std::move(name)), msg_service_(msg_service)
{
    words_.owner = this;
    set_entry(words_, TKH_POOL_DESTROY, &Pool::entry_destroy);
    set_entry(words_, TKH_POOL_ALLOC, &Pool::entry_alloc);
}

int64_t Pool::blocks() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return static_cast<int64_t>(blocks_.size());
}

void *Pool::entry_alloc(void *object, int64_t size, uint32_t flags)
{
    Pool *pool = owner_of<Pool>(object);
    pool->calls.bump(TKH_POOL_ALLOC);
    pool->kernel_.log.add("pool.alloc " + std::to_string(size) + " flags " +
                          std::to_string(flags));
    if (pool->kernel_.fail_alloc || size < 0)
        return nullptr;
    // Zero-filled, 16-byte aligned by new[]; a zero-size request still gets
    // a distinct block.
    auto block = std::make_unique<unsigned char[]>(static_cast<size_t>(size) + 1);
    void *p = block.get();
    std::lock_guard<std::mutex> lock(pool->mu_);
    pool->blocks_.push_back(std::move(block));
    return p;
}

int32_t Pool::entry_destroy(void *object)
{
    Pool *pool = owner_of<Pool>(object);
    pool->calls.bump(TKH_POOL_DESTROY);
    pool->kernel_.log.add("pool.destroy " + pool->name_);
    pool->kernel_.destroyed(pool); // deletes the pool and its blocks
    return 0;
}

// ---- journal -----------------------------------------------------------

Journal::Journal(Kernel &kernel, std::u32string name, uint32_t record_flags)
    : kernel_(kernel), name_(std::move(name)), record_flags_(record_flags)
{
    words_.owner = this;
    set_entry(words_, TKH_JOURNAL_DESTROY, &Journal::entry_destroy);
    set_entry(words_, TKH_JOURNAL_CLOSE, &Journal::entry_close);
}

int32_t Journal::entry_close(void *object)
{
    Journal *jnl = owner_of<Journal>(object);
    jnl->calls.bump(TKH_JOURNAL_CLOSE);
    jnl->kernel_.log.add("journal.close " + narrow(jnl->name_));
    return 0;
}

int32_t Journal::entry_destroy(void *object)
{
    Journal *jnl = owner_of<Journal>(object);
    jnl->calls.bump(TKH_JOURNAL_DESTROY);
    jnl->kernel_.log.add("journal.destroy " + narrow(jnl->name_));
    jnl->kernel_.destroyed(jnl);
    return 0;
}

// ---- message service ---------------------------------------------------

MessageService::MessageService()
{
    words_.owner = this;
    set_entry(words_, TKH_MSG_MESSAGE_TO_BUF, &MessageService::entry_message_to_buf);
    set_entry(words_, TKH_MSG_MESSAGE_TO_JNL, &MessageService::entry_message_to_jnl);
    set_entry(words_, TKH_MSG_STATUS_TO_BUF, &MessageService::entry_status_to_buf);
    set_entry(words_, TKH_MSG_STATUS_TO_JNL, &MessageService::entry_status_to_jnl);
    set_entry(words_, TKH_MSG_GET_LOCALE, &MessageService::entry_get_locale);
}

std::vector<std::string> MessageService::lines() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return lines_;
}

void MessageService::add_line(std::string line)
{
    std::lock_guard<std::mutex> lock(mu_);
    lines_.push_back(std::move(line));
}

const char *MessageService::status_text(int64_t status)
{
    switch (static_cast<uint32_t>(status)) {
    case 0x803FC002u: return "The extension instance could not be created.";
    case 0x803FC004u: return "The operation is not supported.";
    default: return "Status %lld.";
    }
}

static std::string status_line(int32_t level, int64_t status, va_list ap)
{
    char head[64];
    std::snprintf(head, sizeof head, "%s: 0x%08X: ", level_name(level),
                  static_cast<uint32_t>(status));
    return head + vformat(MessageService::status_text(status), ap);
}

int32_t MessageService::entry_message_to_buf(void *svc, char *buf, int64_t cap, int64_t *len,
                                             int32_t level, const char *fmt, va_list ap)
{
    MessageService *self = owner_of<MessageService>(svc);
    self->calls.bump(TKH_MSG_MESSAGE_TO_BUF);
    return to_buffer(std::string(level_name(level)) + ": " + vformat(fmt, ap), buf, cap, len);
}

int32_t MessageService::entry_message_to_jnl(void *svc, int32_t level, const char *origin,
                                             const char *fmt, va_list ap)
{
    MessageService *self = owner_of<MessageService>(svc);
    self->calls.bump(TKH_MSG_MESSAGE_TO_JNL);
    self->add_line(std::string(level_name(level)) + ": " + (origin ? origin : "") + ": " +
                   vformat(fmt, ap));
    return 0;
}

int32_t MessageService::entry_status_to_buf(void *svc, char *buf, int64_t cap, int32_t level,
                                            int64_t status, va_list ap)
{
    MessageService *self = owner_of<MessageService>(svc);
    self->calls.bump(TKH_MSG_STATUS_TO_BUF);
    return to_buffer(status_line(level, status, ap), buf, cap, nullptr);
}

int32_t MessageService::entry_status_to_jnl(void *svc, int32_t level, int64_t status, va_list ap)
{
    MessageService *self = owner_of<MessageService>(svc);
    self->calls.bump(TKH_MSG_STATUS_TO_JNL);
    self->add_line(status_line(level, status, ap));
    return 0;
}

const char *MessageService::entry_get_locale(void *svc, int32_t category)
{
    MessageService *self = owner_of<MessageService>(svc);
    self->calls.bump(TKH_MSG_GET_LOCALE);
    return category == 0 ? self->locale_.c_str() : nullptr;
}

// ---- string service ----------------------------------------------------

StringService::StringService() : convert_(&StringService::default_convert)
{
    words_.owner = this;
    set_entry(words_, TKH_STR_SPAN, &StringService::entry_span);
    set_entry(words_, TKH_STR_CONVERT, &StringService::entry_convert);
    set_entry(words_, TKH_STR_QUOTE, &StringService::entry_quote);
    set_entry(words_, TKH_STR_LENGTH, &StringService::entry_length);
}

int32_t StringService::default_convert(uint8_t *buf, int64_t count)
{
    // Full-width U+FF01..U+FF5E is EF BC 81..EF BC BF and EF BD 80..EF BD 9E
    // in UTF-8; each becomes the ASCII byte 0x21..0x7E.
    int64_t out = 0;
    for (int64_t i = 0; i < count;) {
        if (i + 2 < count && buf[i] == 0xEF && (buf[i + 1] == 0xBC || buf[i + 1] == 0xBD)) {
            unsigned cp = 0xF000u + ((buf[i + 1] & 0x3Fu) << 6) + (buf[i + 2] & 0x3Fu);
            if (cp >= 0xFF01 && cp <= 0xFF5E) {
                buf[out++] = static_cast<uint8_t>(cp - 0xFF01 + 0x21);
                i += 3;
                continue;
            }
        }
        buf[out++] = buf[i++];
    }
    return static_cast<int32_t>(out);
}

namespace {

// The last argument of every service entry is fixed by the protocol (0 for
// the string service, 1 for the case-mapping service).  A real host may act
// on it, so a module that passes anything else is stopped here.
void expect_flag(int32_t got, int32_t want, const char *entry)
{
    if (got == want)
        return;
    std::fprintf(stderr, "stand-in host: %s called with last argument %d, not %d\n", entry,
                 static_cast<int>(got), static_cast<int>(want));
    std::abort();
}

} // namespace

int32_t StringService::entry_span(void *svc, const uint8_t *set, int64_t set_len,
                                  const uint8_t *byte, int64_t count, int32_t zero)
{
    expect_flag(zero, 0, "string service entry 51");
    StringService *self = owner_of<StringService>(svc);
    self->calls.bump(TKH_STR_SPAN);
    if (count != 1)
        return -1;
    for (int64_t i = 0; i < set_len; i++)
        if (set[i] == *byte)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t StringService::entry_convert(void *svc, uint8_t *buf, int64_t count, int32_t zero)
{
    expect_flag(zero, 0, "string service entry 64");
    StringService *self = owner_of<StringService>(svc);
    self->calls.bump(TKH_STR_CONVERT);
    return self->convert_(buf, count);
}

// Quotes text into out as 'text' with inner quotes doubled; *result is the
// quoted length, or -1 (out untouched) when it does not fit.
int32_t StringService::entry_quote(void *svc, const uint8_t *text, int64_t len, uint8_t *out,
                                   int64_t out_len, int32_t *result, int32_t zero)
{
    expect_flag(zero, 0, "string service entry 65");
    StringService *self = owner_of<StringService>(svc);
    self->calls.bump(TKH_STR_QUOTE);
    std::string q = "'";
    for (int64_t i = 0; i < len; i++) {
        if (text[i] == '\'')
            q += '\'';
        q += static_cast<char>(text[i]);
    }
    q += '\'';
    if (static_cast<int64_t>(q.size()) > out_len) {
        *result = -1;
        return 1;
    }
    std::memcpy(out, q.data(), q.size());
    *result = static_cast<int32_t>(q.size());
    return 0;
}

// Byte length of a NUL-terminated text into *bytes and its count of UTF-8
// characters into *chars.
int32_t StringService::entry_length(void *svc, const uint8_t *text, int64_t *bytes,
                                    int64_t *chars, int32_t zero)
{
    expect_flag(zero, 0, "string service entry 72");
    StringService *self = owner_of<StringService>(svc);
    self->calls.bump(TKH_STR_LENGTH);
    int64_t n = 0, c = 0;
    for (; text[n] != 0; n++)
        c += (text[n] & 0xC0) != 0x80;
    *bytes = n;
    *chars = c;
    return 0;
}

// ---- case-mapping service ----------------------------------------------

CaseService::CaseService() : map_(&CaseService::default_map)
{
    words_.owner = this;
    set_entry(words_, TKH_CASEMAP_UPPER, &CaseService::entry_upper);
    set_entry(words_, TKH_CASEMAP_LOWER, &CaseService::entry_lower);
}

uint32_t CaseService::default_map(uint32_t ch, bool upper)
{
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (loc == nullptr || ch > 0x10FFFF)
        return ch;
    wint_t w = static_cast<wint_t>(ch);
    return static_cast<uint32_t>(upper ? towupper_l(w, loc) : towlower_l(w, loc));
}

uint32_t CaseService::entry_upper(void *svc, uint32_t ch, int32_t one)
{
    expect_flag(one, 1, "case-mapping service entry 31");
    CaseService *self = owner_of<CaseService>(svc);
    self->calls.bump(TKH_CASEMAP_UPPER);
    return self->map_(ch, true);
}

uint32_t CaseService::entry_lower(void *svc, uint32_t ch, int32_t one)
{
    expect_flag(one, 1, "case-mapping service entry 32");
    CaseService *self = owner_of<CaseService>(svc);
    self->calls.bump(TKH_CASEMAP_LOWER);
    return self->map_(ch, false);
}

// ---- call context ------------------------------------------------------

CallContext::CallContext(StringService *strings)
{
    words_.owner = this;
    set_string_service(strings);
}

void CallContext::set_string_service(StringService *strings)
{
    words_.words[TKH_CALLCTX_STRING_SERVICE_OFFSET / 8] = strings ? strings->object() : nullptr;
}

// ---- kernel ------------------------------------------------------------

Kernel::Kernel()
{
    words_.owner = this;
    set_entry(words_, TKH_KERNEL_JOURNAL_CREATE, &Kernel::entry_journal_create);
    set_entry(words_, TKH_KERNEL_POOL_CREATE, &Kernel::entry_pool_create);
    set_entry(words_, TKH_KERNEL_OPTION_LOOKUP, &Kernel::entry_option_lookup);
}

Kernel::~Kernel() = default;

void Kernel::set_option(const std::u32string &name, int64_t value)
{
    std::lock_guard<std::mutex> lock(mu_);
    options_[name] = value;
}

void Kernel::clear_option(const std::u32string &name)
{
    std::lock_guard<std::mutex> lock(mu_);
    options_.erase(name);
}

void Kernel::set_case_service(CaseService *svc)
{
    words_.words[TKH_KERNEL_CASEMAP_WORD] = svc ? svc->object() : nullptr;
}

Kernel::LookupArgs Kernel::last_lookup() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return last_lookup_;
}

Kernel::CreateArgs Kernel::last_create() const
{
    std::lock_guard<std::mutex> lock(mu_);
    return last_create_;
}

Pool *Kernel::find_pool(void *object) const
{
    std::lock_guard<std::mutex> lock(mu_);
    for (const auto &p : pools_)
        if (p->object() == object)
            return p.get();
    return nullptr;
}

Journal *Kernel::find_journal(void *object) const
{
    std::lock_guard<std::mutex> lock(mu_);
    for (const auto &j : journals_)
        if (j->object() == object)
            return j.get();
    return nullptr;
}

int32_t Kernel::entry_option_lookup(void *object, const uint32_t *name, int64_t name_len,
                                    int32_t kind, int64_t *value, int64_t *size)
{
    Kernel *k = owner_of<Kernel>(object);
    k->calls.bump(TKH_KERNEL_OPTION_LOOKUP);
    std::u32string key;
    for (int64_t i = 0; i < name_len; i++)
        key += static_cast<char32_t>(name[i]);
    std::lock_guard<std::mutex> lock(k->mu_);
    k->last_lookup_ = {key, name_len, kind, *value, *size};
    switch (k->option_mode) {
    case OptionMode::Fail: return 1;
    case OptionMode::SucceedSilently: return 0;
    case OptionMode::Normal: break;
    }
    auto it = k->options_.find(key);
    if (it == k->options_.end() || kind != TKH_OPTION_KIND_INTEGER || *size < 8)
        return 1;
    *value = it->second;
    return 0;
}

void *Kernel::entry_pool_create(void *object, void *record, void *msg_service, const char *name)
{
    Kernel *k = owner_of<Kernel>(object);
    k->calls.bump(TKH_KERNEL_POOL_CREATE);
    k->log.add(std::string("kernel.pool_create ") + (name ? name : "(null)"));
    std::lock_guard<std::mutex> lock(k->mu_);
    const auto *rec = static_cast<const uint8_t *>(record);
    k->last_create_.pool_record.assign(rec, rec + TKH_POOL_RECORD_SIZE);
    k->last_create_.pool_msg_service = msg_service;
    if (k->fail_pool_create)
        return nullptr;
    k->pools_.push_back(std::make_unique<Pool>(*k, name ? name : "", msg_service));
    k->live_pools_++;
    return k->pools_.back()->object();
}

void *Kernel::entry_journal_create(void *object, void *record, int64_t zero,
                                   const uint32_t *name)
{
    Kernel *k = owner_of<Kernel>(object);
    k->calls.bump(TKH_KERNEL_JOURNAL_CREATE);
    std::u32string n;
    for (size_t i = 0; name && name[i] != 0; i++)
        n += static_cast<char32_t>(name[i]);
    k->log.add("kernel.journal_create " + narrow(n));
    std::lock_guard<std::mutex> lock(k->mu_);
    const auto *rec = static_cast<const uint8_t *>(record);
    k->last_create_.journal_record.assign(rec, rec + TKH_JOURNAL_RECORD_SIZE);
    k->last_create_.journal_zero = zero;
    if (k->fail_journal_create)
        return nullptr;
    uint32_t flags;
    std::memcpy(&flags, rec + TKH_JOURNAL_RECORD_FLAGS_OFFSET, sizeof flags);
    k->journals_.push_back(std::make_unique<Journal>(*k, n, flags));
    k->live_journals_++;
    return k->journals_.back()->object();
}

void Kernel::destroyed(Pool *pool)
{
    std::lock_guard<std::mutex> lock(mu_);
    for (auto it = pools_.begin(); it != pools_.end(); ++it)
        if (it->get() == pool) {
            pools_.erase(it);
            live_pools_--;
            return;
        }
}

void Kernel::destroyed(Journal *jnl)
{
    std::lock_guard<std::mutex> lock(mu_);
    for (auto it = journals_.begin(); it != journals_.end(); ++it)
        if (it->get() == jnl) {
            journals_.erase(it);
            live_journals_--;
            return;
        }
}

} // namespace tkhost
