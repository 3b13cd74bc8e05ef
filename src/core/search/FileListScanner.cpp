#include "FileListScanner.h"

#include "ScanKernel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace dovrin::search {

namespace {

// Room before the data for the line feed that makes every block start a line, and after it
// for the kernel's reads past the last chunk.
constexpr qsizetype kFront = 64;
constexpr qsizetype kBackPadding = 192;

enum class Outcome
{
    Continue,
    End,
    Stop
};

inline const char* findByte(const char* from, const char* end, char c)
{
    const void* hit = std::memchr(from, c, size_t(end - from));
    return hit ? static_cast<const char*>(hit) : end;
}

inline QByteArrayView withoutCr(const char* begin, const char* end)
{
    if (end > begin && end[-1] == '\r')
        --end;
    return QByteArrayView(begin, end - begin);
}

// The name of a file line, or the key of a folder line: the first field, without its quotes.
inline QByteArrayView firstField(QByteArrayView line)
{
    if (line.isEmpty())
        return line;
    if (line.front() == '"') {
        const char* close = findByte(line.data() + 1, line.data() + line.size(), '"');
        return QByteArrayView(line.data() + 1, close - line.data() - 1);
    }
    const char* comma = findByte(line.data(), line.data() + line.size(), ',');
    return QByteArrayView(line.data(), comma - line.data()).trimmed();
}

inline bool equalsFolded(const char* text, const char* upperNeedle, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
        if (c != upperNeedle[i])
            return false;
    }
    return true;
}

} // namespace

struct FileListScanner::Walk
{
    FileListScanner::Handler& handler;
    bool allFiles = false;
    kernel::Params params;
    QByteArrayView needle;

    const char* pendingFolder = nullptr; // a folder line whose key is not handed over yet

    // The block's folder-line bits, and how many folder lines the handler has been told of.
    const char* folderData = nullptr;
    kernel::Masks masks{};
    qsizetype foldersPassed = 0;

    // data[-1] is a line feed; data[0, end) holds whole lines.
    Outcome block(const char* data, qsizetype end)
    {
        if (data[0] == '\r' || data[0] == '\n')
            return Outcome::End; // a blank line is an empty item
        const Outcome outcome = allFiles ? everyLine(data, end) : events(data, end);
        handOverFolder(data + end); // the block's bytes are about to be replaced
        return outcome;
    }

    void handOverFolder(const char* stop)
    {
        if (!pendingFolder)
            return;
        const char* eol = findByte(pendingFolder, stop, '\n');
        handler.folderKey(firstField(withoutCr(pendingFolder, eol)));
        pendingFolder = nullptr;
    }

    Outcome everyLine(const char* data, qsizetype end)
    {
        const char* const stop = data + end;
        for (const char* p = data; p < stop;) {
            const char* eol = findByte(p, stop, '\n');
            const QByteArrayView line = withoutCr(p, eol);
            const QByteArrayView name = firstField(line);
            if (name.isEmpty())
                return Outcome::End;
            if (name.front() == ':') {
                if (!handler.folderLines(1))
                    return Outcome::Stop;
                handler.folderKey(name);
            } else if (!handler.fileLine(line, name)) {
                return Outcome::Stop;
            }
            p = eol + 1;
        }
        return Outcome::Continue;
    }

    // The folder lines that begin in the block before offset.
    qsizetype foldersBefore(qsizetype offset) const
    {
        const qsizetype chunk = offset / 64;
        const int bit = int(offset % 64);
        qsizetype count = masks.foldersBefore[chunk];
        if (bit)
            count += __builtin_popcountll(masks.folders[chunk] & ((uint64_t(1) << bit) - 1));
        return count;
    }

    // Tells the handler of the folder lines not told yet that begin before offset, and keeps
    // the last of them.
    bool passFolders(qsizetype offset)
    {
        const qsizetype before = foldersBefore(offset);
        const qsizetype count = before - foldersPassed;
        if (count == 0)
            return true;
        foldersPassed = before;
        qsizetype chunk = (offset - 1) / 64;
        const int bits = int(offset - chunk * 64);
        uint64_t last = masks.folders[chunk];
        if (bits < 64)
            last &= (uint64_t(1) << bits) - 1;
        while (!last)
            last = masks.folders[--chunk];
        pendingFolder = folderData + chunk * 64 + 63 - __builtin_clzll(last);
        return handler.folderLines(count);
    }

    Outcome events(const char* data, qsizetype end)
    {
        const char* const stop = data + end;
        const qsizetype chunks = (end + 63) / 64;
        const size_t busy = kernel::eventMasks(data, size_t(chunks), params, masks);
        folderData = data;
        foldersPassed = 0;
        qsizetype skipUntil = 0;
        for (size_t i = 0; i < busy; ++i) {
            const qsizetype base = qsizetype(masks.busy[i]) * 64;
            if (base + 64 <= skipUntil)
                continue; // within a line already decided
            uint64_t bits = masks.events[masks.busy[i]];
            if (end - base < 64)
                bits &= (uint64_t(1) << (end - base)) - 1;
            while (bits) {
                const qsizetype p = base + __builtin_ctzll(bits);
                bits &= bits - 1;
                if (p < skipUntil)
                    continue;
                const char b = data[p];
                if (b == '"' || b == '\n' || b == '\r') {
                    // A line of two quotes or a blank line: an empty item.
                    return passFolders(p) ? Outcome::End : Outcome::Stop;
                } else {
                    // A byte >= 0x80, or where the needle may begin: does it lie in a name?
                    const char* lineStart = data + p;
                    while (lineStart[-1] != '\n')
                        --lineStart;
                    const char* eol = findByte(data + p, stop, '\n');
                    const QByteArrayView line = withoutCr(lineStart, eol);
                    if (line.front() != '"' || (line.size() > 1 && line[1] == ':')) {
                        skipUntil = eol - data + 1; // a folder line, or not of this format
                        continue;
                    }
                    const char* close = findByte(lineStart + 1, line.data() + line.size(), '"');
                    const char* at = data + p;
                    const bool high = static_cast<unsigned char>(b) >= 0x80;
                    const bool inName = high ? at < close : at + needle.size() <= close;
                    if (inName && !high && !equalsFolded(at, needle.data(), needle.size()))
                        continue; // not the needle; a later one in this name may be
                    if (inName) {
                        if (!passFolders(lineStart - data))
                            return Outcome::Stop;
                        handOverFolder(stop);
                        const QByteArrayView name(lineStart + 1, close - lineStart - 1);
                        if (!handler.fileLine(line, name))
                            return Outcome::Stop;
                    }
                    // Whatever follows in this line lies past the name, or is decided.
                    skipUntil = eol - data + 1;
                }
            }
        }
        return passFolders(end) ? Outcome::Continue : Outcome::Stop;
    }
};

namespace {

// The file, read with plain system calls: the scanner runs on worker threads.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~ReadOnlyFile()
    {
        if (m_fd != -1)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    bool isOpen() const { return m_fd != -1; }
    qint64 read(char* data, qsizetype size)
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, data, size_t(size));
            if (got >= 0 || errno != EINTR)
                return got;
        }
    }

private:
    int m_fd;
};

} // namespace

FileListScanner::Result FileListScanner::scan(const QByteArray& nativePath, const Filter& filter,
                                              Handler& handler)
{
    ReadOnlyFile file(nativePath);
    if (!file.isOpen())
        return Result::Unreadable;

    Walk walk{handler, false, {}, {}};
    walk.allFiles = filter.allFiles;
    walk.needle = filter.asciiNeedle;
    if (!filter.allFiles) {
        walk.params.high = filter.nonAsciiNames;
        walk.params.upperToAsciiOnly = filter.upperToAsciiOnly;
        const qsizetype n = filter.asciiNeedle.size();
        walk.params.needle = n > 0;
        if (n > 0) {
            auto fold = [](char c, unsigned char& mask, unsigned char& value) {
                const bool letter = c >= 'A' && c <= 'Z';
                mask = letter ? 0x20 : 0;
                value = static_cast<unsigned char>(letter ? c + 32 : c);
            };
            fold(filter.asciiNeedle.front(), walk.params.firstMask, walk.params.firstValue);
            fold(filter.asciiNeedle.back(), walk.params.lastMask, walk.params.lastValue);
            walk.params.lastOffset = int(n - 1);
        }
    }

    qsizetype capacity = kBlockSize;
    const qsizetype padding = kBackPadding + walk.needle.size();
    if (qsizetype(m_buffer.size()) < kFront + capacity + padding)
        m_buffer.assign(size_t(kFront + capacity + padding), 0);
    capacity = qsizetype(m_buffer.size()) - kFront - padding;
    char* data = m_buffer.data() + kFront;
    data[-1] = '\n';

    qsizetype carry = 0;
    for (;;) {
        const qint64 got = file.read(data + carry, capacity - carry);
        if (got < 0)
            return Result::Unreadable;
        qsizetype total = carry + qsizetype(got);
        qsizetype end;
        if (got == 0) {
            if (carry == 0)
                return Result::Done;
            data[total++] = '\n'; // the last line had no line end
            end = total;
        } else {
            const void* lastLineFeed = memrchr(data, '\n', size_t(total));
            if (!lastLineFeed) {
                if (total == capacity) {
                    // One line longer than the buffer: make room and read on.
                    capacity *= 2;
                    m_buffer.resize(size_t(kFront + capacity + padding));
                    data = m_buffer.data() + kFront;
                }
                carry = total;
                continue;
            }
            end = static_cast<const char*>(lastLineFeed) - data + 1;
        }
        const size_t chunks = size_t((end + 63) / 64);
        if (m_masks.size() < 2 * chunks) {
            m_masks.resize(2 * chunks);
            m_folderCounts.resize(chunks + 1);
            m_busy.resize(chunks);
        }
        walk.masks = {m_masks.data(), m_masks.data() + chunks, m_folderCounts.data(),
                      m_busy.data()};
        switch (walk.block(data, end)) {
        case Outcome::End:
            return Result::Done;
        case Outcome::Stop:
            return Result::Stopped;
        case Outcome::Continue:
            break;
        }
        if (got == 0)
            return Result::Done;
        carry = total - end;
        std::memmove(data, data + end, size_t(carry));
    }
}

} // namespace dovrin::search
