#include "DiskRecord.h"

#include "RecordText.h"
#include "TextCodec.h"
#include "common/Interrupted.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace dovrin {

namespace {

// An info file is five short lines; reading more than this never changes the outcome and keeps
// a huge or binary file from being loaded whole.
constexpr qint64 kInfoReadLimit = 64 * 1024;

QByteArray readHead(const QString& nativePath, bool& ok)
{
    // Plain calls: a database load reads one of these per disk.
    QByteArray data;
    const int fd = ::open(QFile::encodeName(nativePath).constData(), O_RDONLY | O_CLOEXEC);
    ok = fd != -1;
    if (!ok)
        return data;
    data.resize(kInfoReadLimit);
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t got = retryInterrupted(
            [&] { return ::read(fd, data.data() + filled, size_t(data.size() - filled)); });
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        filled += got;
    }
    ::close(fd);
    data.truncate(ok ? filled : 0);
    return data;
}

// Line 5: a whole number with a blank before and after (" 0 "), 16 bits.
bool parseFlagLine(QByteArrayView line, qint16& value)
{
    line = line.trimmed();
    qint64 wide = 0;
    if (line.isEmpty() || !fields::parseInt64(line, wide) || wide < -32768 || wide > 32767)
        return false;
    value = qint16(wide);
    return true;
}

} // namespace

InfoReadStatus readInfoFile(const QString& nativePath, DiskInfo& info, QString* version)
{
    bool ok = false;
    const QByteArray data = readHead(nativePath, ok);
    if (!ok)
        return InfoReadStatus::Unreadable;
    return parseInfoFile(data, info, version);
}

InfoReadStatus parseInfoFile(QByteArrayView data, DiskInfo& info, QString* version)
{
    LineReader lines(data);
    QByteArrayView line;
    lines.next(line); // an empty file has an empty first line
    if (version)
        *version = text::decode(line);
    if (line != kFormatVersion)
        return InfoReadStatus::WrongVersion;

    QByteArrayView rest[4];
    for (QByteArrayView& r : rest) {
        if (!lines.next(r))
            return InfoReadStatus::Malformed;
    }
    DiskInfo read;
    if (!parseFlagLine(rest[3], read.foldersOnly))
        return InfoReadStatus::Malformed;
    read.source = text::decode(rest[0]);
    read.freeSpace = text::decode(rest[1]);
    read.date = text::decode(rest[2]);
    info = read;
    return InfoReadStatus::Ok;
}

QByteArray infoFileBytes(const DiskInfo& info)
{
    QByteArray out;
    write::plainLine(out, kFormatVersion);
    write::plainLine(out, info.source);
    write::plainLine(out, info.freeSpace);
    write::plainLine(out, info.date);
    write::plainNumberLine(out, info.foldersOnly);
    return out;
}

void readTreeFile(const QString& nativePath, QStringList& folderKeys)
{
    QFile file(nativePath);
    if (file.open(QIODevice::ReadOnly))
        parseTreeFile(file.readAll(), folderKeys);
}

void parseTreeFile(QByteArrayView data, QStringList& folderKeys)
{
    LineReader lines(data);
    QByteArrayView line;
    while (lines.next(line)) {
        // Every folder key begins with ":"; a blank line (a stray line end) names nothing.
        if (!line.isEmpty())
            folderKeys.append(text::decode(line));
    }
}

namespace fileList {

void appendFolder(QByteArray& out, QByteArrayView folderKey)
{
    write::quoted(out, folderKey);
    write::lineEnd(out);
}

void appendFile(QByteArray& out, QByteArrayView name, qint64 size, RecordDateTime modified)
{
    write::quoted(out, name);
    write::comma(out);
    write::number(out, size);
    write::comma(out);
    write::dateTime(out, modified);
    write::lineEnd(out);
}

} // namespace fileList

// Keeps the file open while it is mapped; falls back to reading it whole when mapping is not
// possible (an empty file, a pipe, a file system without mmap).
class FileListReader::Impl
{
public:
    QFile file;
    QByteArray owned;
    FieldReader fields{QByteArrayView()};
};

FileListReader::~FileListReader()
{
    delete m_impl;
}

bool FileListReader::open(const QString& nativePath)
{
    delete m_impl;
    m_impl = new Impl;
    m_data = {};
    m_error.clear();

    m_impl->file.setFileName(nativePath);
    if (!m_impl->file.open(QIODevice::ReadOnly)) {
        m_error = m_impl->file.errorString();
        return false;
    }
    const qint64 size = m_impl->file.size();
    uchar* mapped = size > 0 ? m_impl->file.map(0, size) : nullptr;
    if (mapped) {
        // Read ahead: the file is walked once from start to end.
        madvise(mapped, size_t(size), MADV_SEQUENTIAL);
        m_data = QByteArrayView(reinterpret_cast<const char*>(mapped), size);
    } else {
        m_impl->owned = m_impl->file.readAll();
        m_impl->file.close();
        m_data = m_impl->owned;
    }
    m_impl->fields = FieldReader(m_data);
    return true;
}

bool FileListReader::next(FileListItem& item)
{
    return m_impl && readFileListItem(m_impl->fields, item, m_error);
}

bool readFileListItem(FieldReader& r, FileListItem& item, QString& error, int lineOffset)
{
    const int line = r.line() + lineOffset;
    FieldReader::Field name;
    if (!r.next(name) || name.isEmpty())
        return false;
    item.name = name.bytes;
    if (name.bytes[0] == ':') {
        item.kind = FileListItem::Folder;
        item.size = 0;
        item.modified = RecordDateTime::zero();
        return true;
    }

    item.kind = FileListItem::File;
    FieldReader::Field size;
    FieldReader::Field modified;
    if (!r.next(size) || !fields::parseSize(size.bytes, item.size)) {
        error = QStringLiteral("bad size on line %1").arg(line);
        return false;
    }
    if (!r.next(modified)) {
        error = QStringLiteral("missing date on line %1").arg(line);
        return false;
    }
    if (modified.isEmpty()) {
        item.modified = RecordDateTime::zero();
        return true;
    }
    const auto when = RecordDateTime::parse(modified.bytes);
    if (!when) {
        error = QStringLiteral("bad date on line %1").arg(line);
        return false;
    }
    item.modified = *when;
    return true;
}

} // namespace dovrin
