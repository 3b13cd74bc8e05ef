#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace dovrin::search {

// Walks a file-list file for the search. It reads the file in large blocks into one reused
// buffer and looks at whole blocks at once: only the folder lines and the file lines that
// may match reach the handler, and nothing is allocated per line.
class FileListScanner
{
public:
    // Which file lines reach the handler.
    struct Filter
    {
        bool allFiles = false;         // every file line
        QByteArray asciiNeedle;        // lines whose name holds these upper-case ASCII bytes,
                                       // in either case (empty: none)
        bool nonAsciiNames = false;    // lines whose name holds a byte >= 0x80,
        bool upperToAsciiOnly = false; // of those only the ones with a character whose upper
                                       // case may hold ASCII letters (ß, ſ, ﬁ...)
    };

    class Handler
    {
    public:
        virtual ~Handler() = default;
        // As many folder lines as count have passed since the last call. False stops the walk.
        virtual bool folderLines(qsizetype count) = 0;
        // The key of the last folder line (":", ":\Games"). Given only when needed: before
        // the folder's first file line reaches the handler, or before its bytes are gone.
        virtual void folderKey(QByteArrayView key) = 0;
        // A file line as it stands (without its line end), and its name. False stops the walk.
        virtual bool fileLine(QByteArrayView line, QByteArrayView name) = 0;
    };

    enum class Result
    {
        Done,
        Stopped,
        Unreadable
    };

    // Walks the file (its name in the file system's encoding) up to its end or its first
    // empty item. One scanner serves one thread at a time.
    Result scan(const QByteArray& nativePath, const Filter& filter, Handler& handler);

    static constexpr qsizetype kBlockSize = 256 * 1024;

private:
    struct Walk;
    std::vector<char> m_buffer;
    std::vector<uint64_t> m_masks; // the event bits of a block's chunks, then its folder bits
    std::vector<uint32_t> m_folderCounts;
    std::vector<uint32_t> m_busy; // the chunks with events
};

} // namespace dovrin::search
