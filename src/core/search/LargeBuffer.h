#pragma once

#include <cstddef>

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

} // namespace dovrin::search
