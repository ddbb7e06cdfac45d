// The yrdif command run as a program: single evaluations for each basis
// and both registrations, dates in both forms, bad dates and bases, the
// options, and CSV batches with quoting, CRLF, missing results and
// --strict.  Printed text and exit codes are compared exactly.
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string quote(const std::string &a)
{
    std::string q = "'";
    for (char c : a)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Outcome run(const std::vector<std::string> &args, const std::string &input = "")
{
    std::string dir = ::testing::TempDir();
    std::string in = dir + "yrdif_in", out = dir + "yrdif_out", err = dir + "yrdif_err";
    std::ofstream(in, std::ios::binary) << input;
    std::string cmd = quote(TK_YRDIF_PATH);
    for (const auto &a : args)
        cmd += " " + quote(a);
    cmd += " <" + in + " >" + out + " 2>" + err;
    int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, slurp(out), slurp(err)};
}

struct Case {
    const char *name;
    std::vector<std::string> args;
    int status;
    const char *out;
    const char *err; // a part of standard error
};

void check(const Case &c, const std::string &input = "")
{
    Outcome r = run(c.args, input);
    EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.name;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.name << ": stderr was\n" << r.err;
}

TEST(Yrdif, SingleEvaluations)
{
    const Case cases[] = {
        {"act/act", {"2000-01-01", "2001-07-01", "ACT/ACT"}, 0, "1.4958904109589042\n", ""},
        {"30/360", {"2000-01-01", "2001-07-01", "30/360"}, 0, "1.5\n", ""},
        {"act/360", {"2000-01-01", "2001-07-01", "act/360"}, 0, "1.5194444444444444\n", ""},
        {"act/365", {"2000-01-01", "2001-07-01", "ACT/365"}, 0, "1.4986301369863013\n", ""},
        {"age", {"2000-02-29", "2004-02-27", "AGE"}, 0, "3.9972602739726026\n", ""},
        {"two arguments", {"2000-01-01", "2001-07-01"}, 0, "1.4958904109589042\n", ""},
        {"date values", {"14610", "15157", "ACT/365"}, 0, "1.4986301369863013\n", ""},
        {"negative result", {"15157", "14610", "30/360"}, 0, "-1.5\n", ""},
        {"negative zero", {"100.7", "100.3", "ACT/ACT"}, 0, "-0\n", ""},
        {"negative date values", {"-138061", "6589335", "actual"}, 0, "18418.99726775956\n", ""},
        {"five-digit year", {"1582-01-01", "+20000-12-31", "ACT/ACT"}, 0, "18418.99726775956\n", ""},
        {"bytes registration", {"--bytes", "2000-01-01", "2001-07-01", "ACT"}, 0,
         "1.4958904109589042\n", ""},
        {"utf-32 rejects ACT alone", {"2000-01-01", "2001-07-01", "ACT"}, 1, "\n",
         "basis 'ACT' is not recognised"},
        {"bytes rejects A/360", {"--bytes", "0", "1", "A/360"}, 1, "\n", "not recognised"},
        {"utf-32 accepts A/360", {"2000-01-01", "2001-01-01", "A/360"}, 0, "1\n", ""},
        {"blank basis", {"0", "1", "   "}, 1, "\n", "not recognised"},
        {"missing date", {".", "1"}, 1, "\n", "the start date is missing"},
        {"missing end", {"1", "."}, 1, "\n", "the end date is missing"},
        {"days", {"--days", "2000-02-29", "2001-02-28", "AGE"}, 0, "1 731\n", ""},
        {"digits", {"--digits", "3", "2000-01-01", "2001-07-01", "ACT/360"}, 0, "1.519\n", ""},
        {"digits zero", {"--digits", "0", "0", "1000", "ACT/365"}, 0, "3\n", ""},
        {"cutoff 1970", {"--cutoff", "1970", "60-01-01", "2060-01-01", "ACT/365"}, 0, "0\n", ""},
        {"default cutoff 1926", {"60-01-01", "1960-01-01", "ACT/365"}, 0, "0\n", ""},
        {"options after dates", {"2000-01-01", "2001-07-01", "--days", "ACT/ACT"}, 0,
         "1.4958904109589042 547\n", ""},
    };
    for (const auto &c : cases)
        check(c);
}

TEST(Yrdif, BadArguments)
{
    const Case cases[] = {
        {"no such day", {"2001-02-29", "2002-01-01"}, 2, "", "START: there is no such day"},
        {"bad end", {"2001-01-01", "2002-13-01"}, 2, "", "END: there is no such day"},
        {"not a date", {"yesterday", "0"}, 2, "", "START: 'yesterday' is neither a date"},
        {"year too early", {"1500-01-01", "0"}, 2, "", "year 1500 is outside the calendar"},
        {"five digits need +", {"20000-01-01", "0"}, 2, "", "needs a leading '+'"},
        {"year too late", {"0", "+20001-01-01"}, 2, "", "END: year 20001 is outside"},
        {"value too late", {"0", "6589336"}, 2, "", "END: date value 6589336 is outside"},
        {"value too early", {"-138061.5", "0"}, 2, "", "START: date value -138061.5"},
        {"infinite", {"inf", "0"}, 2, "", "START: 'inf' is neither"},
        {"one date", {"0"}, 2, "", "give START END"},
        {"four arguments", {"0", "1", "AGE", "x"}, 2, "", "give START END"},
        {"unknown option", {"--frobnicate", "0", "1"}, 2, "", "unknown option '--frobnicate'"},
        {"bad digits", {"--digits", "x", "0", "1"}, 2, "", "--digits takes a whole number"},
        {"missing value", {"0", "1", "--cutoff"}, 2, "", "--cutoff needs a value"},
        {"no module", {"--module", "/nonexistent.so", "0", "1"}, 2, "", "cannot load module"},
    };
    for (const auto &c : cases)
        check(c);
}

TEST(Yrdif, HelpAndVersion)
{
    Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: yrdif"), std::string::npos);
    Outcome v = run({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_NE(v.out.find("release:     V.07.01M0P"), std::string::npos) << v.out;
    EXPECT_NE(v.out.find("product:     rizuv tkext"), std::string::npos) << v.out;
}

TEST(Yrdif, CsvBatches)
{
    const std::string loans = slurp(TK_SOURCE_DIR "/examples/loans.csv");
    const struct {
        Case c;
        std::string input;
    } cases[] = {
        {{"example file", {"--csv", TK_SOURCE_DIR "/examples/loans.csv"}, 1,
          "loan,start,end,basis,yrdif\n"
          "A-100,2000-01-01,2001-07-01,ACT/ACT,1.4958904109589042\n"
          "A-101,2000-01-01,2001-07-01,30/360,1.5\n"
          "\"B-7, second tranche\",2003-07-01,2004-07-01,Actual/Actual,1.0013773486039375\n"
          "C-1,1990-06-15,2020-06-14,AGE,29.997260273972604\n"
          "C-2,14610,15157,ACT/365,1.4986301369863013\n"
          "D-9,2001-02-29,2002-01-01,ACT/360,\n",
          "1 of 6 rows have no result (first at line 7: start: there is no such day)"},
         ""},
        {{"standard input, CRLF, days", {"--csv", "--days"}, 0,
          "start,end,yrdif,days\r\n2000-02-29,2001-02-28,1,731\r\n",
          ""},
         "start,end\r\n2000-02-29,2001-02-28\r\n"},
        {{"header line end kept", {"--csv"}, 0, "start,end,yrdif\r\n0,365,0.9972602739726026\r\n", ""},
         "start,end\r\n0,365"},
        {{"quoted fields and a line end inside quotes", {"--csv"}, 0,
          "\"id\",\"start\",end,basis,yrdif\n\"a\"\"b\nc\",\"2000-01-01\",2001-01-01,\"ACT/365\",1."
          "0027397260273974\n",
          ""},
         "\"id\",\"start\",end,basis\n\"a\"\"b\nc\",\"2000-01-01\",2001-01-01,\"ACT/365\"\n"},
        {{"named columns and one basis", {"--csv", "--start", "From", "--end", "to",
                                           "--basis-all", "30/360"},
          0, "to,from,basis,yrdif\n2001-07-01,2000-01-01,AGE,1.5\n", ""},
         "to,from,basis\n2001-07-01,2000-01-01,AGE\n"},
        {{"missing and malformed rows are counted", {"--csv"}, 1,
          "start,end,basis,yrdif\n.,1,AGE,\n0,1,nope,\n0,1,\n0,1,AGE,0.00273972602739736\n"
          "\n\"0,1,AGE\n,\n",
          "4 of 5 rows have no result (first at line 2: the start date is missing)"},
         "start,end,basis\n.,1,AGE\n0,1,nope\n0,1\n0,1,AGE\n\n\"0,1,AGE\n"},
        {{"strict stops at the first bad row", {"--csv", "--strict"}, 1,
          "start,end,basis,yrdif\n0,365,ACT/365,1\n0,1,nope,\n",
          "line 3: no result: basis 'nope' is not recognised"},
         "start,end,basis\n0,365,ACT/365\n0,1,nope\n0,2,AGE\n"},
        {{"bytes registration", {"--csv", "--bytes"}, 0,
          "start,end,basis,yrdif\n2000-01-01,2001-07-01,ACT,1.4958904109589042\n", ""},
         "start,end,basis\n2000-01-01,2001-07-01,ACT\n"},
        {{"byte order mark before the header", {"--csv"}, 0,
          "\xEF\xBB\xBFstart,end,yrdif\n0,365,0.9972602739726026\n", ""},
         "\xEF\xBB\xBFstart,end\n0,365\n"},
        {{"missing column", {"--csv", "--end", "until"}, 2, "", "no column 'until'"},
         "start,end\n0,1\n"},
        {{"missing basis column", {"--csv", "--basis", "kind"}, 2, "", "no column 'kind'"},
         "start,end\n0,1\n"},
        {{"empty input", {"--csv"}, 2, "", "needs a header row"}, ""},
        {{"no such file", {"--csv", "/nonexistent.csv"}, 2, "", "cannot open /nonexistent.csv"},
         ""},
    };
    for (const auto &c : cases)
        check(c.c, c.input);
    EXPECT_FALSE(loans.empty());
}

// Many rows stream through and every one gets the same result as a single
// evaluation would give.
TEST(Yrdif, CsvManyRows)
{
    std::string input = "start,end,basis\n";
    for (int i = 0; i < 20000; i++)
        input += std::to_string(i * 37 - 100000) + "," + std::to_string(i * 91) + ",ACT/ACT\n";
    Outcome r = run({"--csv"}, input);
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "start,end,basis,yrdif");
    int n = 0;
    while (std::getline(lines, line)) {
        if (n % 4000 == 0) {
            auto c1 = line.find(','), c2 = line.find(',', c1 + 1), c3 = line.rfind(',');
            Outcome single = run({line.substr(0, c1), line.substr(c1 + 1, c2 - c1 - 1), "ACT/ACT"});
            EXPECT_EQ(single.out, line.substr(c3 + 1) + "\n") << line;
        }
        n++;
    }
    EXPECT_EQ(n, 20000);
}

} // namespace
