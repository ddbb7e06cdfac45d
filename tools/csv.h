// csv.h - a streaming CSV record reader: RFC 4180 quoting (fields in
// double quotes, "" for a quote, line ends inside quotes), LF or CRLF line
// ends.  It holds one record at a time, so memory does not grow with the
// input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace yrdif {

class CsvReader {
public:
    explicit CsvReader(std::FILE *in) : in_(in) {}

    // Reads the next record; false at the end of the input.
    bool next();
    // The record exactly as read, without its line end.
    std::string_view raw() const { return raw_; }
    // "\n", "\r\n", or "" for a last record without one.
    std::string_view line_end() const { return line_end_; }
    size_t fields() const { return bounds_.size(); }
    std::string_view field(size_t i) const
    {
        return std::string_view(values_).substr(bounds_[i].first, bounds_[i].second);
    }
    // Line number (from 1) where the record starts.
    int64_t line() const { return line_; }
    // True when the record ends inside an open quote.
    bool unterminated_quote() const { return unterminated_; }

private:
    int peek(size_t k); // byte at pos_ + k, or -1 at the end of the input
    void end_field();

    std::FILE *in_;
    std::string buf_;
    size_t pos_ = 0;
    bool eof_ = false;
    int64_t next_line_ = 1, line_ = 0;
    std::string raw_, values_, line_end_;
    std::vector<std::pair<size_t, size_t>> bounds_;
    size_t field_start_ = 0;
    bool unterminated_ = false;
};

} // namespace yrdif
