#pragma once

#include <cstddef>
#include <new>

namespace zelvaro {

// Memory for large buffers filled once from front to back: the columns of a
// view's table and the keys it is sorted by. Blocks of 1 MiB and more are
// mapped by themselves and, on Linux, ask for huge pages, so that filling
// them costs one page fault per 2 MiB instead of one per 4 KiB (on a large
// item master the page faults were a large part of opening the views), and
// closing a view gives its memory back at once. Smaller blocks, and blocks
// on other systems, come from operator new.
namespace largeblock {
constexpr std::size_t Threshold = std::size_t(1) << 20;
void* allocate(std::size_t bytes);
void deallocate(void* block, std::size_t bytes) noexcept;
} // namespace largeblock

template <typename T> struct LargeBlockAllocator {
    using value_type = T;

    LargeBlockAllocator() = default;
    template <typename U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(largeblock::allocate(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { largeblock::deallocate(p, n * sizeof(T)); }

    friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

} // namespace zelvaro
