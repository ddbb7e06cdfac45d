// yrdif - the difference between two dates in years under a day-count
// basis, evaluated by the YRDIF extension module through the extension
// protocol, from the shell or over CSV files.
//
// Exit status: 0 success, 1 a result was missing, 2 usage error or the
// module could not be used.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "csv.h"
#include "evaluator.h"

namespace {

const char kUsage[] =
    "usage: yrdif [options] START END [BASIS]\n"
    "       yrdif --csv [FILE] [options]\n"
    "\n"
    "Prints the difference between START and END in years under BASIS, one of\n"
    "'30/360', 'ACT/ACT', 'ACT/360', 'ACT/365' or 'AGE' (written as the module\n"
    "reads it: case does not matter, 'ACTUAL' is 'ACT/ACT', and so on).  Without\n"
    "BASIS the module counts as 'AGE'.\n"
    "\n"
    "Dates are ISO 8601 calendar dates (2000-01-31; years above 9999 with a\n"
    "leading '+', as in +20000-12-31; a two-digit year such as 60-01-01 is\n"
    "widened through the cutoff year), or date values: days from 1960-01-01,\n"
    "fractions allowed (14610 is 2000-01-01).  '.' is a missing date.  The\n"
    "calendar runs from 1582-01-01 to +20000-12-31.\n"
    "\n"
    "options:\n"
    "  --bytes          evaluate YRDIF#, which takes the basis as bytes through\n"
    "                   the host's string service (default: YRDIF, UTF-32)\n"
    "  --digits N       print N decimals (default: the shortest decimal that\n"
    "                   reads back as the same double)\n"
    "  --days           print the engine's day count as well\n"
    "  --cutoff YEAR    two-digit years fall in YEAR .. YEAR+99 (the host option\n"
    "                   TK_NAME_YEARCUTOFF; unset, the module uses 1926)\n"
    "  --module PATH    the module to load (default: tkyrdif.so beside yrdif,\n"
    "                   or $TKYRDIF_MODULE)\n"
    "  --version        print the module's version record\n"
    "  --help           print this text\n"
    "\n"
    "CSV mode (--csv, reading FILE or standard input):\n"
    "  The first row names the columns.  Every row is written back as it was\n"
    "  read with a 'yrdif' column appended (and 'days' with --days); a row\n"
    "  without a result gets an empty field and is counted on standard error.\n"
    "  --start NAME     column of start dates (default: start)\n"
    "  --end NAME       column of end dates (default: end)\n"
    "  --basis NAME     column of bases (default: basis, when there is one;\n"
    "                   without a basis column every row counts as 'AGE')\n"
    "  --basis-all TEXT one basis for every row\n"
    "  --strict         stop at the first row without a result\n"
    "\n"
    "exit status: 0 success, 1 a result was missing, 2 usage error.\n";

struct Options {
    yrdif::Setup setup;
    std::optional<int> digits;
    bool csv = false, strict = false, version = false, help = false;
    std::string csv_file;
    std::string start_col = "start", end_col = "end", basis_col = "basis";
    bool basis_col_given = false;
    std::optional<std::string> basis_all;
    std::vector<std::string> positional;
};

[[noreturn]] void usage_error(const std::string &msg)
{
    std::fprintf(stderr, "yrdif: %s\n(try 'yrdif --help')\n", msg.c_str());
    std::exit(2);
}

template <class T> T number(const std::string &opt, const std::string &text, T lo, T hi)
{
    T v{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
        usage_error(opt + " takes a whole number from " + std::to_string(lo) + " to " +
                    std::to_string(hi) + ", not '" + text + "'");
    return v;
}

Options parse_options(int argc, char **argv)
{
    Options o;
    o.setup.module_path = tkhost::default_module_path(argv[0]);
    bool only_positional = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto value = [&](const char *name) -> std::string {
            if (i + 1 >= argc)
                usage_error(std::string(name) + " needs a value");
            return argv[++i];
        };
        // A leading '-' followed by a digit or '.' is a (negative) date value.
        bool option = !only_positional && a.size() > 1 && a[0] == '-' &&
                      !(std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.');
        if (!option) {
            o.positional.push_back(a);
            continue;
        }
        if (a == "--")
            only_positional = true;
        else if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--version")
            o.version = true;
        else if (a == "--bytes")
            o.setup.bytes = true;
        else if (a == "--days")
            o.setup.days = true;
        else if (a == "--strict")
            o.strict = true;
        else if (a == "--digits")
            o.digits = number<int>(a, value("--digits"), 0, 40);
        else if (a == "--cutoff")
            o.setup.cutoff = number<int64_t>(a, value("--cutoff"), -2147483648LL, 2147483647LL);
        else if (a == "--module")
            o.setup.module_path = value("--module");
        else if (a == "--csv") {
            o.csv = true;
            if (i + 1 < argc && (argv[i + 1][0] != '-' || std::strcmp(argv[i + 1], "-") == 0))
                o.csv_file = argv[++i];
        } else if (a == "--start")
            o.start_col = value("--start");
        else if (a == "--end")
            o.end_col = value("--end");
        else if (a == "--basis") {
            o.basis_col = value("--basis");
            o.basis_col_given = true;
        } else if (a == "--basis-all")
            o.basis_all = value("--basis-all");
        else
            usage_error("unknown option '" + a + "'");
    }
    return o;
}

// The result as text: the shortest decimal that reads back as the same
// double, or fixed decimals.
std::string format(double v, const std::optional<int> &digits)
{
    char buf[512];
    auto r = digits ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, *digits)
                    : std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// ---- one evaluation ------------------------------------------------------

int run_single(const Options &o, yrdif::Evaluator &ev)
{
    if (o.positional.size() < 2 || o.positional.size() > 3)
        usage_error("give START END and optionally BASIS");
    const char *names[] = {"START", "END"};
    double dates[2];
    for (int i = 0; i < 2; i++) {
        auto d = ev.date(o.positional[static_cast<size_t>(i)]);
        if (!d.ok)
            usage_error(std::string(names[i]) + ": " + d.error);
        dates[i] = d.value;
    }
    std::optional<std::string_view> basis;
    if (o.positional.size() == 3)
        basis = o.positional[2];
    yrdif::Outcome r = ev.run(dates[0], dates[1], basis);
    if (!r.ok) {
        std::printf("\n");
        std::fprintf(stderr, "yrdif: no result: %s\n", r.reason.c_str());
        return 1;
    }
    std::string line = format(r.years, o.digits);
    if (o.setup.days)
        line += " " + std::to_string(r.days);
    std::printf("%s\n", line.c_str());
    return 0;
}

// ---- CSV -----------------------------------------------------------------

class Output {
public:
    explicit Output(std::FILE *f) : f_(f) { buf_.reserve(kSize + 4096); }
    ~Output() { flush(); }
    void put(std::string_view s)
    {
        buf_.append(s);
        if (buf_.size() >= kSize)
            flush();
    }
    void flush()
    {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), f_) != buf_.size()) {
            std::fprintf(stderr, "yrdif: cannot write the output: %s\n", std::strerror(errno));
            std::exit(2);
        }
        buf_.clear();
        std::fflush(f_);
    }

private:
    static constexpr size_t kSize = 1 << 20;
    std::FILE *f_;
    std::string buf_;
};

constexpr size_t kNoColumn = SIZE_MAX;

// Index of the named column (case, surrounding blanks and a leading byte
// order mark aside), or kNoColumn.
size_t column(const yrdif::CsvReader &header, const std::string &name)
{
    auto lower = [](std::string_view s) {
        if (s.substr(0, 3) == "\xEF\xBB\xBF") // a byte order mark before the first name
            s.remove_prefix(3);
        std::string t;
        for (char c : s)
            t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
            t.pop_back();
        while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
            t.erase(0, 1);
        return t;
    };
    for (size_t i = 0; i < header.fields(); i++)
        if (lower(header.field(i)) == lower(name))
            return i;
    return kNoColumn;
}

int run_csv(const Options &o, yrdif::Evaluator &ev)
{
    if (!o.positional.empty())
        usage_error("--csv takes no dates on the command line");
    if (o.basis_all && o.basis_col_given)
        usage_error("give either --basis or --basis-all, not both");
    std::FILE *in = stdin;
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> owned(nullptr, std::fclose);
    if (!o.csv_file.empty() && o.csv_file != "-") {
        in = std::fopen(o.csv_file.c_str(), "rb");
        if (in == nullptr)
            usage_error("cannot open " + o.csv_file + ": " + std::strerror(errno));
        owned.reset(in);
    }
    yrdif::CsvReader csv(in);
    if (!csv.next())
        usage_error("the CSV input is empty: it needs a header row");
    size_t start = column(csv, o.start_col), end = column(csv, o.end_col);
    if (start == kNoColumn || end == kNoColumn)
        usage_error("the header has no column '" +
                    (start == kNoColumn ? o.start_col : o.end_col) + "'");
    size_t basis = o.basis_all ? kNoColumn : column(csv, o.basis_col);
    if (o.basis_col_given && basis == kNoColumn)
        usage_error("the header has no column '" + o.basis_col + "'");
    size_t needed = std::max({start, end, basis == kNoColumn ? 0 : basis}) + 1;

    Output out(stdout);
    std::string nl = csv.line_end().empty() ? "\n" : std::string(csv.line_end());
    out.put(csv.raw());
    out.put(o.setup.days ? ",yrdif,days" : ",yrdif");
    out.put(nl);

    const bool progress = isatty(STDERR_FILENO) != 0;
    int64_t rows = 0, missing = 0, first_bad_line = 0;
    std::string first_reason;
    std::string cell;
    while (csv.next()) {
        if (csv.raw().empty() && csv.fields() == 1) { // a blank line passes through
            out.put(csv.line_end());
            continue;
        }
        rows++;
        std::string reason;
        yrdif::Outcome r;
        if (csv.unterminated_quote()) {
            reason = "a quoted field is not closed";
        } else if (csv.fields() < needed) {
            reason = "the row has " + std::to_string(csv.fields()) + " fields, " +
                     std::to_string(needed) + " needed";
        } else {
            auto d1 = ev.date(csv.field(start)), d2 = ev.date(csv.field(end));
            if (!d1.ok)
                reason = o.start_col + ": " + d1.error;
            else if (!d2.ok)
                reason = o.end_col + ": " + d2.error;
            else {
                std::optional<std::string_view> b;
                if (o.basis_all)
                    b = *o.basis_all;
                else if (basis != kNoColumn)
                    b = csv.field(basis);
                r = ev.run(d1.value, d2.value, b);
                if (!r.ok)
                    reason = r.reason;
            }
        }
        out.put(csv.raw());
        out.put(",");
        if (r.ok) {
            out.put(format(r.years, o.digits));
            if (o.setup.days) {
                out.put(",");
                out.put(std::to_string(r.days));
            }
        } else {
            out.put(o.setup.days ? "," : "");
            missing++;
            if (first_bad_line == 0) {
                first_bad_line = csv.line();
                first_reason = reason;
            }
            if (o.strict) {
                out.put(csv.line_end().empty() ? nl : csv.line_end());
                out.flush();
                std::fprintf(stderr, "yrdif: line %lld: no result: %s\n",
                             static_cast<long long>(csv.line()), reason.c_str());
                return 1;
            }
        }
        out.put(csv.line_end().empty() ? nl : csv.line_end());
        if (progress && rows % (1 << 20) == 0)
            std::fprintf(stderr, "\ryrdif: %lld rows", static_cast<long long>(rows));
    }
    out.flush();
    if (progress && rows >= (1 << 20))
        std::fprintf(stderr, "\r\033[K");
    if (missing > 0) {
        std::fprintf(stderr, "yrdif: %lld of %lld rows have no result (first at line %lld: %s)\n",
                     static_cast<long long>(missing), static_cast<long long>(rows),
                     static_cast<long long>(first_bad_line), first_reason.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o = parse_options(argc, argv);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::unique_ptr<yrdif::Evaluator> ev;
    try {
        ev = std::make_unique<yrdif::Evaluator>(o.setup);
    } catch (const tkhost::LoadError &e) {
        std::fprintf(stderr, "yrdif: %s\n", e.what());
        return 2;
    }
    if (o.version) {
        std::fputs(ev->version_text().c_str(), stdout);
        return 0;
    }
    return o.csv ? run_csv(o, *ev) : run_single(o, *ev);
}
