// The yrdif command run as a program: single evaluations for each basis
// and both registrations, dates in both forms, bad dates and bases, the
// options, and CSV batches with quoting, CRLF, missing results and
// --strict.  Printed text and exit codes are compared exactly.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Case {
    const char *name;
    std::vector<std::string> args;
    int status;
    const char *out;
    const char *err; // a part of standard error
    std::string input = "", from = "", to = "";
};

// Runs the command with the case's input on standard input (or from
// `from`, e.g. a directory) and standard output to a file (or to `to`, e.g.
// /dev/full), and checks its status, standard output and standard error.
// Names of this process's own, so that test runs side by side do not mix.
const std::string dir = ::testing::TempDir() + "yrdif_" + std::to_string(getpid()) + "_";

void check(const Case &c)
{
    std::ofstream(dir + "in", std::ios::binary) << c.input;
    std::ofstream(dir + "out", std::ios::trunc).flush();
    std::string cmd = "'" TK_YRDIF_PATH "'";
    for (const auto &a : c.args) { // each argument in single quotes, its own quotes escaped
        cmd += " '";
        for (char ch : a)
            cmd += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
        cmd += "'";
    }
    cmd += " <" + (c.from.empty() ? dir + "in" : c.from) + " >" + (c.to.empty() ? dir + "out" : c.to) +
           " 2>" + dir + "err";
    const int rc = std::system(cmd.c_str());
    const std::string out = slurp(dir + "out"), err = slurp(dir + "err");
    EXPECT_EQ(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, c.status) << c.name << "\n" << err;
    EXPECT_EQ(out, c.out) << c.name;
    EXPECT_NE(err.find(c.err), std::string::npos) << c.name << ": stderr was\n" << err;
}

// Single evaluations, bad arguments and CSV batches, one table.
TEST(Yrdif, Runs)
{
    const std::string loans = TK_SOURCE_DIR "/examples/loans.csv";
    const Case cases[] = {
        {"act/act", {"2000-01-01", "2001-07-01", "ACT/ACT"}, 0, "1.4958904109589042\n", ""},
        {"two arguments: AGE", {"2000-02-29", "2001-02-28"}, 0, "1\n", ""},
        {"negative zero", {"100.7", "100.3", "ACT/ACT"}, 0, "-0\n", ""},
        {"widest span", {"-138061", "+20000-12-31", "actual"}, 0, "18418.99726775956\n", ""},
        {"utf-32 rejects ACT alone", {"2000-01-01", "2001-07-01", "ACT"}, 1, "\n",
         "basis 'ACT' is not recognised"},
        {"bytes rejects A/360", {"--bytes", "0", "1", "A/360"}, 1, "\n", "not recognised"},
        {"missing date", {"1", "."}, 1, "\n", "the end date is missing"},
        {"digits, cutoff 1970", {"--digits", "3", "--cutoff", "1970", "60-01-01", "2061-07-01", "ACT/360"},
         0, "1.519\n", ""},
        {"options after dates", {"2000-01-01", "2001-07-01", "--days", "ACT/ACT"}, 0,
         "1.4958904109589042 547\n", ""},
        // A bad date is a missing result, as in CSV mode, not a usage error.
        {"no such day", {"2001-02-29", "2002-01-01"}, 1, "\n", "START: there is no such day"},
        {"not a date", {"yesterday", "0"}, 1, "\n", "START: 'yesterday' is neither a date"},
        {"value too late", {"0", "6589336"}, 1, "\n", "END: date value '6589336' is outside"},
        {"binary text shown escaped", {"\x01\xff-01-01", "0"}, 1, "\n", "'\\x01\\xFF-01-01'"},
        {"one date", {"0"}, 2, "", "give START END"},
        {"unknown option", {"--frobnicate", "0", "1"}, 2, "", "unknown option '--frobnicate'"},
        {"CSV option outside CSV mode", {"--basis", "ACT/360", "0", "1"}, 2, "",
         "--basis applies only to CSV mode"},
        {"explain", {"--explain", "0", "1", "A/360"}, 0, "0.002777777777777778\n", "basis 'A/360' is read as '30/360'"},
        // CSV batches.
        {"example file, options after the file", {loans, "--csv"}, 1,
         "loan,start,end,basis,yrdif\n"
         "A-100,2000-01-01,2001-07-01,ACT/ACT,1.4958904109589042\n"
         "A-101,2000-01-01,2001-07-01,30/360,1.5\n"
         "\"B-7, second tranche\",2003-07-01,2004-07-01,Actual/Actual,1.0013773486039375\n"
         "C-1,1990-06-15,2020-06-14,AGE,29.997260273972604\n"
         "C-2,14610,15157,ACT/365,1.4986301369863013\n"
         "D-9,2001-02-29,2002-01-01,ACT/360,\n",
         "loans.csv:7: start: there is no such day\nyrdif: 1 of 6 rows have no result\n"},
        {"standard input, CRLF, days", {"--csv", "--days"}, 0,
         "start,end,yrdif,days\r\n2000-02-29,2001-02-28,1,731\r\n", "",
         "start,end\r\n2000-02-29,2001-02-28\r\n"},
        {"CR line ends, the last one missing", {"--csv"}, 0,
         "start,end,yrdif\r0,365,0.9972602739726026\r1,1,0\r", "", "start,end\r0,365\r1,1"},
        {"quoted fields and a line end inside quotes", {"--csv"}, 0,
         "\"id\",\"start\",end,basis,yrdif\n\"a\"\"b\nc\",\"2000-01-01\",2001-01-01,\"ACT/365\",1."
         "0027397260273974\n",
         "", "\"id\",\"start\",end,basis\n\"a\"\"b\nc\",\"2000-01-01\",2001-01-01,\"ACT/365\"\n"},
        {"named columns, --opt=value, one basis", {"--csv", "--start=From", "--end", "to",
                                                    "--basis-all", "30/360"},
         0, "to,from,basis,yrdif\n2001-07-01,2000-01-01,AGE,1.5\n", "",
         "to,from,basis\n2001-07-01,2000-01-01,AGE\n"},
        {"every row without a result reported, short rows padded", {"--csv"}, 1,
         "start,end,basis,yrdif\n.,1,AGE,\n0,1,nope,\n0,1,,\n0,,,\n\n",
         "<stdin>:2: start: the start date is missing\nyrdif: <stdin>:3: basis: basis 'nope' is "
         "not recognised\nyrdif: <stdin>:4: basis: basis '' is not recognised\nyrdif: <stdin>:5:"
         " end: the end date is missing\nyrdif: 4 of 4 rows",
         "start,end,basis\n.,1,AGE\n0,1,nope\n0,1\n0\n\n"},
        {"date texts at the reader's edges", {"--csv"}, 1,
         "start,end,yrdif\n-2000-01-01,1,\n1e4,2.5E+4,41.06575342465753\n2000-01-01T10:00x00,1,\n"
         "2000-01-01x10:00,1,\n1e,1,\n2000-01-01 10:60,1,\n2000-01-01T23:59,14610,0\n"
         "2000-01-01 00:00:00.5,14610,0\n",
         "yrdif: 5 of 8 rows have no result",
         "start,end\n-2000-01-01,1\n1e4,2.5E+4\n2000-01-01T10:00x00,1\n2000-01-01x10:00,1\n1e,1\n"
         "2000-01-01 10:60,1\n2000-01-01T23:59,14610\n2000-01-01 00:00:00.5,14610\n"},
        {"strict stops at the first bad row", {"--csv", "--strict"}, 1,
         "start,end,basis,yrdif\n0,365,ACT/365,1\n0,1,nope,\n",
         "<stdin>:3: basis: basis 'nope' is not recognised", "start,end,basis\n0,365,ACT/365\n0,1,nope\n0,2,AGE\n"},
        {"long row is an error", {"--csv"}, 1, "start,end,yrdif\n0,365,0.9972602739726026\n",
         "<stdin>:3: the row has 3 fields, the header 2 (--ragged allows longer rows)",
         "start,end\n0,365\n0,1,x\n"},
        {"ragged rows keep the result under its header", {"--csv", "--ragged", "--days"}, 0,
         "start,end,yrdif,days\n0,1,0.00273972602739736,732,x,y\n", "", "start,end\n0,1,x,y\n"},
        {"delimiter, no header, columns by number", {"--csv", "-d", ";", "-n", "--start", "2",
                                                      "--end=1", "--basis=3"},
         0, "365;0;ACT/365;1\n", "", "365;0;ACT/365\n"},
        {"a line end is no delimiter", {"--csv", "-d", "\n"}, 2, "", "not '\\x0A'", "a\n"},
        {"output column exists", {"--csv"}, 2, "", "already has a column 'yrdif'; name the output "
         "with --output-column NAME", "start,end,yrdif\n0,1,x\n"},
        {"output columns named, quoted where the name needs it", {"--csv", "--output-column", "years",
                                 "--days", "--days-column", "n, \"days\""},
         0, "start,end,yrdif,years,\"n, \"\"days\"\"\"\n0,365,x,0.9972602739726026,1095\n", "",
         "start,end,yrdif\n0,365,x\n"},
        {"an empty column name", {"--csv", "--output-column="}, 2, "", "--output-column takes a name, not "
         "an empty text", "start,end\n0,1\n"},
        {"a days column without days", {"--csv", "--days-column", "n"}, 2, "", "--days-column applies "
         "only with --days", "start,end\n0,1\n"},
        {"a column named twice", {"--csv"}, 2, "", "two columns named 'end' (columns 2 and 3); rename one",
         "start,end,END\n0,1,2\n"},
        {"missing column lists the header", {"--csv", "--end", "until"}, 2, "",
         "no column 'until' (it has 'start', 'end')", "start,end\n0,1\n"},
        {"stray quote names its line", {"--csv"}, 2, "start,end,yrdif\n0,1,0.00273972602739736\n",
         "<stdin>:3: a quoted field opened here is not closed", "start,end\n0,1\n\"0,1\n0,2\n"},
        {"directory on standard input", {"--csv"}, 2, "", "cannot read the input", "", "/tmp"},
        {"UTF-16 input", {"--csv"}, 2, "", "<stdin> is UTF-16 text", "\xFF\xFE" "s"},
        {"full device: result", {"0", "1"}, 2, "", "cannot write the output", "", "", "/dev/full"},
        {"full device: CSV", {"--csv"}, 2, "", "cannot write", "start,end\n0,1\n", "", "/dev/full"},
        {"full device: --errors", {"--csv", "--errors", "/dev/full"}, 2, "start,end,yrdif\n.,1,\n",
         "cannot write /dev/full: No space left", "start,end\n.,1\n"},
        {"output and days columns of one name", {"--csv", "--days", "--output-column", "Days"}, 2, "",
         "both named 'days'", "start,end\n0,1\n"},
        {"byte order mark before a quoted name", {"--csv"}, 0,
         "\xEF\xBB\xBF\"start\",end,yrdif\n0,1,0.00273972602739736\n", "",
         "\xEF\xBB\xBF\"start\",end\n0,1\n"},
    };
    for (const auto &c : cases)
        check(c);
    // --errors writes every row without a result; none is shown.
    const std::string errors = ::testing::TempDir() + "yrdif_errors_" + std::to_string(getpid());
    check({"--errors", {"--csv", "--max-errors=0", "--errors", errors}, 1, "start,end,yrdif\n.,1,\n.,2,\n",
           "2 of 2 rows have no result; 2 not shown", "start,end\n.,1\n.,2\n"});
    EXPECT_EQ(slurp(errors), "<stdin>:2: start: the start date is missing\n"
                             "<stdin>:3: start: the start date is missing\n");
    for (const auto &f : {errors, dir + "in", dir + "out", dir + "err"})
        std::remove(f.c_str());
}

} // namespace
