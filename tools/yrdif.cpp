// yrdif - the difference between two dates in years under a day-count
// basis, evaluated by the YRDIF extension module through the extension
// protocol, from the shell or over CSV files.
//
// Exit status: 0 success, 1 a result was missing (or the input had a row
// it cannot use), 2 usage error, the module could not be used, or the
// input or output failed.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "csv.h"
#include "evaluator.h"

#ifndef TK_COMMAND_VERSION
#define TK_COMMAND_VERSION "unknown"
#endif
#ifndef TK_RELATIVE_LIBDIR
#define TK_RELATIVE_LIBDIR "../lib"
#endif

namespace {

const char kUsage[] =
    "usage: yrdif [options] START END [BASIS]\n"
    "       yrdif --csv [options] [FILE]\n"
    "\n"
    "Prints the difference between START and END in years under BASIS, one of\n"
    "'30/360', 'ACT/ACT', 'ACT/360', 'ACT/365' or 'AGE', as the module reads it\n"
    "(case does not matter, 'ACTUAL' is 'ACT/ACT', and so on; --explain shows\n"
    "which basis a text is read as).  Without BASIS the module counts as 'AGE'.\n"
    "\n"
    "Dates are ISO 8601 calendar dates (2000-01-31; years above 9999 with a\n"
    "leading '+', as in +20000-12-31; a two-digit year such as 60-01-01 is\n"
    "widened through the cutoff year; a time of day after 'T' or a blank, as\n"
    "in 2000-01-31T10:30, is dropped), or date values: days from 1960-01-01,\n"
    "fractions allowed (14610 is 2000-01-01).  '.' is a missing date.  The\n"
    "calendar runs from 1582-01-01 to +20000-12-31.\n"
    "\n"
    "options:\n"
    "  --bytes            evaluate YRDIF#, which takes the basis as bytes through\n"
    "                     the host's string service (default: YRDIF, UTF-32)\n"
    "  --digits N         print N decimals (default: the shortest decimal that\n"
    "                     reads back as the same double)\n"
    "  --days             print the engine's day count as well: the days the\n"
    "                     result was formed from; for 'AGE' the days between the\n"
    "                     dates after each end in a leap year has been moved a\n"
    "                     year out of it (2000-02-29 to 2001-02-28 counts 731)\n"
    "  --explain          say on standard error which basis each text is read as\n"
    "  --cutoff YEAR      two-digit years fall in YEAR .. YEAR+99 (the host option\n"
    "                     TK_NAME_YEARCUTOFF; unset, the module uses 1926)\n"
    "  --module PATH      the module to load (default: tkyrdif.so beside yrdif or\n"
    "                     in the library folder it was installed with, or\n"
    "                     $TKYRDIF_MODULE)\n"
    "  --version          print the command's version and the module's record\n"
    "  --help             print this text\n"
    "Options take their value as --opt VALUE or --opt=VALUE.\n"
    "\n"
    "CSV mode (--csv, reading FILE or standard input):\n"
    "  The first row names the columns.  Every row is written back as it was\n"
    "  read with a 'yrdif' column after the header's last column (and 'days'\n"
    "  with --days); short rows are padded to the header's width.  A row\n"
    "  without a result gets an empty field and is reported on standard error\n"
    "  as FILE:LINE: COLUMN: message.\n"
    "  --start COL        column of start dates (default: start)\n"
    "  --end COL          column of end dates (default: end)\n"
    "  --basis COL        column of bases (default: basis, when there is one;\n"
    "                     without a basis column every row counts as 'AGE')\n"
    "  --basis-all TEXT   one basis for every row\n"
    "  -n, --no-header    the first row is data; COL is a column number from 1\n"
    "                     (defaults: start 1, end 2, no basis column)\n"
    "  -d, --delimiter C  the field delimiter (default: ,)\n"
    "  -t, --tabs         tab-delimited input (as -d '\\t')\n"
    "  --output-column NAME  name of the result column (default: yrdif)\n"
    "  --days-column NAME    name of the day-count column (default: days)\n"
    "  --ragged           allow rows longer than the header (the result still\n"
    "                     goes after the header's last column)\n"
    "  --strict           stop at the first row without a result\n"
    "  --max-errors N     report at most N rows without a result (default 10),\n"
    "                     then their count\n"
    "  --errors FILE      write every row without a result to FILE\n"
    "  --line-buffered    write each row as soon as it is evaluated (the default\n"
    "                     when the input is a terminal or a pipe)\n"
    "\n"
    "exit status: 0 success, 1 a result was missing or a row could not be used,\n"
    "2 usage error, the module could not be loaded, or input or output failed.\n";

// ---- output ----------------------------------------------------------------

// Standard output with every write checked; a failed write (a full disk, a
// closed pipe) ends the command with status 2.
class Output {
public:
    explicit Output(bool line_buffered) : line_buffered_(line_buffered)
    {
        buf_.reserve(kSize + 4096);
    }
    void put(std::string_view s)
    {
        buf_.append(s);
        if (buf_.size() >= kSize)
            flush();
    }
    void end_line() // after a whole row
    {
        if (line_buffered_)
            flush();
    }
    void flush()
    {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), stdout) != buf_.size())
            fail();
        buf_.clear();
        if (std::fflush(stdout) != 0)
            fail();
    }
    // Flushes and closes standard output, so that a failure to write the
    // last bytes is seen too.
    void close()
    {
        flush();
        if (std::fclose(stdout) != 0)
            fail();
    }

private:
    [[noreturn]] static void fail()
    {
        std::fprintf(stderr, "yrdif: cannot write the output: %s\n", std::strerror(errno));
        std::_Exit(2);
    }
    static constexpr size_t kSize = 1 << 20;
    bool line_buffered_;
    std::string buf_;
};

[[noreturn]] void usage_error(const std::string &msg)
{
    std::fprintf(stderr, "yrdif: %s\n(try 'yrdif --help')\n", msg.c_str());
    std::exit(2);
}

[[noreturn]] void input_error(const std::string &msg)
{
    std::fprintf(stderr, "yrdif: %s\n", msg.c_str());
    std::exit(2);
}

// ---- options -----------------------------------------------------------------

struct Options {
    yrdif::Setup setup;
    std::optional<int> digits;
    bool csv = false, version = false, help = false, explain = false;
    // CSV mode only.
    bool strict = false, no_header = false, ragged = false, line_buffered = false;
    char delimiter = ',';
    std::string start_col = "start", end_col = "end", basis_col = "basis";
    bool basis_col_given = false;
    std::optional<std::string> basis_all;
    std::string output_col = "yrdif", days_col = "days";
    int64_t max_errors = 10;
    std::string errors_file;
    std::vector<std::string> csv_only_given; // to refuse them outside CSV mode
    std::vector<std::string> positional;
};

template <class T> T number(const std::string &opt, const std::string &text, T lo, T hi)
{
    T v{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
        usage_error(opt + " takes a whole number from " + std::to_string(lo) + " to " +
                    std::to_string(hi) + ", not " + yrdif::shown(text));
    return v;
}

Options parse_options(int argc, char **argv)
{
    Options o;
    bool only_positional = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        // A leading '-' followed by a digit or '.' is a (negative) date value.
        bool option = !only_positional && a.size() > 1 && a[0] == '-' &&
                      !(std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.');
        if (!option) {
            o.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            only_positional = true;
            continue;
        }
        std::optional<std::string> inline_value; // --opt=value
        if (auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            inline_value = a.substr(eq + 1);
            a.resize(eq);
        }
        auto value = [&]() -> std::string {
            if (inline_value)
                return *inline_value;
            if (i + 1 >= argc)
                usage_error(a + " needs a value");
            return argv[++i];
        };
        auto flag = [&]() {
            if (inline_value)
                usage_error(a + " takes no value");
        };
        auto csv_only = [&]() { o.csv_only_given.push_back(a); };
        if (a == "--help" || a == "-h")
            flag(), o.help = true;
        else if (a == "--version")
            flag(), o.version = true;
        else if (a == "--bytes")
            flag(), o.setup.bytes = true;
        else if (a == "--days")
            flag(), o.setup.days = true;
        else if (a == "--explain")
            flag(), o.explain = true;
        else if (a == "--digits")
            o.digits = number<int>(a, value(), 0, 40);
        else if (a == "--cutoff")
            o.setup.cutoff = number<int64_t>(a, value(), -2147483648LL, 2147483647LL);
        else if (a == "--module")
            o.setup.module_path = value();
        else if (a == "--csv")
            flag(), o.csv = true;
        else if (a == "--start")
            csv_only(), o.start_col = value();
        else if (a == "--end")
            csv_only(), o.end_col = value();
        else if (a == "--basis")
            csv_only(), o.basis_col = value(), o.basis_col_given = true;
        else if (a == "--basis-all")
            csv_only(), o.basis_all = value();
        else if (a == "--strict")
            csv_only(), flag(), o.strict = true;
        else if (a == "-n" || a == "--no-header")
            csv_only(), flag(), o.no_header = true;
        else if (a == "-t" || a == "--tabs")
            csv_only(), flag(), o.delimiter = '\t';
        else if (a == "-d" || a == "--delimiter") {
            csv_only();
            std::string d = value();
            if (d == "\\t")
                d = "\t";
            if (d.size() != 1 || d[0] == '"' || d[0] == '\n' || d[0] == '\r')
                usage_error("--delimiter takes one byte other than a quote or a line end, not " +
                            yrdif::shown(d));
            o.delimiter = d[0];
        } else if (a == "--output-column" || a == "--days-column") {
            csv_only();
            std::string &name = a == "--output-column" ? o.output_col : o.days_col;
            name = value();
            if (name.empty())
                usage_error(a + " takes a name, not an empty text");
        } else if (a == "--ragged")
            csv_only(), flag(), o.ragged = true;
        else if (a == "--line-buffered")
            csv_only(), flag(), o.line_buffered = true;
        else if (a == "--max-errors")
            csv_only(), o.max_errors = number<int64_t>(a, value(), 0, INT64_MAX);
        else if (a == "--errors")
            csv_only(), o.errors_file = value();
        else
            usage_error("unknown option " + yrdif::shown(a));
    }
    if (!o.csv && !o.csv_only_given.empty())
        usage_error(o.csv_only_given.front() + " applies only to CSV mode (--csv)");
    if (!o.setup.days && std::ranges::count(o.csv_only_given, "--days-column"))
        usage_error("--days-column applies only with --days");
    return o;
}

// The module: $TKYRDIF_MODULE, else beside the command (a build tree), else
// in the library folder the command was installed with.
std::string module_path(const char *argv0)
{
    std::string beside = tkhost::default_module_path(argv0);
    if (const char *env = std::getenv("TKYRDIF_MODULE"); env && *env)
        return beside;
    if (access(beside.c_str(), F_OK) == 0)
        return beside;
    std::string dir = beside.substr(0, beside.rfind('/'));
    std::string installed = dir + "/" TK_RELATIVE_LIBDIR "/tkyrdif.so";
    return access(installed.c_str(), F_OK) == 0 ? installed : beside;
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

const char *const kBasisNames[] = {"", "30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE"};

// Says on standard error which basis a text is read as, once per text.
class Explainer {
public:
    explicit Explainer(bool on) : on_(on) {}
    void operator()(yrdif::Evaluator &ev, std::optional<std::string_view> basis)
    {
        if (!on_ || !seen_.insert(basis ? std::string(*basis) : std::string("\0", 1)).second)
            return;
        if (!basis) {
            std::fprintf(stderr, "yrdif: no basis: 'AGE'\n");
            return;
        }
        int32_t code = ev.basis_code(*basis);
        if (code == 0)
            std::fprintf(stderr, "yrdif: basis %s is not recognised\n",
                         yrdif::shown(*basis).c_str());
        else
            std::fprintf(stderr, "yrdif: basis %s is read as '%s'\n",
                         yrdif::shown(*basis).c_str(), kBasisNames[code]);
    }

private:
    bool on_;
    std::set<std::string> seen_;
};

// ---- one evaluation ------------------------------------------------------------

int run_single(const Options &o, yrdif::Evaluator &ev, Output &out)
{
    if (o.positional.size() < 2 || o.positional.size() > 3)
        usage_error("give START END and optionally BASIS");
    std::optional<std::string_view> basis;
    if (o.positional.size() == 3)
        basis = o.positional[2];
    Explainer explain(o.explain);
    explain(ev, basis);
    const char *names[] = {"START", "END"};
    double dates[2];
    for (int i = 0; i < 2; i++) {
        auto d = ev.date(o.positional[static_cast<size_t>(i)]);
        if (!d.ok) { // the same outcome as a row of a CSV file
            out.put("\n");
            out.close();
            std::fprintf(stderr, "yrdif: %s: %s\n", names[i], d.error.c_str());
            return 1;
        }
        dates[i] = d.value;
    }
    yrdif::Outcome r = ev.run(dates[0], dates[1], basis);
    if (!r.ok) {
        out.put("\n");
        out.close();
        std::fprintf(stderr, "yrdif: no result: %s\n", r.reason.c_str());
        return 1;
    }
    std::string line = format(r.years, o.digits);
    if (o.setup.days)
        line += " " + std::to_string(r.days);
    out.put(line + "\n");
    out.close();
    return 0;
}

// ---- CSV ---------------------------------------------------------------------

constexpr size_t kNoColumn = SIZE_MAX;

std::string folded(std::string_view s) // case and surrounding blanks aside
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    std::string t;
    for (char c : s)
        t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
}

// Index of a column named in the header, or given by number (from 1)
// without one; kNoColumn when there is none.
size_t column(const Options &o, const std::vector<std::string> &header, const std::string &name)
{
    if (o.no_header) {
        size_t n = 0;
        auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), n);
        if (ec != std::errc() || end != name.data() + name.size() || n == 0)
            usage_error("without a header, columns are numbers from 1, not " +
                        yrdif::shown(name));
        return n - 1;
    }
    size_t found = kNoColumn;
    for (size_t i = 0; i < header.size(); i++) {
        if (folded(header[i]) != folded(name))
            continue;
        // Two columns of one name: which one is meant is the user's to say.
        if (found != kNoColumn)
            usage_error("the header has two columns named " + yrdif::shown(name) + " (columns " +
                        std::to_string(found + 1) + " and " + std::to_string(i + 1) +
                        "); rename one");
        found = i;
    }
    return found;
}

std::string header_list(const std::vector<std::string> &header)
{
    std::string s;
    for (size_t i = 0; i < header.size() && i < 20; i++)
        s += (i ? ", " : "") + yrdif::shown(header[i]);
    return header.size() > 20 ? s + ", ..." : s;
}

// Rows without a result: the first max_errors on standard error, every one
// in the --errors file.
class Problems {
public:
    Problems(const Options &o, std::string source) : o_(o), source_(std::move(source))
    {
        if (!o.errors_file.empty()) {
            file_ = std::fopen(o.errors_file.c_str(), "w");
            if (file_ == nullptr)
                input_error("cannot write " + o.errors_file + ": " + std::strerror(errno));
        }
    }
    ~Problems()
    {
        if (file_)
            std::fclose(file_);
    }
    // Writes out the --errors file; a failure (a full disk) is an output
    // error, with the system's reason.
    void close()
    {
        std::FILE *f = file_;
        file_ = nullptr;
        if (f && (std::fflush(f) != 0 || std::fclose(f) != 0))
            input_error("cannot write " + o_.errors_file + ": " + std::strerror(errno));
    }
    void report(int64_t line, const std::string &what)
    {
        std::string msg = source_ + ":" + std::to_string(line) + ": " + what;
        if (count_++ < o_.max_errors)
            std::fprintf(stderr, "yrdif: %s\n", msg.c_str());
        if (file_ && std::fprintf(file_, "%s\n", msg.c_str()) < 0)
            input_error("cannot write " + o_.errors_file + ": " + std::strerror(errno));
    }
    int64_t count() const { return count_; }
    int64_t unshown() const { return std::max<int64_t>(0, count_ - o_.max_errors); }

private:
    const Options &o_;
    std::string source_;
    std::FILE *file_ = nullptr;
    int64_t count_ = 0;
};

std::FILE *open_input(const std::string &file)
{
    if (file.empty() || file == "-")
        return stdin;
    struct stat st {};
    if (stat(file.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        input_error(file + " is a directory, not a CSV file");
    std::FILE *in = std::fopen(file.c_str(), "rb");
    if (in == nullptr)
        input_error("cannot open " + file + ": " + std::strerror(errno));
    return in;
}

bool interactive_input(std::FILE *in)
{
    struct stat st {};
    int fd = fileno(in);
    return isatty(fd) || (fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode));
}

int run_csv(const Options &o, yrdif::Evaluator &ev)
{
    if (o.positional.size() > 1)
        usage_error("--csv reads one FILE (or standard input), not " +
                    std::to_string(o.positional.size()) + " arguments");
    if (o.basis_all && o.basis_col_given)
        usage_error("give either --basis or --basis-all, not both");
    std::string file = o.positional.empty() ? "-" : o.positional[0];
    std::FILE *in = open_input(file);
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> owned(in == stdin ? nullptr : in,
                                                            std::fclose);
    Output out(o.line_buffered || interactive_input(in));
    Problems problems(o, file == "-" ? "<stdin>" : file);
    yrdif::CsvReader csv(in, o.delimiter);
    const std::string delim(1, o.delimiter);

    // The header, or the first row's width without one.
    const std::string source = file == "-" ? "<stdin>" : file;
    auto read_error = [&]() {
        out.flush();
        input_error(source + ":" + std::to_string(csv.error_line()) + ": " + csv.error());
    };
    bool have_row = csv.next();
    if (!csv.error().empty())
        read_error();
    if (!have_row)
        input_error(file == "-" ? "the CSV input is empty: it needs a header row"
                                : file + " is empty: it needs a header row");
    if (csv.utf16()) // no column name would match its two bytes a character
        input_error(source + " is UTF-16 text (it starts with a UTF-16 byte order mark); yrdif reads "
                             "UTF-8: convert it first, e.g. iconv -f UTF-16 -t UTF-8");
    std::vector<std::string> header;
    for (size_t i = 0; i < csv.fields(); i++)
        header.emplace_back(csv.field(i));
    const size_t width = header.size();

    std::string start_name = o.no_header && o.start_col == "start" ? "1" : o.start_col;
    std::string end_name = o.no_header && o.end_col == "end" ? "2" : o.end_col;
    size_t start = column(o, header, start_name), end = column(o, header, end_name);
    for (auto [idx, name] : {std::pair{start, start_name}, std::pair{end, end_name}})
        if (idx == kNoColumn)
            usage_error("the header has no column " + yrdif::shown(name) + " (it has " +
                        header_list(header) + ")");
    size_t basis = kNoColumn;
    if (!o.basis_all && (o.basis_col_given || !o.no_header))
        basis = column(o, header, o.basis_col);
    if (o.basis_col_given && basis == kNoColumn)
        usage_error("the header has no column " + yrdif::shown(o.basis_col) + " (it has " +
                    header_list(header) + ")");
    if (!o.no_header) {
        if (o.setup.days && folded(o.output_col) == folded(o.days_col))
            usage_error("the output column and the days column are both named " +
                        yrdif::shown(o.days_col) + "; name them apart with --output-column " +
                        "or --days-column");
        for (const std::string *name : {&o.output_col, &o.days_col}) {
            if (name == &o.days_col && !o.setup.days)
                continue;
            if (column(o, header, *name) != kNoColumn)
                usage_error("the input already has a column " + yrdif::shown(*name) +
                            "; name the output with " +
                            (name == &o.output_col ? "--output-column" : "--days-column") +
                            " NAME");
        }
    }
    auto column_name = [&](size_t idx) {
        return o.no_header ? "column " + std::to_string(idx + 1) : header[idx];
    };

    Explainer explain(o.explain);
    int64_t rows = 0;
    std::string nl = csv.line_end().empty() ? "\n" : std::string(csv.line_end());
    bool first = true;
    if (csv.bom()) // the input's byte order mark goes out as it came in
        out.put("\xEF\xBB\xBF");
    do {
        std::string_view row_end = csv.line_end().empty() ? std::string_view(nl) : csv.line_end();
        if (first && !o.no_header) { // the header row, with the new columns
            first = false;
            out.put(csv.raw());
            out.put(delim + yrdif::csv_field(o.output_col, o.delimiter));
            if (o.setup.days)
                out.put(delim + yrdif::csv_field(o.days_col, o.delimiter));
            out.put(row_end);
            continue;
        }
        first = false;
        if (csv.raw().empty() && csv.fields() == 1) { // a blank line passes through
            out.put(csv.line_end());
            continue;
        }
        rows++;
        if (csv.fields() > width && !o.ragged) {
            out.flush();
            problems.report(csv.line(), "the row has " + std::to_string(csv.fields()) +
                                            " fields, the header " + std::to_string(width) +
                                            " (--ragged allows longer rows)");
            return 1;
        }
        auto field = [&](size_t i) { return i < csv.fields() ? csv.field(i) : std::string_view(); };
        std::string where; // COLUMN: message, when there is no result
        yrdif::Outcome r;
        auto d1 = ev.date(field(start)), d2 = ev.date(field(end));
        std::optional<std::string_view> b;
        if (o.basis_all)
            b = *o.basis_all;
        else if (basis != kNoColumn)
            b = field(basis);
        if (!d1.ok) {
            where = column_name(start) + ": " + d1.error;
        } else if (!d2.ok) {
            where = column_name(end) + ": " + d2.error;
        } else {
            explain(ev, b);
            r = ev.run(d1.value, d2.value, b);
            if (!r.ok) {
                bool basis_fault = r.reason.rfind("basis", 0) == 0;
                bool end_fault = r.reason.find("end date") != std::string::npos;
                where = (basis_fault ? (o.basis_all ? std::string("--basis-all")
                                                    : column_name(basis))
                                     : column_name(end_fault ? end : start)) +
                        ": " + r.reason;
            }
        }
        // The row up to the header's width (padded when short), the result,
        // then what a ragged row has beyond the header.
        size_t cut = csv.fields() > width ? csv.raw_end(width - 1) : csv.raw().size();
        out.put(csv.raw().substr(0, cut));
        for (size_t i = csv.fields(); i < width; i++)
            out.put(delim);
        out.put(delim);
        if (r.ok) {
            out.put(format(r.years, o.digits));
            if (o.setup.days)
                out.put(delim + std::to_string(r.days));
        } else if (o.setup.days) {
            out.put(delim);
        }
        out.put(csv.raw().substr(cut));
        out.put(row_end);
        out.end_line();
        if (!r.ok) {
            problems.report(csv.line(), where);
            if (o.strict) {
                out.close();
                problems.close();
                return 1;
            }
        }
    } while (csv.next());
    if (!csv.error().empty())
        read_error();
    out.close();
    problems.close();
    if (problems.count() > 0) {
        std::string more = problems.unshown() > 0
                               ? "; " + std::to_string(problems.unshown()) +
                                     " not shown (--errors FILE writes them all)"
                               : "";
        std::fprintf(stderr, "yrdif: %lld of %lld rows have no result%s\n",
                     static_cast<long long>(problems.count()), static_cast<long long>(rows),
                     more.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o = parse_options(argc, argv);
    if (o.help) {
        Output out(false);
        out.put(kUsage);
        out.close();
        return 0;
    }
    if (o.setup.module_path.empty())
        o.setup.module_path = module_path(argv[0]);
    std::unique_ptr<yrdif::Evaluator> ev;
    try {
        ev = std::make_unique<yrdif::Evaluator>(o.setup);
    } catch (const tkhost::LoadError &e) {
        std::fprintf(stderr, "yrdif: %s\n", e.what());
        return 2;
    }
    if (o.version) {
        Output out(false);
        out.put("yrdif " TK_COMMAND_VERSION "\nmodule " + o.setup.module_path + ":\n" +
                ev->version_text());
        out.close();
        return 0;
    }
    if (o.csv)
        return run_csv(o, *ev);
    Output out(false);
    return run_single(o, *ev, out);
}
