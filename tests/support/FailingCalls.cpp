#include "FailingCalls.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using dovrin::test::Call;

std::atomic<bool> armed{false};
QByteArray root;
Call failing = Call::Open;
int nth = 0;
std::atomic<int> calls{0};
// Descriptors opened below the root; others (sockets, Qt's own files) never count.
std::atomic<bool> tracked[4096];

bool below(const char* path)
{
    return path && std::strncmp(path, root.constData(), size_t(root.size())) == 0;
}

bool isTracked(int fd)
{
    return fd >= 0 && fd < 4096 && tracked[fd].load();
}

bool counts(int dir, const char* path)
{
    return path[0] == '/' ? below(path) : isTracked(dir);
}

int track(int fd, bool on)
{
    if (fd >= 0 && fd < 4096)
        tracked[fd] = on;
    return fd;
}

std::atomic<bool> typesHidden{false};

// True, with errno set, when this call is the one to fail. A read that failed fails again,
// as a bad sector does; the other calls fail once.
bool fails(Call call, bool counted)
{
    if (!armed.load() || !counted || call != failing)
        return false;
    const int n = ++calls;
    if (n < nth || (n > nth && call != Call::Read))
        return false;
    errno = EIO;
    return true;
}

template <typename F> F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

namespace dovrin::test {

void Fault::arm()
{
    root = m_root;
    failing = m_call;
    nth = m_nth;
    calls = 0;
    armed = true;
}

void Fault::disarm()
{
    armed = false;
    m_hit = calls.load() >= m_nth;
}

EntryTypesHidden::EntryTypesHidden()
{
    typesHidden = true;
}

EntryTypesHidden::~EntryTypesHidden()
{
    typesHidden = false;
}

QByteArray Fault::where(const QString& said) const
{
    static const char* const names[] = {"open",  "read",   "write",  "fsync",
                                        "close", "rename", "unlink", "stat"};
    return names[int(m_call)] + (" #" + QByteArray::number(m_nth)) + ": " + said.toUtf8();
}

} // namespace dovrin::test

// The counted calls: each fails when its turn comes, else does what the C library does.
#define PASS_OR_FAIL(type, name, call, counted, params, args)                                      \
    type name params                                                                               \
    {                                                                                              \
        static const auto next = real<type(*) params>(#name);                                      \
        return fails(call, counted) ? -1 : next args;                                              \
    }

extern "C" {

// The mode is there only with O_CREAT or O_TMPFILE; passing whatever came is harmless. Qt
// opens files with open64.
#define OPEN_BELOW(name)                                                                           \
    int name(const char* path, int flags, ...)                                                     \
    {                                                                                              \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = va_arg(args, mode_t);                                                  \
        va_end(args);                                                                              \
        static const auto next = real<int (*)(const char*, int, ...)>(#name);                      \
        return fails(Call::Open, below(path)) ? -1 : track(next(path, flags, mode), below(path));  \
    }
OPEN_BELOW(open)
OPEN_BELOW(open64)

int openat(int dir, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = va_arg(args, mode_t);
    va_end(args);
    static const auto next = real<int (*)(int, const char*, int, ...)>("openat");
    const bool counted = counts(dir, path);
    return fails(Call::Open, counted) ? -1 : track(next(dir, path, flags, mode), counted);
}

// A close that fails still releases the descriptor, as it does on Linux.
int close(int fd)
{
    static const auto next = real<int (*)(int)>("close");
    const bool fail = fails(Call::Close, isTracked(fd));
    track(fd, false);
    const int result = next(fd);
    errno = fail ? EIO : errno;
    return fail ? -1 : result;
}

ssize_t getdents64(int fd, void* buffer, size_t size)
{
    static const auto next = real<ssize_t (*)(int, void*, size_t)>("getdents64");
    const ssize_t n = next(fd, buffer, size);
    for (ssize_t at = 0; typesHidden.load() && at < n;) {
        auto* entry = reinterpret_cast<dirent64*>(static_cast<char*>(buffer) + at);
        entry->d_type = DT_UNKNOWN;
        at += entry->d_reclen;
    }
    return n;
}

PASS_OR_FAIL(ssize_t, read, Call::Read, isTracked(fd), (int fd, void* data, size_t size),
             (fd, data, size))
PASS_OR_FAIL(ssize_t, pread, Call::Read, isTracked(fd), (int fd, void* data, size_t size, off_t at),
             (fd, data, size, at))
PASS_OR_FAIL(ssize_t, write, Call::Write, isTracked(fd), (int fd, const void* data, size_t size),
             (fd, data, size))
PASS_OR_FAIL(ssize_t, pwrite, Call::Write, isTracked(fd),
             (int fd, const void* data, size_t size, off_t at), (fd, data, size, at))
PASS_OR_FAIL(int, fsync, Call::Fsync, isTracked(fd), (int fd), (fd))
PASS_OR_FAIL(int, rename, Call::Rename, below(from) || below(to),
             (const char* from, const char* to), (from, to))
PASS_OR_FAIL(int, renameat2, Call::Rename, below(from) || below(to),
             (int fromDir, const char* from, int toDir, const char* to, unsigned flags),
             (fromDir, from, toDir, to, flags))
PASS_OR_FAIL(int, unlink, Call::Unlink, below(path), (const char* path), (path))
PASS_OR_FAIL(int, stat, Call::Stat, below(path), (const char* path, struct stat* st), (path, st))
PASS_OR_FAIL(int, lstat, Call::Stat, below(path), (const char* path, struct stat* st), (path, st))
PASS_OR_FAIL(int, access, Call::Stat, below(path), (const char* path, int mode), (path, mode))
PASS_OR_FAIL(int, fstat, Call::Stat, isTracked(fd), (int fd, struct stat* st), (fd, st))
PASS_OR_FAIL(int, fstatat, Call::Stat, counts(dir, path),
             (int dir, const char* path, struct stat* st, int flags), (dir, path, st, flags))

} // extern "C"
