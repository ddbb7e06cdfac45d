// Fuzzes the yrdif command's CSV reader: the records it reads, each as read
// with its line end, join back to the input's bytes (past a byte order
// mark, up to a reported error); and each record's fields, written again
// quoted, or quoted only where they need it, read back as the same fields.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tools/csv.h"
#include "oracle.h"

static std::vector<std::string> fields(const yrdif::CsvReader &r)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < r.fields(); i++)
        out.emplace_back(r.field(i));
    return out;
}

// The fields of text read as one record; none where it is not one.
static std::optional<std::vector<std::string>> one_record(std::string text, char delimiter)
{
    std::FILE *in = fmemopen(text.data(), text.size(), "r");
    check(in != nullptr, "fmemopen");
    yrdif::CsvReader r(in, delimiter);
    std::optional<std::vector<std::string>> out;
    if (r.next())
        out = fields(r);
    if (r.next() || !r.error().empty())
        out.reset();
    std::fclose(in);
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const char delimiter = ",;\t|"[data[0] & 3];
    std::string input(data + 1, data + size);
    std::FILE *in = fmemopen(input.data(), input.size(), "r");
    if (!in)
        return 0;
    yrdif::CsvReader reader(in, delimiter);
    std::string joined;
    while (reader.next()) {
        joined.append(reader.raw()).append(reader.line_end());
        check(reader.fields() >= 1 && reader.raw_end(reader.fields() - 1) == reader.raw().size(),
              "the last field ends where the record does");
        std::string quoted;
        for (size_t i = 0; i < reader.fields(); i++) {
            quoted += i ? std::string(1, delimiter) : "";
            quoted += '"';
            for (char c : reader.field(i))
                quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            quoted += '"';
        }
        check(one_record(quoted, delimiter) == fields(reader), "quoted fields read back as themselves");
        for (const std::string &f : fields(reader)) // as the command writes a column's name
            check(one_record("x" + std::string(1, delimiter) + yrdif::csv_field(f, delimiter), delimiter) ==
                      std::vector<std::string>{"x", f},
                  "a field quoted where it needs it reads back as itself");
    }
    std::fclose(in);
    const size_t skip = reader.bom() ? 3 : 0;
    if (reader.error().empty())
        check(joined == input.substr(skip), "the records join back to the input");
    else
        check(input.compare(skip, joined.size(), joined) == 0, "the records before an error");
    return 0;
}
