#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace dovrin::copies {

// The XXH3-128 hash of a file's bytes. Its text is the 32 hexadecimal digits that
// `xxhsum -H2` prints for the same file.
struct Fingerprint
{
    uint64_t high = 0;
    uint64_t low = 0;

    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;

    QByteArray hex() const;
    void appendHex(QByteArray& out) const;
    static std::optional<Fingerprint> fromHex(QByteArrayView text);
    static Fingerprint of(QByteArrayView bytes);
};

// Reads files for their fingerprints in pieces small enough that a stop request is seen
// within a few milliseconds, even inside a file of many gigabytes.
class FileHasher
{
public:
    enum class Result
    {
        Done,
        Unreadable, // cannot be opened or read, or its size is no longer the recorded one
        NotAFile,   // a FIFO, socket or device: never read
        Stopped,
        NotInMemory, // reading only what memory holds, the file was not all there
    };

    // With `inMemoryOnly`, files are read only as far as the system holds them in memory: a
    // read that would wait for the disk gives NotInMemory instead, and the bytes counted so
    // far are taken back.
    FileHasher(const std::atomic<bool>& stop, std::atomic<qint64>& bytesDone,
               bool inMemoryOnly = false);

    // The file at `path`, which the record says is `size` bytes long. A symbolic link is not
    // followed: its fingerprint is that of its target's text, whose length is its size.
    Result hash(const QByteArray& path, qint64 size, Fingerprint& out);
    // Why the last file was unreadable (an errno value).
    int error() const { return m_error; }

private:
    const std::atomic<bool>& m_stop;
    std::atomic<qint64>& m_bytesDone;
    std::vector<char> m_buffer;
    bool m_inMemoryOnly;
    int m_error = 0;
};

} // namespace dovrin::copies
