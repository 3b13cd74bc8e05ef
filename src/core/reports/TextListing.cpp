#include "TextListing.h"

#include "ListingLine.h"
#include "ListingTexts.h"
#include "common/DisplayFormat.h"
#include "search/CommentLookup.h"
#include "store/DiskTable.h"
#include "store/FileListStream.h"
#include "store/Keys.h"
#include "store/TextCodec.h"

#include <QIODevice>

namespace dovrin::reports {

namespace {

// Columns of a body line.
constexpr int kFolderColumn = 1;
constexpr int kNameColumn = 3;
constexpr int kSizeEndColumn = 50;
constexpr int kDateColumn = 52;
constexpr int kCommentColumn = 72;

constexpr qsizetype kWriteBlock = 1 << 20;

// Labels padded to 20 characters, so that every value starts in column 21.
const char kDiskLabel[] = "Directory of disk : ";
const char kGeneratedLabel[] = "Generated         : ";
const char kCataloguedLabel[] = "Disk catalogued   : ";
const char kDriveLabel[] = "From drive        : ";
const char kFreeSpaceLabel[] = "Disk free space   : ";
const char kFoldersOnly[] = "Files were not catalogued";
const char kProgram[] = "By Dovrin 2";

void headLine(QByteArray& out, const char* label, const QString& value)
{
    out.append(label);
    out.append(value.toUtf8());
    out.append("\r\n");
}

// Record names are UTF-8, or Windows-1252 when written on Windows: the listing is UTF-8.
QByteArrayView asUtf8(QByteArrayView bytes, QByteArray& scratch)
{
    if (text::isValidUtf8(bytes))
        return bytes;
    scratch = text::encode(text::decode(bytes));
    return scratch;
}

// Writes the body, line by line. Comments are looked up by the key's bytes, built in one
// reused buffer: the disk's key, the folder's path, the file's name.
class BodyWriter
{
public:
    BodyWriter(QIODevice& device, const ListingSource& source)
        : m_device(device), m_comments(source.comments), m_texts(source.format),
          m_key(text::encode(source.disk.path + keys::kSeparator)), m_diskKeyLength(m_key.size())
    {
        m_buffer.reserve(kWriteBlock + 4096);
    }

    void folder(QByteArrayView folderKey)
    {
        // The folder's path: the key and "\" without its first two characters; the root's
        // is empty.
        m_folderText.truncate(0);
        m_folderText.append(asUtf8(folderKey, m_nameScratch));
        m_folderText.append('\\');
        m_key.truncate(m_diskKeyLength);
        m_key.append(QByteArrayView(m_folderText).sliced(2));
        m_folderKeyLength = m_key.size();
        m_line.clear();
        m_line.put(kFolderColumn, m_folderText);
        putComment();
        m_line.appendTo(m_buffer);
    }

    void file(QByteArrayView name, qint64 size, RecordDateTime modified)
    {
        const QByteArrayView utf8 = asUtf8(name, m_nameScratch);
        m_line.clear();
        m_line.put(kNameColumn, utf8);
        m_line.putEndingAt(kSizeEndColumn, m_texts.size(size));
        m_line.put(kDateColumn, m_texts.dateTime(modified));
        if (!m_comments.isEmpty()) {
            m_key.truncate(m_folderKeyLength);
            m_key.append(utf8);
            putComment();
        }
        m_line.appendTo(m_buffer);
    }

    bool flushIfFull() { return m_buffer.size() < kWriteBlock || flush(); }

    bool flush()
    {
        const bool ok = m_buffer.isEmpty() || m_device.write(m_buffer) == m_buffer.size();
        m_buffer.truncate(0);
        return ok;
    }

private:
    void putComment()
    {
        const QByteArrayView comment = m_comments.findUtf8(m_key);
        if (!comment.isEmpty())
            m_line.put(kCommentColumn, asUtf8(comment, m_commentScratch));
    }

    QIODevice& m_device;
    const search::CommentLookup& m_comments;
    ListingTexts m_texts;
    QByteArray m_key;
    const qsizetype m_diskKeyLength;
    qsizetype m_folderKeyLength = 0;
    QByteArray m_folderText;
    QByteArray m_nameScratch;
    QByteArray m_commentScratch;
    QByteArray m_buffer;
    ListingLine m_line;
};

} // namespace

QString listingFileName(const QString& recordPath)
{
    const QString catalogue = keys::catalogueName(recordPath);
    const QString disk = keys::diskName(recordPath + keys::kSeparator);
    if (catalogue == QLatin1String("."))
        return disk + QStringLiteral(".txt");
    return catalogue + u'-' + disk + QStringLiteral(".txt");
}

bool writeListing(QIODevice& out, const ListingSource& source, QString& error)
{
    const DiskEntry& disk = source.disk;
    const RecordDateTime now = RecordDateTime::fromDateTime(source.generated);
    QByteArray head;
    headLine(head, kDiskLabel, keys::diskName(disk.path + keys::kSeparator));
    headLine(head, kGeneratedLabel,
             source.format.date(now) + u' ' + source.format.time(now) + u' ' +
                 QLatin1String(kProgram));
    headLine(head, kCataloguedLabel, disk.date);
    headLine(head, kDriveLabel, disk.source);
    headLine(head, kFreeSpaceLabel, disk.freeSpace);
    if (disk.foldersOnly != 0)
        head.append(kFoldersOnly).append("\r\n");
    head.append("\r\n");
    if (out.write(head) != head.size()) {
        error = out.errorString();
        return false;
    }

    FileListStream list;
    if (!list.open(source.folder.recordFile(disk.path, ".f"))) {
        error = list.error();
        return false;
    }
    BodyWriter body(out, source);
    FileListItem item;
    while (list.next(item)) {
        if (item.kind == FileListItem::Folder)
            body.folder(item.name);
        else
            body.file(item.name, item.size, item.modified);
        if (!body.flushIfFull()) {
            error = out.errorString();
            return false;
        }
    }
    if (!body.flush()) {
        error = out.errorString();
        return false;
    }
    error = list.error();
    return error.isEmpty();
}

} // namespace dovrin::reports
