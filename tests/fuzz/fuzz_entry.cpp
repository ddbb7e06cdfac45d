// Fuzzes both registrations end to end: a function-call record built from
// the input (dates from raw bits, any argument count, any basis text as
// bytes or UTF-32, or none), evaluated through the entry point found in
// the function list of a live instance.  Oracle: the result is exactly the
// missing value with status 120836, or status 0 with the engine's own year
// output for the basis the parser finds.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "loader.h"
#include "oracle.h"

using tkfuzz::bits;
using tkfuzz::fail;

namespace {

// The services and one live instance, made at the first input.
struct Host : tkhost::Services {
    TKExtInstance *instance = nullptr;
    Host()
    {
        int64_t a, b;
        tkextver(kernel.handle(), &a, &b);
        instance = static_cast<TKExtInstance *>(tkuyrdif(kernel.handle(), messages.object()));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Host *host = new Host();
    if (size < 17)
        return 0;
    double d1, d2;
    std::memcpy(&d1, data, 8);
    std::memcpy(&d2, data + 8, 8);
    const uint8_t flags = data[16];
    const int64_t counts[] = {2, 3, 1, 7};
    const int64_t argc = counts[flags & 3];
    const bool bytes = (flags & 4) != 0;
    const bool null_text = (flags & 8) != 0, null_value = (flags & 16) != 0;
    const uint8_t *rest = data + 17;
    size_t rest_len = size - 17;

    // The text in a buffer of exactly its size, so any over-read shows.
    std::vector<uint8_t> text8(rest, rest + rest_len);
    std::vector<uint32_t> text32(rest_len / 4);
    if (!text32.empty())
        std::memcpy(text32.data(), rest, text32.size() * 4);
    TKCharValue value{};
    value.len = static_cast<int32_t>(bytes ? text8.size() : text32.size());
    value.text = null_text ? nullptr
                           : bytes ? static_cast<const void *>(text8.data()) : text32.data();
    TKFuncCall call{};
    call.argc = argc;
    call.args[0].value = &d1;
    call.args[1].value = &d2;
    call.args[2].value = null_value ? nullptr : &value;

    const TKFuncList *list = host->instance->funcs;
    TKEntryPoint entry = list->entries[bytes ? 1 : 0];
    double result;
    int32_t status = entry(&call, &result, host->context.object());

    // What the entry point must have done.
    bool expect_missing = std::isnan(d1) || std::isnan(d2);
    int32_t code = TK_BASIS_AGE;
    if (!expect_missing && argc != 2) {
        if (null_value || null_text)
            expect_missing = true;
        else if ((bytes ? zdatdciS(text8.data(), value.len, 1, &code, host->context.object())
                        : zdatdci(text32.data(), value.len, 1, &code, nullptr)) != 0)
            expect_missing = true;
    }
    double years = 0;
    if (!expect_missing && zdatdif(code, nullptr, &years, d1, d2) != 0)
        expect_missing = true;

    if (expect_missing) {
        if (status != TK_YRDIF_FAILED || bits(result) != TK_MISSING_BITS)
            fail("missing expected");
    } else if (status != 0 || bits(result) != bits(years)) {
        fail("engine result expected");
    }
    if (rest_len > 0 && std::memcmp(text8.data(), rest, rest_len) != 0)
        fail("the caller's text changed");
    return 0;
}
