// Fuzzes the bindings' reader of UTF-8 basis texts (Python's str, Polars,
// DuckDB, SQLite's TEXT, R) against the module's parser, as loaded: a text that is
// valid UTF-8, decoded by the C library, gets from zdatdci (its first 256
// characters) the code tk_basis_utf8 gives it; any other bytes are read
// without reading past them.
#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "column.h"
#include "tkyrdif.h"
#include "module.h"
#include "oracle.h"

// The text's characters as the C library decodes UTF-8; false where it is
// not valid UTF-8.
static bool decode(const std::string &s, std::u32string *out)
{
    std::mbstate_t state{};
    for (size_t i = 0; i < s.size();) {
        wchar_t c;
        size_t k = std::mbrtowc(&c, s.data() + i, s.size() - i, &state);
        if (k == static_cast<size_t>(-1) || k == static_cast<size_t>(-2))
            return false;
        k = k ? k : 1; // a NUL is one byte, and a character like any other
        out->push_back(static_cast<char32_t>(c));
        i += k;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
    check(utf8, "the C.UTF-8 locale");
    const std::string text(data, data + size);
    std::u32string wide;
    if (decode(text, &wide)) {
        const int32_t n = static_cast<int32_t>(std::min<size_t>(wide.size(), 256));
        int32_t code = -7;
        static auto zdatdci = module_function<decltype(&::zdatdci)>("zdatdci");
        zdatdci(reinterpret_cast<const uint32_t *>(wide.data()), n, 1, &code, nullptr);
        check(tk_basis_utf8(reinterpret_cast<const char *>(data), size) == code,
              "tk_basis_utf8 is zdatdci");
    } else { // the fuzzer's own buffer, so that a read past its end is caught
        tk_basis_utf8(reinterpret_cast<const char *>(data), size);
    }
    return 0;
}
