#include "OutputFile.h"

#include "common/Interrupted.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dovrin::scan {

OutputFile::~OutputFile()
{
    if (m_fd != -1)
        ::close(m_fd);
}

bool OutputFile::create(const QByteArray& nativePath)
{
    m_fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd == -1) {
        m_error = errno;
        return false;
    }
    m_error = 0;
    m_buffer.clear();
    m_buffer.reserve(kBlock + 64 * 1024);
    return true;
}

bool OutputFile::flush()
{
    if (m_error != 0)
        return false;
    const char* p = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            return false;
        }
        p += n;
        left -= n;
    }
    m_buffer.resize(0);
    return true;
}

bool OutputFile::close()
{
    if (m_fd == -1)
        return m_error == 0;
    flush();
    if (::close(m_fd) != 0 && m_error == 0)
        m_error = errno;
    m_fd = -1;
    return m_error == 0;
}

InputLines::~InputLines()
{
    if (m_fd != -1)
        ::close(m_fd);
}

bool InputLines::open(const QByteArray& nativePath)
{
    m_fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd == -1) {
        m_error = errno;
        return false;
    }
    m_buffer.clear();
    m_pos = 0;
    m_eof = false;
    return true;
}

bool InputLines::fill()
{
    // Keep the unread tail, then read another block after it.
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    constexpr qsizetype kBlock = 256 * 1024;
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + kBlock);
    for (;;) {
        const ssize_t n =
            retryInterrupted([&] { return ::read(m_fd, m_buffer.data() + old, size_t(kBlock)); });
        if (n < 0) {
            m_error = errno;
            m_buffer.resize(old);
            return false;
        }
        m_buffer.resize(old + n);
        if (n == 0)
            m_eof = true;
        return n > 0;
    }
}

bool InputLines::next(QByteArrayView& line)
{
    if (m_fd == -1 || m_error != 0)
        return false;
    for (;;) {
        const char* begin = m_buffer.constData() + m_pos;
        const qsizetype left = m_buffer.size() - m_pos;
        const void* nl = left > 0 ? std::memchr(begin, '\n', size_t(left)) : nullptr;
        if (nl || (m_eof && left > 0)) {
            const char* stop = nl ? static_cast<const char*>(nl) : begin + left;
            qsizetype length = stop - begin;
            m_pos += length + (nl ? 1 : 0);
            if (length > 0 && begin[length - 1] == '\r')
                --length;
            line = QByteArrayView(begin, length);
            return true;
        }
        if (m_eof)
            return false;
        if (!fill() && m_error != 0)
            return false;
    }
}

} // namespace dovrin::scan
