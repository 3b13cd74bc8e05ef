#include "DetachedProcess.h"

#include "common/Interrupted.h"

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace dovrin {

namespace {

bool readAll(int fd, void* buffer, size_t size)
{
    auto* p = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t n = retryInterrupted([&] { return ::read(fd, p, size); });
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

void writeErrno(int fd, int error)
{
    retryInterrupted([&] { return ::write(fd, &error, sizeof error); });
}

} // namespace

bool startDetached(const QByteArray& program, const QList<QByteArray>& arguments,
                   const QByteArray& workingFolder, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QByteArray path = program;
    if (!program.contains('/')) {
        path = QFile::encodeName(QStandardPaths::findExecutable(QFile::decodeName(program)));
        if (path.isEmpty())
            return fail(QStringLiteral("%1: program not found").arg(QFile::decodeName(program)));
    }

    // Everything the children use is made before fork(): after it only async-signal-safe
    // calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.constData()));
    for (const QByteArray& a : arguments)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    const char* folder = workingFolder.isEmpty() ? nullptr : workingFolder.constData();

    // The grandchild reports a failed exec through a pipe that closes on a good one.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    const pid_t child = ::fork();
    if (child < 0) {
        const int e = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return fail(QString::fromLocal8Bit(std::strerror(e)));
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            if (null != STDIN_FILENO)
                ::close(null);
        }
        if (folder && ::chdir(folder) != 0) {
            writeErrno(pipeFds[1], errno);
            ::_exit(127);
        }
        ::execv(argv[0], argv.data());
        writeErrno(pipeFds[1], errno);
        ::_exit(127);
    }

    ::close(pipeFds[1]);
    int status = 0;
    retryInterrupted([&] { return ::waitpid(child, &status, 0); });
    int execError = 0;
    const bool failed = readAll(pipeFds[0], &execError, sizeof execError);
    ::close(pipeFds[0]);
    if (failed)
        return fail(QString::fromLocal8Bit(std::strerror(execError)));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fail(QStringLiteral("could not start the program"));
    return true;
}

int runProgram(const QByteArray& program, const QList<QByteArray>& arguments)
{
    QByteArray path = program;
    if (!program.contains('/'))
        path = QFile::encodeName(QStandardPaths::findExecutable(QFile::decodeName(program)));
    if (path.isEmpty())
        return -1;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.constData()));
    for (const QByteArray& a : arguments)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, STDIN_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace dovrin
