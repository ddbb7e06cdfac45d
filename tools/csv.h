// csv.h - a streaming CSV record reader: RFC 4180 quoting (fields in
// double quotes, "" for a quote, line ends inside quotes), LF, CRLF or CR
// line ends, any one-byte delimiter.  It holds one record at a time, so
// memory does not grow with the input, and refuses a record longer than
// kMaxRecord bytes (a stray quote would otherwise swallow the rest of the
// input as one record).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace yrdif {

class CsvReader {
public:
    static constexpr size_t kMaxRecord = 1 << 20;

    CsvReader(std::FILE *in, char delimiter) : in_(in), delim_(delimiter) {}

    // Reads the next record; false at the end of the input or on an error
    // (then error() says what went wrong and at which line).
    bool next();
    const std::string &error() const { return error_; }
    int64_t error_line() const { return error_line_; }
    // The record exactly as read, without its line end.
    std::string_view raw() const { return raw_; }
    // "\n", "\r\n", "\r", or "" for a last record without one.
    std::string_view line_end() const { return line_end_; }
    size_t fields() const { return bounds_.size(); }
    std::string_view field(size_t i) const
    {
        return std::string_view(values_).substr(bounds_[i].first, bounds_[i].second);
    }
    // Where field i ends in raw().
    size_t raw_end(size_t i) const { return raw_ends_[i]; }
    // Line number (from 1) where the record starts.
    int64_t line() const { return line_; }
    // Whether the input began with a UTF-8 byte order mark, which the
    // first record does not hold (so a quoted first field is quoted).
    bool bom() const { return bom_; }
    // Whether it began with a UTF-16 byte order mark (FF FE or FE FF): a
    // spreadsheet's "Unicode text", two bytes a character, not UTF-8.
    bool utf16() const { return utf16_; }

private:
    int peek(size_t k); // byte at pos_ + k, or -1 at the end of the input
    void end_field(size_t k);

    std::FILE *in_;
    char delim_;
    std::string buf_;
    size_t pos_ = 0;
    bool eof_ = false, started_ = false, bom_ = false, utf16_ = false;
    int64_t next_line_ = 1, line_ = 0, error_line_ = 0;
    std::string raw_, values_, line_end_, error_;
    std::vector<std::pair<size_t, size_t>> bounds_;
    std::vector<size_t> raw_ends_;
    size_t field_start_ = 0;
};

// text as one CSV field that the reader reads back as text: in double
// quotes, each quote doubled, where it holds the delimiter, a quote or a
// line end; else as it is.
std::string csv_field(std::string_view text, char delimiter);

} // namespace yrdif
