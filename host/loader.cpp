// loader.cpp - loading and driving the module as the host does.
#include "loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace tkhost {

Module::Module(const std::string &path) : path_(path)
{
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char *err = dlerror();
        throw LoadError("cannot load module " + path + ": " + (err ? err : "unknown error"));
    }
}

Module::~Module()
{
    if (handle_)
        dlclose(handle_);
}

void *Module::symbol(const char *name) const
{
    void *p = dlsym(handle_, name);
    if (p == nullptr)
        throw LoadError(path_ + " does not export " + name);
    return p;
}

Extension::Extension(const Module &module, Kernel &kernel, MessageService *messages,
                     Handle handle)
{
    auto create = module.fn<void *(*)(void *, void *)>("tkuyrdif");
    if (handle == Handle::Install) {
        auto extver = module.fn<int32_t (*)(void *, int64_t *, int64_t *)>("tkextver");
        int64_t major = 0, minor = 0;
        if (extver(kernel.handle(), &major, &minor) != 0 || major != 7 || minor < 1)
            throw LoadError("module reports interface version " + std::to_string(major) + "." +
                            std::to_string(minor) + ", 7.1 needed");
    }
    instance_ = static_cast<TKExtInstance *>(
        create(kernel.handle(), messages ? messages->object() : nullptr));
    if (instance_ == nullptr)
        throw LoadError("the module could not create an extension instance");
}

Extension::~Extension()
{
    if (instance_)
        instance_->destroy(instance_);
}

const TKFuncDesc *Extension::descriptor(std::u32string_view name) const
{
    const TKFuncList *list = instance_->funcs;
    for (int64_t i = 0; i < list->count; i++) {
        const uint32_t *n = list->descs[i].name;
        size_t k = 0;
        while (k < name.size() && n[k] == static_cast<uint32_t>(name[k]))
            k++;
        if (k == name.size() && n[k] == 0)
            return &list->descs[i];
    }
    return nullptr;
}

TKEntryPoint Extension::find(std::u32string_view name) const
{
    const TKFuncDesc *d = descriptor(name);
    return d ? instance_->funcs->entries[d - instance_->funcs->descs] : nullptr;
}

Evaluation evaluate(TKEntryPoint entry, void *ctx, double date1, double date2,
                    std::optional<Basis> basis, int64_t argc)
{
    TKFuncCall call;
    std::memset(&call, 0xA5, sizeof call); // host fields: nothing the module reads
    TKCharValue value;
    std::memset(&value, 0x5A, sizeof value);
    call.argc = argc != 0 ? argc : basis ? 3 : 2;
    call.args[0].value = &date1;
    call.args[1].value = &date2;
    call.args[2].value = nullptr;
    if (basis) {
        value.len = basis->len;
        value.text = basis->text;
        call.args[2].value = &value;
    }
    Evaluation e;
    std::memset(&e.result, 0x33, sizeof e.result);
    e.status = entry(&call, &e.result, ctx);
    return e;
}

std::string default_module_path(const char *argv0)
{
    if (const char *env = std::getenv("TKYRDIF_MODULE"); env && *env)
        return env;
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir;
    if (n > 0) {
        self[n] = '\0';
        dir = self;
    } else if (argv0) {
        dir = argv0;
    }
    auto slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    return dir + "/tkyrdif.so";
}

} // namespace tkhost
