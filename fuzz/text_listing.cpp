// The text listing of a disk, made from a damaged file-list file and comment store (the two
// parts of the input, cut at the first NUL byte). The listing's streaming reader must read
// the same items as the whole-file reader, and the listing must hold one line of exactly
// 200 characters and CR LF for each of them, in UTF-8, after its head.
#include "FuzzSupport.h"
#include "common/DisplayFormat.h"
#include "reports/ListingLine.h"
#include "reports/TextListing.h"
#include "search/CommentLookup.h"
#include "store/DiskRecord.h"
#include "store/DiskTable.h"
#include "store/FileListStream.h"
#include "store/TextCodec.h"

#include <QBuffer>

using namespace dovrin;

namespace {

struct Item
{
    FileListItem::Kind kind;
    QByteArray name;
    qint64 size;
    RecordDateTime modified;
    bool operator==(const Item&) const = default;
};

template <typename Reader> QList<Item> readItems(const QString& path, QString& error)
{
    Reader reader;
    if (!reader.open(path))
        fuzz::fail("a file list cannot be opened", path);
    QList<Item> items;
    FileListItem item;
    while (reader.next(item))
        items.append(Item{item.kind, item.name.toByteArray(), item.size, item.modified});
    error = reader.error();
    return items;
}

// The bytes of the next `count` UTF-8 characters from `at`, or -1 when the text ends first.
qsizetype utf8Length(QByteArrayView text, qsizetype at, int count)
{
    qsizetype end = at;
    for (int i = 0; i < count; ++i) {
        if (end >= text.size())
            return -1;
        const auto lead = uchar(text[end]);
        end += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    }
    return end <= text.size() ? end - at : -1;
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    fuzz::ScratchFolder& scratch = fuzz::ScratchFolder::instance();
    scratch.clear();
    const QList<QByteArrayView> parts = fuzz::split(data, '\0', 2);
    scratch.write(QStringLiteral("D.f"), parts.value(0));
    if (parts.size() > 1)
        scratch.write(QStringLiteral("FileComments.dat"), parts[1]);

    const QString listPath = scratch.path(QStringLiteral("D.f"));
    QString wholeError;
    QString streamError;
    const QList<Item> items = readItems<FileListReader>(listPath, wholeError);
    fuzz::require(readItems<FileListStream>(listPath, streamError) == items,
                  "the streaming reader reads other items than the whole-file reader");
    fuzz::require(streamError.isEmpty() == wholeError.isEmpty(),
                  "the two readers disagree on an error", streamError + u'|' + wholeError);

    const DiskEntry disk{QStringLiteral(".\\D"), QStringLiteral("/media/d/"),
                         QStringLiteral("12.00MB"), QStringLiteral("01/03/2026"), 0};
    const search::CommentLookup comments(scratch.database());
    const DisplayFormat format(QLocale::c());
    const reports::ListingSource source{scratch.database(), disk, comments, format,
                                        QDateTime(QDate(2026, 3, 1), QTime(10, 15))};
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    const bool written = reports::writeListing(out, source, error);
    fuzz::require(written == streamError.isEmpty(), "the listing's result is not the reader's",
                  error);

    const QByteArray& listing = out.data();
    fuzz::require(text::isValidUtf8(listing), "the listing is not UTF-8");
    const qsizetype bodyStart = listing.indexOf("\r\n\r\n") + 4;
    fuzz::require(bodyStart >= 4, "the listing has no head");
    qsizetype at = bodyStart;
    for (const Item& item : items) {
        const qsizetype length = utf8Length(listing, at, reports::ListingLine::kWidth);
        fuzz::require(length > 0 && QByteArrayView(listing).sliced(at + length).startsWith("\r\n"),
                      "a listing line is not 200 characters and CR LF", text::decode(item.name));
        const QByteArrayView line = QByteArrayView(listing).sliced(at, length);
        fuzz::require(item.kind == FileListItem::Folder
                          ? line[0] != ' ' || item.name.startsWith(' ')
                          : line.startsWith("  "),
                      "a listing line has its text in the wrong column", text::decode(item.name));
        at += length + 2;
    }
    fuzz::require(at == listing.size(), "the listing holds more lines than the file list");
}
