#pragma once

#include "host/LargeBlockAllocator.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

namespace zelvaro {

// One column of a result table: plain values end to end, appended at the
// back, copied and grown with memcpy, its memory from the large-block
// allocator (huge pages for large columns). std::vector with that allocator
// constructs element by element, which made copying a large table slow.
template <typename T> class ColumnBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    ColumnBuffer() = default;
    // A copy with room for at least `capacity` elements.
    ColumnBuffer(const ColumnBuffer& other, size_t capacity) { copyFrom(other, capacity); }
    ColumnBuffer(const ColumnBuffer& other) { copyFrom(other, other.m_size); }
    ColumnBuffer(ColumnBuffer&& other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0))
    {
    }
    ColumnBuffer& operator=(ColumnBuffer other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }
    ~ColumnBuffer() { release(); }

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    size_t size() const { return m_size; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }

    void reserve(size_t capacity)
    {
        if (capacity <= m_capacity) return;
        ColumnBuffer grown(*this, capacity);
        *this = std::move(grown);
    }
    void append(const T* values, size_t n)
    {
        makeRoom(n);
        if (n > 0) std::memcpy(m_data + m_size, values, n * sizeof(T));
        m_size += n;
    }
    void appendFill(T value, size_t n)
    {
        makeRoom(n);
        std::fill_n(m_data + m_size, n, value);
        m_size += n;
    }
    void push_back(T value) { appendFill(value, 1); }

private:
    void copyFrom(const ColumnBuffer& other, size_t capacity)
    {
        capacity = std::max(capacity, other.m_size);
        if (capacity == 0) return;
        m_data = static_cast<T*>(largeblock::allocate(capacity * sizeof(T)));
        m_capacity = capacity;
        if (other.m_size > 0) std::memcpy(m_data, other.m_data, other.m_size * sizeof(T));
        m_size = other.m_size;
    }
    void makeRoom(size_t n)
    {
        if (m_capacity - m_size >= n) return;
        reserve(std::max(m_size + n, m_capacity * 2));
    }
    void release()
    {
        largeblock::deallocate(m_data, m_capacity * sizeof(T));
        m_data = nullptr;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace zelvaro
