// guard.h - buffers that touch an inaccessible page, for over-read tests.
//
// A GuardedRange gives n bytes that end exactly where an inaccessible page
// begins (Placement::End) or begin exactly where one ends
// (Placement::Start).  Any access outside the n bytes on the guarded side
// faults and ends the test program.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace tktest {

enum class Placement { End, Start };

class GuardedRange {
public:
    GuardedRange(size_t n, Placement where) : page_(static_cast<size_t>(sysconf(_SC_PAGESIZE)))
    {
        size_t data_pages = (n + page_ - 1) / page_ + 1;
        size_ = (data_pages + 1) * page_;
        void *m = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED)
            throw std::runtime_error("mmap");
        base_ = static_cast<uint8_t *>(m);
        uint8_t *guard = where == Placement::End ? base_ + data_pages * page_ : base_;
        mprotect(guard, page_, PROT_NONE);
        data_ = where == Placement::End ? guard - n : guard + page_;
    }
    ~GuardedRange() { munmap(base_, size_); }
    GuardedRange(const GuardedRange &) = delete;
    GuardedRange &operator=(const GuardedRange &) = delete;

    uint8_t *data() { return data_; }
    template <class T> T *as() { return reinterpret_cast<T *>(data_); }

private:
    size_t page_, size_ = 0;
    uint8_t *base_ = nullptr, *data_ = nullptr;
};

} // namespace tktest
