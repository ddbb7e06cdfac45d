// evaluator.h - one loaded module with its stand-in host, evaluating YRDIF
// or YRDIF# through the extension protocol the way the host does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dates.h"
#include "loader.h"

namespace yrdif {

struct Setup {
    std::string module_path;
    bool bytes = false;            // YRDIF# instead of YRDIF
    std::optional<int64_t> cutoff; // TK_NAME_YEARCUTOFF
    bool days = false;             // also compute the engine's day count
};

struct Outcome {
    bool ok = false;
    double years = 0;
    int64_t days = 0;
    std::string reason; // why there is no result, when !ok
};

class Evaluator {
public:
    explicit Evaluator(const Setup &setup); // throws tkhost::LoadError
    ~Evaluator();

    // Evaluates with two arguments (no basis) or three.
    Outcome run(double start, double end, std::optional<std::string_view> basis);
    ParsedDate date(std::string_view text) const { return parse_date(text, calendar_); }
    // The basis code the module's parser gives a text (1 .. 5), 0 for none.
    int32_t basis_code(std::string_view basis);
    // The version record read through tkvercn1, one field a line.
    std::string version_text() const;

private:
    int32_t parse_basis(std::string_view basis, int32_t *code);

    Setup setup_;
    tkhost::Kernel kernel_;
    tkhost::MessageService messages_;
    tkhost::StringService strings_;
    tkhost::CallContext context_{&strings_};
    tkhost::Module module_;
    tkhost::Extension extension_;
    TKEntryPoint entry_ = nullptr;
    Calendar calendar_{};
    int32_t (*zdatdif_)(int32_t, int64_t *, double *, double, double) = nullptr;
    int32_t (*zdatdci_)(const uint32_t *, int32_t, int32_t, int32_t *, void *) = nullptr;
    int32_t (*zdatdcis_)(const uint8_t *, int32_t, int32_t, int32_t *, void *) = nullptr;
    std::vector<uint32_t> wide_; // the basis as UTF-32, reused between rows
};

} // namespace yrdif
