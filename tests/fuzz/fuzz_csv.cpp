// Fuzzes the yrdif command's CSV reader: the records it reads, each as read
// with its line end, join back to the input's bytes (past a byte order
// mark, up to a reported error); and each record's fields, written again
// quoted, read back as the same fields.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
        std::FILE *again = fmemopen(quoted.data(), quoted.size(), "r");
        check(again != nullptr, "fmemopen");
        yrdif::CsvReader second(again, delimiter);
        check(second.next() && fields(second) == fields(reader) && !second.next() &&
                  second.error().empty(),
              "quoted fields read back as themselves");
        std::fclose(again);
    }
    std::fclose(in);
    const size_t skip = reader.bom() ? 3 : 0;
    if (reader.error().empty())
        check(joined == input.substr(skip), "the records join back to the input");
    else
        check(input.compare(skip, joined.size(), joined) == 0, "the records before an error");
    return 0;
}
