#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace dovrin::search {

// A zeroed block of memory for one search's large tables, asked for in huge pages where the
// system offers them: touching megabytes of fresh small pages costs a fault per 4 KB, which
// on some virtual machines outweighs the search itself.
class LargeBuffer
{
public:
    LargeBuffer() = default;
    explicit LargeBuffer(size_t bytes);
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    LargeBuffer(LargeBuffer&& other) noexcept;
    LargeBuffer& operator=(LargeBuffer&& other) noexcept;

    char* data() const { return m_data; }
    size_t size() const { return m_size; }
    template <typename T> T* as(size_t byteOffset = 0) const
    {
        return reinterpret_cast<T*>(m_data + byteOffset);
    }

private:
    void release();
    char* m_data = nullptr;
    size_t m_size = 0;
    void* m_mapping = nullptr;
    size_t m_mappingSize = 0;
};

// The same memory for standard containers: arrays of a megabyte or more go to huge pages,
// smaller ones to the heap. Memory comes zeroed either way only where the container says.
void* allocateLarge(size_t bytes);
void freeLarge(void* data, size_t bytes);

template <typename T> struct LargeAllocator
{
    using value_type = T;
    static constexpr size_t kLargeFrom = size_t(1) << 20;

    LargeAllocator() = default;
    template <typename U> LargeAllocator(const LargeAllocator<U>&) {}
    T* allocate(size_t n)
    {
        const size_t bytes = n * sizeof(T);
        return static_cast<T*>(bytes >= kLargeFrom ? allocateLarge(bytes) : ::operator new(bytes));
    }
    void deallocate(T* data, size_t n)
    {
        const size_t bytes = n * sizeof(T);
        if (bytes >= kLargeFrom)
            freeLarge(data, bytes);
        else
            ::operator delete(data);
    }
    template <typename U> bool operator==(const LargeAllocator<U>&) const { return true; }
};

template <typename T> using LargeVector = std::vector<T, LargeAllocator<T>>;

} // namespace dovrin::search
