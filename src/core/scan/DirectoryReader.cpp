#include "DirectoryReader.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace dovrin::scan {

namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

} // namespace

DirectoryReader::DirectoryReader() : m_buffer(64 * 1024) {}

DirectoryReader::~DirectoryReader()
{
    close();
}

void DirectoryReader::reset(int fd)
{
    close();
    m_fd = fd;
    m_error = fd == -1 ? errno : 0;
    m_used = 0;
    m_pos = 0;
}

bool DirectoryReader::openAt(int parentFd, const char* name)
{
    reset(::openat(parentFd, name, kOpenFlags));
    return m_fd != -1;
}

bool DirectoryReader::openPath(const QByteArray& path)
{
    if (path.size() < PATH_MAX) {
        reset(::open(path.constData(), kOpenFlags));
        return m_fd != -1;
    }
    // Too long for one call: descend component by component.
    int fd = ::open("/", kOpenFlags);
    QByteArrayView rest(path);
    while (fd != -1 && !rest.isEmpty()) {
        const qsizetype slash = rest.indexOf('/');
        const QByteArray component = (slash == -1 ? rest : rest.first(slash)).toByteArray();
        rest = slash == -1 ? QByteArrayView() : rest.sliced(slash + 1);
        if (component.isEmpty())
            continue;
        const int child = ::openat(fd, component.constData(), kOpenFlags);
        const int saved = errno;
        ::close(fd);
        errno = saved;
        fd = child;
    }
    reset(fd);
    return m_fd != -1;
}

bool DirectoryReader::next(Entry& entry)
{
    for (;;) {
        if (m_pos >= m_used) {
            if (m_fd == -1)
                return false;
            const ssize_t n = ::getdents64(m_fd, m_buffer.data(), m_buffer.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                m_error = errno;
                return false;
            }
            if (n == 0)
                return false;
            m_used = size_t(n);
            m_pos = 0;
        }
        const auto* d = reinterpret_cast<const struct dirent64*>(m_buffer.data() + m_pos);
        m_pos += d->d_reclen;
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.name = QByteArrayView(name, qsizetype(std::strlen(name)));
        entry.type = d->d_type;
        return true;
    }
}

int DirectoryReader::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void DirectoryReader::close()
{
    if (m_fd != -1)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace dovrin::scan
