// loader.h - how the stand-in host loads and drives the module: dlopen,
// the start-up calls, the function list, function-call records and
// character values in the host's layout, evaluation and teardown.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "standin.h"
#include "tkyrdif.h"

namespace tkhost {

class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The module opened with dlopen; closed when this goes.
class Module {
public:
    explicit Module(const std::string &path);
    ~Module();
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    // The address of an exported symbol; throws LoadError when absent.
    void *symbol(const char *name) const;
    template <class T> T fn(const char *name) const { return reinterpret_cast<T>(symbol(name)); }
    const std::string &path() const { return path_; }

private:
    std::string path_;
    void *handle_ = nullptr;
};

// One extension instance: tkextver with the kernel (unless the handle is
// already installed and must not be written, as while other threads
// evaluate), then tkuyrdif; torn down through the instance's destroy
// callback.
class Extension {
public:
    enum class Handle { Install, Keep };
    Extension(const Module &module, Kernel &kernel, MessageService *messages,
              Handle handle = Handle::Install);
    ~Extension();
    Extension(const Extension &) = delete;
    Extension &operator=(const Extension &) = delete;

    TKExtInstance *instance() const { return instance_; }
    // The entry point registered under a UTF-32 name; null when none is.
    TKEntryPoint find(std::u32string_view name) const;
    const TKFuncDesc *descriptor(std::u32string_view name) const;

private:
    TKExtInstance *instance_ = nullptr;
};

// The basis argument: UTF-32 characters for "YRDIF", bytes for "YRDIF#".
struct Basis {
    const void *text; // may be null
    int32_t len;      // characters or bytes
};

struct Evaluation {
    int32_t status;
    double result;
};

// Builds a function-call record (host fields filled with a pattern the
// module must not care about) and evaluates one call.  argc is 2 without a
// basis, 3 with one, unless given; with argc 3 and no basis the argument's
// value pointer is null.
Evaluation evaluate(TKEntryPoint entry, void *ctx, double date1, double date2,
                    std::optional<Basis> basis, int64_t argc = 0);

// The module built beside the running program (same folder), or $TKYRDIF_MODULE.
std::string default_module_path(const char *argv0);

} // namespace tkhost
