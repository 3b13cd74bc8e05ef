#include "Fingerprint.h"

#include "common/Interrupted.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <xxhash.h>

namespace dovrin::copies {

namespace {

constexpr size_t kPiece = 512 * 1024;

// The value of each hexadecimal digit; 0xFF for every other byte. A table, because digits
// and letters come in no order a branch could guess.
constexpr std::array<uint8_t, 256> kHexValues = [] {
    std::array<uint8_t, 256> values{};
    values.fill(0xFF);
    for (int i = 0; i < 10; ++i)
        values[size_t('0' + i)] = uint8_t(i);
    for (int i = 0; i < 6; ++i)
        values[size_t('a' + i)] = values[size_t('A' + i)] = uint8_t(10 + i);
    return values;
}();

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

void Fingerprint::appendHex(QByteArray& out) const
{
    // The digest's bytes: the high half, then the low one, each most significant first; two
    // digits a byte from a table.
    static constexpr auto kPairs = [] {
        constexpr char kDigits[] = "0123456789abcdef";
        std::array<std::array<char, 2>, 256> pairs{};
        for (size_t b = 0; b < 256; ++b)
            pairs[b] = {kDigits[b >> 4], kDigits[b & 0xF]};
        return pairs;
    }();
    char text[32];
    for (int i = 0; i < 8; ++i) {
        std::memcpy(text + 2 * i, kPairs[(high >> (56 - 8 * i)) & 0xFF].data(), 2);
        std::memcpy(text + 16 + 2 * i, kPairs[(low >> (56 - 8 * i)) & 0xFF].data(), 2);
    }
    out.append(text, sizeof text);
}

QByteArray Fingerprint::hex() const
{
    QByteArray out;
    appendHex(out);
    return out;
}

std::optional<Fingerprint> Fingerprint::fromHex(QByteArrayView text)
{
    if (text.size() != 32)
        return std::nullopt;
    uint64_t halves[2] = {0, 0};
    uint8_t seen = 0;
    for (int i = 0; i < 32; ++i) {
        const uint8_t value = kHexValues[static_cast<unsigned char>(text[i])];
        seen |= value;
        halves[i / 16] = halves[i / 16] << 4 | (value & 0xF);
    }
    if (seen > 0xF)
        return std::nullopt;
    return Fingerprint{halves[0], halves[1]};
}

Fingerprint Fingerprint::of(QByteArrayView bytes)
{
    return fromHash(XXH3_128bits(bytes.data(), size_t(bytes.size())));
}

FileHasher::FileHasher(const std::atomic<bool>& stop, std::atomic<qint64>& bytesDone,
                       bool inMemoryOnly)
    : m_stop(stop), m_bytesDone(bytesDone), m_inMemoryOnly(inMemoryOnly)
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
        ssize_t got;
        if (m_inMemoryOnly) {
            iovec piece{m_buffer.data(), m_buffer.size()};
            got = retryInterrupted([&] { return ::preadv2(fd, &piece, 1, -1, RWF_NOWAIT); });
            // A system or file system that cannot tell answers as if the bytes were not there.
            if (got < 0 && (errno == EAGAIN || errno == EOPNOTSUPP || errno == EINVAL)) {
                m_bytesDone.fetch_sub(total, std::memory_order_relaxed);
                result = Result::NotInMemory;
                break;
            }
        } else {
            got = retryInterrupted([&] { return ::read(fd, m_buffer.data(), m_buffer.size()); });
        }
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
