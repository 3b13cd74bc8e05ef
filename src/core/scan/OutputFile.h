#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace dovrin::scan {

// A file written through one large buffer with plain write(2) calls, so that every failure
// (a full disk, an I/O error) is seen and reported instead of lost in a stream.
class OutputFile
{
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file anew (replacing one of that name). False with errno-style error().
    bool create(const QByteArray& nativePath);
    // The buffer to append to; call flushIfFull() after each record.
    QByteArray& buffer() { return m_buffer; }
    bool flushIfFull() { return m_buffer.size() < kBlock || flush(); }
    bool flush();
    // Flushes and closes; false when anything went wrong since create().
    bool close();
    bool isOpen() const { return m_fd != -1; }
    int error() const { return m_error; }

private:
    static constexpr qsizetype kBlock = 1 << 20;
    int m_fd = -1;
    int m_error = 0;
    QByteArray m_buffer;
};

// Reads a file line by line through a large buffer; lines end with CR LF or LF.
class InputLines
{
public:
    InputLines() = default;
    ~InputLines();
    InputLines(const InputLines&) = delete;
    InputLines& operator=(const InputLines&) = delete;

    bool open(const QByteArray& nativePath);
    // The next line without its end; valid until the next call. False at the end or on an
    // error (then error() is set).
    bool next(QByteArrayView& line);
    int error() const { return m_error; }

private:
    bool fill();
    int m_fd = -1;
    int m_error = 0;
    bool m_eof = false;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
};

} // namespace dovrin::scan
