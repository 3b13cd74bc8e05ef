#include "Fingerprint.h"

#include "common/Interrupted.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace dovrin::copies {

namespace {

constexpr size_t kPiece = 512 * 1024;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Fingerprint fromHash(XXH128_hash_t hash)
{
    return Fingerprint{hash.high64, hash.low64};
}

// Opens for reading without following a link and, where the owner allows, without touching
// the access time.
int openForReading(const char* path)
{
    const int flags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path, flags | O_NOATIME);
    if (fd == -1 && errno == EPERM)
        fd = ::open(path, flags);
    return fd;
}

} // namespace

QByteArray Fingerprint::hex() const
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH128_hash_t{low, high});
    return QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest)
        .toHex();
}

std::optional<Fingerprint> Fingerprint::fromHex(QByteArrayView text)
{
    if (text.size() != 32)
        return std::nullopt;
    XXH128_canonical_t canonical;
    for (int i = 0; i < 16; ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        canonical.digest[i] = static_cast<unsigned char>(high * 16 + low);
    }
    return fromHash(XXH128_hashFromCanonical(&canonical));
}

Fingerprint Fingerprint::of(QByteArrayView bytes)
{
    return fromHash(XXH3_128bits(bytes.data(), size_t(bytes.size())));
}

FileHasher::FileHasher(const std::atomic<bool>& stop, std::atomic<qint64>& bytesDone)
    : m_stop(stop), m_bytesDone(bytesDone)
{
}

FileHasher::Result FileHasher::hash(const QByteArray& path, qint64 size, Fingerprint& out)
{
    m_error = EIO;
    const int fd = openForReading(path.constData());
    if (fd == -1) {
        m_error = errno;
        if (m_error != ELOOP)
            return Result::Unreadable;
        // A symbolic link: its target's text.
        char target[4096];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target);
        if (n < 0 || n != size)
            return Result::Unreadable;
        out = Fingerprint::of(QByteArrayView(target, n));
        m_bytesDone += n;
        return Result::Done;
    }
    struct stat st;
    const bool examined = ::fstat(fd, &st) == 0;
    if (!examined || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return examined ? Result::NotAFile : Result::Unreadable;
    }
    ::fcntl(fd, F_SETFL, O_RDONLY); // blocking reads from here on
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (m_buffer.empty())
        m_buffer.resize(kPiece);

    XXH3_state_t* state = XXH3_createState();
    XXH3_128bits_reset(state);
    qint64 total = 0;
    Result result = Result::Done;
    for (;;) {
        if (m_stop.load(std::memory_order_relaxed)) {
            result = Result::Stopped;
            break;
        }
        const ssize_t got =
            retryInterrupted([&] { return ::read(fd, m_buffer.data(), m_buffer.size()); });
        if (got < 0) {
            result = Result::Unreadable;
            break;
        }
        if (got == 0)
            break;
        XXH3_128bits_update(state, m_buffer.data(), size_t(got));
        total += got;
        m_bytesDone.fetch_add(got, std::memory_order_relaxed);
    }
    ::close(fd);
    if (result == Result::Done) {
        if (total == size)
            out = fromHash(XXH3_128bits_digest(state));
        else
            result = Result::Unreadable;
    }
    XXH3_freeState(state);
    return result;
}

} // namespace dovrin::copies
