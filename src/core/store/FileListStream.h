#pragma once

#include "DiskRecord.h"
#include "RecordText.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace dovrin {

// Reads a file-list file item by item through one reused buffer of a few hundred kilobytes,
// so that walking a disk of millions of files takes the same memory as walking a small one.
// An item's views stay valid until the next call.
class FileListStream
{
public:
    bool open(const QString& nativePath);
    // The next item; false at the end, at an empty item, at a malformed file line or when the
    // file cannot be read on (then `error()` says why).
    bool next(FileListItem& item);
    const QString& error() const { return m_error; }

    static constexpr qsizetype kBlockSize = 256 * 1024;
    // Whole lines kept ahead of the reader, so that an item never ends at the buffer's edge.
    static constexpr qsizetype kReadAhead = 64 * 1024;

private:
    bool refill();

    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_size = 0;     // bytes read into the buffer
    qsizetype m_wholeEnd = 0; // end of the last whole line in the buffer
    int m_lineOffset = 0;     // lines before the buffer's start
    bool m_atEnd = false;     // the file is read to its end
    FieldReader m_fields{QByteArrayView()};
    QString m_error;
};

} // namespace dovrin
