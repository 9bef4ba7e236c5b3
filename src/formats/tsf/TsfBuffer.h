#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

// A growable array of plain values for chunk columns and codec scratch space. Unlike std::vector,
// growing leaves new elements uninitialised (they are about to be filled by memcpy or a
// decompressor) and resize within the capacity is inline, so appending one value to a column
// costs a few instructions: writers append a value per sample per record.
template <class T> class TsfBuffer {
    static_assert(std::is_trivially_copyable_v<T>, "TsfBuffer holds plain values");

public:
    TsfBuffer() = default;
    TsfBuffer(const TsfBuffer& other) { *this = other; }
    TsfBuffer(TsfBuffer&& other) noexcept { swap(other); }
    TsfBuffer& operator=(const TsfBuffer& other) {
        if (this != &other) {
            resize(other.m_size);
            copy(other.m_data, m_data, other.m_size);
        }
        return *this;
    }
    TsfBuffer& operator=(TsfBuffer&& other) noexcept {
        TsfBuffer moved(std::move(other));
        swap(moved);
        return *this;
    }
    ~TsfBuffer() { std::free(m_data); }

    void swap(TsfBuffer& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_capacity; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_size; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }
    T& operator[](size_t i) { return m_data[i]; }
    const T& operator[](size_t i) const { return m_data[i]; }
    T& back() { return m_data[m_size - 1]; }
    const T& back() const { return m_data[m_size - 1]; }

    void clear() { m_size = 0; }
    void reserve(size_t capacity) {
        if (capacity > m_capacity)
            reallocate(capacity);
    }
    // New elements are left uninitialised.
    void resize(size_t size) {
        if (size > m_capacity)
            grow(size);
        m_size = size;
    }
    void assign(size_t size, T value) {
        resize(size);
        std::fill(m_data, m_data + size, value);
    }
    void push_back(T value) {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = value;
    }
    // Inserts [first, last), which must not lie in this buffer, before at.
    void insert(T* at, const T* first, const T* last) {
        const size_t count = size_t(last - first);
        const size_t offset = size_t(at - m_data);
        const size_t tail = m_size - offset;
        resize(m_size + count);
        if (tail > 0)
            std::memmove(m_data + offset + count, m_data + offset, tail * sizeof(T));
        copy(first, m_data + offset, count);
    }

    bool operator==(const TsfBuffer& other) const {
        return m_size == other.m_size && (m_size == 0 || std::memcmp(m_data, other.m_data, m_size * sizeof(T)) == 0);
    }
    bool operator!=(const TsfBuffer& other) const { return !(*this == other); }

private:
    static void copy(const T* from, T* to, size_t count) {
        if (count > 0)
            std::memcpy(to, from, count * sizeof(T));
    }
    void grow(size_t needed) { reallocate(std::max(needed, m_capacity + m_capacity / 2 + 16)); }
    void reallocate(size_t capacity) {
        T* data = static_cast<T*>(std::realloc(m_data, capacity * sizeof(T)));
        if (!data)
            throw std::bad_alloc();
        m_data = data;
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};
