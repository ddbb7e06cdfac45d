// csv.cpp - the streaming CSV record reader.
#include "csv.h"

#include <cerrno>
#include <cstring>

namespace yrdif {

namespace {
constexpr size_t kChunk = 1 << 16;
}

int CsvReader::peek(size_t k)
{
    while (pos_ + k >= buf_.size()) {
        if (eof_)
            return -1;
        buf_.erase(0, pos_); // keep only the unread part: memory stays one record
        pos_ = 0;
        size_t have = buf_.size();
        buf_.resize(have + kChunk);
        size_t got = std::fread(buf_.data() + have, 1, kChunk, in_);
        buf_.resize(have + got);
        if (got == 0) {
            eof_ = true;
            if (std::ferror(in_)) {
                error_line_ = next_line_;
                error_ = std::string("cannot read the input: ") + std::strerror(errno);
            }
        }
    }
    return static_cast<unsigned char>(buf_[pos_ + k]);
}

void CsvReader::end_field(size_t k)
{
    bounds_.emplace_back(field_start_, values_.size() - field_start_);
    raw_ends_.push_back(k);
    field_start_ = values_.size();
}

bool CsvReader::next()
{
    raw_.clear();
    values_.clear();
    bounds_.clear();
    raw_ends_.clear();
    line_end_.clear();
    field_start_ = 0;
    line_ = next_line_;
    if (!started_) {
        started_ = true;
        bom_ = peek(0) == 0xEF && peek(1) == 0xBB && peek(2) == 0xBF;
        utf16_ = (peek(0) == 0xFF && peek(1) == 0xFE) || (peek(0) == 0xFE && peek(1) == 0xFF);
        pos_ += bom_ ? 3 : 0;
    }
    if (!error_.empty() || peek(0) < 0)
        return false;

    bool quoted = false, at_field_start = true;
    int64_t quote_line = 0;
    size_t k = 0;
    for (;; k++) {
        if (k > kMaxRecord) {
            error_line_ = quoted ? quote_line : line_;
            error_ = quoted ? "a quoted field opened here is not closed within " +
                                  std::to_string(kMaxRecord) + " bytes"
                            : "a record is longer than " + std::to_string(kMaxRecord) + " bytes";
            return false;
        }
        int c = peek(k);
        if (c < 0) { // end of input ends the record
            if (quoted) {
                error_line_ = quote_line;
                error_ = "a quoted field opened here is not closed";
                return false;
            }
            break;
        }
        if (quoted) {
            if (c == '"') {
                if (peek(k + 1) == '"') {
                    values_ += '"';
                    k++;
                    continue;
                }
                quoted = false;
            } else {
                values_ += static_cast<char>(c);
                next_line_ += c == '\n' || (c == '\r' && peek(k + 1) != '\n');
            }
            continue;
        }
        if (c == '\n' || c == '\r') {
            line_end_ = c == '\n' ? "\n" : peek(k + 1) == '\n' ? "\r\n" : "\r";
            next_line_++;
            break;
        }
        if (c == static_cast<unsigned char>(delim_)) {
            end_field(k);
            at_field_start = true;
            continue;
        }
        if (c == '"' && at_field_start) {
            quoted = true;
            quote_line = next_line_;
        } else {
            values_ += static_cast<char>(c);
        }
        at_field_start = false;
    }
    end_field(k);
    raw_.assign(buf_, pos_, k);
    pos_ += k + line_end_.size();
    return error_.empty();
}

std::string csv_field(std::string_view text, char delimiter)
{
    if (text.find_first_of(std::string{delimiter, '"', '\n', '\r'}) == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + '"';
}

} // namespace yrdif
