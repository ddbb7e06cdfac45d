// csv.cpp - the streaming CSV record reader.
#include "csv.h"

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
        if (got == 0)
            eof_ = true;
    }
    return static_cast<unsigned char>(buf_[pos_ + k]);
}

void CsvReader::end_field()
{
    bounds_.emplace_back(field_start_, values_.size() - field_start_);
    field_start_ = values_.size();
}

bool CsvReader::next()
{
    raw_.clear();
    values_.clear();
    bounds_.clear();
    line_end_.clear();
    field_start_ = 0;
    unterminated_ = false;
    line_ = next_line_;
    if (peek(0) < 0)
        return false;

    bool quoted = false, at_field_start = true;
    size_t k = 0;
    for (;;) {
        int c = peek(k);
        if (c < 0) { // end of input ends the record
            unterminated_ = quoted;
            break;
        }
        if (quoted) {
            if (c == '"') {
                if (peek(k + 1) == '"') {
                    values_ += '"';
                    k += 2;
                    continue;
                }
                quoted = false;
            } else {
                values_ += static_cast<char>(c);
                next_line_ += c == '\n';
            }
            k++;
            continue;
        }
        if (c == '\n' || (c == '\r' && peek(k + 1) == '\n')) {
            line_end_ = c == '\n' ? "\n" : "\r\n";
            next_line_++;
            break;
        }
        if (c == ',') {
            end_field();
            at_field_start = true;
            k++;
            continue;
        }
        if (c == '"' && at_field_start)
            quoted = true;
        else
            values_ += static_cast<char>(c);
        at_field_start = false;
        k++;
    }
    end_field();
    raw_.assign(buf_, pos_, k);
    pos_ += k + line_end_.size();
    return true;
}

} // namespace yrdif
