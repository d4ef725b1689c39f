#include "host/LargeBlockAllocator.h"

#include <QtGlobal>

#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace zelvaro::largeblock {

#ifdef Q_OS_LINUX
namespace {
constexpr std::size_t Huge = std::size_t(2) << 20;

std::size_t mappedSize(std::size_t bytes)
{
    return (bytes + Huge - 1) & ~(Huge - 1);
}
} // namespace

void* allocate(std::size_t bytes)
{
    if (bytes < Threshold) return ::operator new(bytes);
    // Map one huge page more than needed and keep the aligned part: a huge
    // page can only back an aligned 2 MiB range.
    const std::size_t size = mappedSize(bytes);
    if (size < bytes) throw std::bad_alloc();
    void* raw =
        mmap(nullptr, size + Huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + Huge - 1) & ~std::uintptr_t(Huge - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t tail = start + Huge - aligned; // what is left past aligned + size
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
    // Without huge pages (switched off, or none free) the block is still
    // valid, with ordinary pages.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void deallocate(void* block, std::size_t bytes) noexcept
{
    if (!block) return;
    if (bytes < Threshold) {
        ::operator delete(block);
        return;
    }
    munmap(block, mappedSize(bytes));
}
#else
void* allocate(std::size_t bytes)
{
    return ::operator new(bytes);
}

void deallocate(void* block, std::size_t) noexcept
{
    ::operator delete(block);
}
#endif

} // namespace zelvaro::largeblock
