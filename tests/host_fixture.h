// host_fixture.h - a test fixture that runs the module the way the host
// does: dlopen, tkextver, tkuyrdif, the function list, call records.
#pragma once

#include <memory>
#include <string>

#include "loader.h"
#include "support.h"

namespace tktest {

class Hosted : public ::testing::Test, protected tkhost::Services {
protected:
    void SetUp() override
    {
        extension = std::make_unique<tkhost::Extension>(module, kernel, &messages);
        yrdif = extension->find(U"YRDIF");
        yrdif_bytes = extension->find(U"YRDIF#");
        ASSERT_NE(yrdif, nullptr);
        ASSERT_NE(yrdif_bytes, nullptr);
    }
    void TearDown() override { extension.reset(); }

    tkhost::Module module{TK_MODULE_PATH};
    std::unique_ptr<tkhost::Extension> extension;
    TKEntryPoint yrdif = nullptr, yrdif_bytes = nullptr;
};

// Bytes as UTF-32 characters of the same values.
inline std::u32string widen(const std::string &s)
{
    std::u32string out;
    for (unsigned char c : s)
        out += static_cast<char32_t>(c);
    return out;
}

} // namespace tktest
