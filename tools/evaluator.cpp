// evaluator.cpp - driving the module for the yrdif command.
#include "evaluator.h"

#include <cmath>
#include <cstring>

#include "date/utf8.h"

namespace yrdif {

namespace {

// UTF-8 to UTF-32 into a reused buffer (see date/utf8.h).
void decode_utf8(std::string_view s, std::vector<uint32_t> &out)
{
    out.resize(s.size());
    out.resize(tk_utf8_decode(s.data(), s.size(), out.data(), out.size()));
}

// The kernel with the command's cutoff option set, before start-up.
tkhost::Kernel &configured(tkhost::Kernel &kernel, const Setup &setup)
{
    if (setup.cutoff)
        kernel.set_year_cutoff(*setup.cutoff);
    return kernel;
}

} // namespace

Evaluator::Evaluator(const Setup &setup)
    : setup_(setup), module_(setup.module_path),
      extension_(module_, configured(kernel_, setup), &messages_)
{
    entry_ = extension_.find(setup.bytes ? U"YRDIF#" : U"YRDIF");
    if (entry_ == nullptr)
        throw tkhost::LoadError(module_.path() + " does not offer " +
                                (setup.bytes ? "YRDIF#" : "YRDIF"));
    calendar_.julymd = module_.fn<double (*)(double, double, double)>("tkfmtzjulymd");
    calendar_.datjul = module_.fn<double (*)(double)>("tkfmtzdatjul");
    calendar_.juldat = module_.fn<double (*)(double)>("tkfmtzjuldat");
    zdatdif_ = module_.fn<decltype(zdatdif_)>("zdatdif");
    zdatdci_ = module_.fn<decltype(zdatdci_)>("zdatdci");
    zdatdcis_ = module_.fn<decltype(zdatdcis_)>("zdatdciS");
}

Evaluator::~Evaluator() = default;

int32_t Evaluator::basis_code(std::string_view basis)
{
    int32_t code = 0;
    return parse_basis(basis, &code) == 0 ? code : 0;
}

int32_t Evaluator::parse_basis(std::string_view basis, int32_t *code)
{
    auto len = static_cast<int32_t>(std::min<size_t>(basis.size(), INT32_MAX));
    if (setup_.bytes)
        return zdatdcis_(reinterpret_cast<const uint8_t *>(basis.data()), len, 1, code,
                         context_.object());
    decode_utf8(basis, wide_);
    return zdatdci_(wide_.data(), static_cast<int32_t>(wide_.size()), 1, code, context_.object());
}

Outcome Evaluator::run(double start, double end, std::optional<std::string_view> basis)
{
    Outcome out;
    tkhost::Evaluation e;
    if (!basis) {
        e = tkhost::evaluate(entry_, context_.object(), start, end, std::nullopt);
    } else if (setup_.bytes) {
        e = tkhost::evaluate(entry_, context_.object(), start, end,
                             tkhost::Basis{basis->data(), static_cast<int32_t>(basis->size())});
    } else {
        decode_utf8(*basis, wide_);
        e = tkhost::evaluate(entry_, context_.object(), start, end,
                             tkhost::Basis{wide_.data(), static_cast<int32_t>(wide_.size())});
    }
    if (e.status == 0) {
        out.ok = true;
        out.years = e.result;
        if (setup_.days) {
            int32_t code = TK_BASIS_AGE;
            if (!basis || parse_basis(*basis, &code) == 0)
                zdatdif_(code, &out.days, nullptr, start, end);
        }
        return out;
    }
    // Say why, checking in the order the entry point does.
    int32_t code = TK_BASIS_AGE;
    if (std::isnan(start))
        out.reason = "the start date is missing";
    else if (std::isnan(end))
        out.reason = "the end date is missing";
    else if (basis && parse_basis(*basis, &code) != 0)
        out.reason = "basis " + shown(*basis) + " is not recognised";
    else if (zdatdif_(code, nullptr, nullptr, start, end) != 0)
        out.reason = "a date is outside the calendar";
    else
        out.reason = "status " + std::to_string(e.status);
    return out;
}

std::string Evaluator::version_text() const
{
    TKVersionInfo v;
    module_.fn<int32_t (*)(void *)>("tkvercn1")(&v);
    std::string s;
    s += "release:     " + std::string(v.release) + "\n";
    s += "built:       " + std::string(v.build_date) + " (" + std::to_string(v.build_time) +
         ")\n";
    s += "location:    " + std::string(v.location) + "\n";
    s += "identifiers: " + std::string(v.ident8) + " " + v.ident19 + "\n";
    s += "product:     " + std::string(v.product) + " " + v.family + "\n";
    s += "platform:    " + std::string(v.platform) + "\n";
    return s;
}

} // namespace yrdif
