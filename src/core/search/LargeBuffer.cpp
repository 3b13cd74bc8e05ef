#include "LargeBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace dovrin::search {

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

} // namespace

LargeBuffer::LargeBuffer(size_t bytes) : m_size(bytes)
{
    if (bytes == 0)
        return;
    // Round up and align to whole huge pages so that the advice can take effect.
    const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    m_mappingSize = rounded + kHugePage;
    void* mapping =
        mmap(nullptr, m_mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    m_mapping = mapping;
    const auto aligned = (reinterpret_cast<uintptr_t>(mapping) + kHugePage - 1) & ~(kHugePage - 1);
    m_data = reinterpret_cast<char*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(m_data, rounded, MADV_HUGEPAGE);
#endif
}

LargeBuffer::~LargeBuffer()
{
    release();
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
{
    *this = static_cast<LargeBuffer&&>(other);
}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = other.m_data;
        m_size = other.m_size;
        m_mapping = other.m_mapping;
        m_mappingSize = other.m_mappingSize;
        other.m_data = nullptr;
        other.m_size = 0;
        other.m_mapping = nullptr;
        other.m_mappingSize = 0;
    }
    return *this;
}

void* allocateLarge(size_t bytes)
{
    // Map a huge page more than asked, keep the aligned part, give the rest back.
    const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* mapping = mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<uintptr_t>(mapping);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        munmap(mapping, aligned - start);
    const uintptr_t end = start + rounded + kHugePage;
    if (end > aligned + rounded)
        munmap(reinterpret_cast<void*>(aligned + rounded), end - aligned - rounded);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), rounded, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

void freeLarge(void* data, size_t bytes)
{
    munmap(data, (bytes + kHugePage - 1) & ~(kHugePage - 1));
}

void LargeBuffer::release()
{
    if (m_mapping)
        munmap(m_mapping, m_mappingSize);
    m_mapping = nullptr;
    m_data = nullptr;
    m_size = 0;
}

} // namespace dovrin::search
