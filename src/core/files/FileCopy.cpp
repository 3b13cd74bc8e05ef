#include "FileCopy.h"

#include "common/DetachedProcess.h"
#include "common/Interrupted.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::files {

namespace {

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd != -1)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool copyContents(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = retryInterrupted([&] { return ::read(from, buffer, sizeof buffer); });
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w =
                retryInterrupted([&] { return ::write(to, buffer + done, size_t(n - done)); });
            if (w < 0)
                return false;
            done += w;
        }
    }
}

// A new file beside `target` under a name of its own; the kernel applies the umask to `mode`.
int createTemporary(const QByteArray& target, mode_t mode, QByteArray& name)
{
    const QByteArray folder = target.left(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + ".dovrin-copy-" +
               QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd != -1 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool copyFile(const QByteArray& source, const QByteArray& target, QString* error)
{
    auto fail = [error](int e) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(e));
        return false;
    };
    Fd in(::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st
    {
    };
    if (in.get() == -1 || ::fstat(in.get(), &st) != 0)
        return fail(errno);
    if (!S_ISREG(st.st_mode))
        return fail(EINVAL);

    QByteArray temporary;
    Fd out(createTemporary(target, st.st_mode & 0777, temporary));
    if (out.get() == -1)
        return fail(errno);
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    const bool written = copyContents(in.get(), out.get()) && ::futimens(out.get(), times) == 0 &&
                         ::close(out.release()) == 0 &&
                         ::rename(temporary.constData(), target.constData()) == 0;
    if (!written) {
        const int e = errno;
        ::unlink(temporary.constData());
        return fail(e);
    }
    return true;
}

namespace {

// -a: sub-folders, hidden files, links as links, times; -T: into `target` itself, not a folder
// below it when it exists; --: a name that begins with "-" is still a name.
QList<QByteArray> folderCopyArguments(const QByteArray& sourceFolder, const QByteArray& target)
{
    return {"-a", "-T", "--", sourceFolder, target};
}

} // namespace

bool startFolderCopy(const QByteArray& sourceFolder, const QByteArray& target)
{
    return startDetached("cp", folderCopyArguments(sourceFolder, target));
}

bool copyFolder(const QByteArray& sourceFolder, const QByteArray& target)
{
    return runProgram("cp", folderCopyArguments(sourceFolder, target)) == 0;
}

} // namespace dovrin::files
