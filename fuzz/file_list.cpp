// The file-list file of a disk record, as the main window's listing and the search read it.
// The damaged file itself must read without fault; then the items read from it, written
// back as a good record, must come back whole through the reader, the listing and the search.
#include "FuzzSupport.h"
#include "comments/CommentStore.h"
#include "common/Progress.h"
#include "list/FolderListing.h"
#include "search/SearchEngine.h"
#include "store/DiskRecord.h"
#include "store/DiskTable.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

using namespace dovrin;

namespace {

const QString kRecordPath = QStringLiteral(".\\D");
const QString kDiskKey = QStringLiteral(".\\D\\");

struct File
{
    QByteArray name;
    qint64 size = 0;
    RecordDateTime modified;
};

struct Block
{
    QByteArray key; // ":" or ":\Games\Saves"
    QList<File> files;
    // The tree key of the folder: ".\D\" or ".\D\Games\Saves\".
    QString treeKey() const
    {
        return key.size() > 2 ? kDiskKey + text::decode(QByteArrayView(key).sliced(2)) + u'\\'
                              : kDiskKey;
    }
};

bool writableFolderKey(QByteArrayView key)
{
    if (key == ":")
        return true;
    if (!key.startsWith(":\\") || key.contains('"') || key.endsWith('\\'))
        return false;
    return !key.sliced(1).contains("\\\\");
}

bool writableFileName(QByteArrayView name)
{
    return !name.isEmpty() && name[0] != ':' && !name.contains('"') && !name.contains('\\');
}

// Everything the reader gives, stopping at its end, an empty item or a bad line.
QList<FileListItem> readAll(const QString& path, QByteArray& copy)
{
    QList<FileListItem> items;
    FileListReader reader;
    if (!reader.open(path))
        fuzz::fail("a file list cannot be opened", path);
    FileListItem item;
    while (reader.next(item)) {
        fuzz::require(!item.name.isEmpty(), "an empty item was read");
        fuzz::require(items.size() <= reader.data().size(), "the reader does not move on");
        items.append(item);
    }
    // The views point into the reader's mapping: keep the bytes.
    copy = reader.data().toByteArray();
    for (FileListItem& i : items)
        i.name = QByteArrayView(copy.constData() + (i.name.data() - reader.data().data()),
                                i.name.size());
    return items;
}

// The good record that holds what was read: one block per folder key, the root first, every
// file in a block after its folder line, no name twice in a folder.
QList<Block> goodRecord(const QList<FileListItem>& items)
{
    QList<Block> blocks{Block{":", {}}};
    Block* current = nullptr;
    QSet<QByteArray> keys{":"};
    QSet<QByteArray> names;
    for (const FileListItem& item : items) {
        if (item.kind == FileListItem::Folder) {
            current = nullptr;
            if (item.name == ":") {
                current = &blocks.first();
            } else if (writableFolderKey(item.name) && !keys.contains(item.name.toByteArray())) {
                keys.insert(item.name.toByteArray());
                blocks.append(Block{item.name.toByteArray(), {}});
                current = &blocks.last();
            }
            names.clear();
            if (current) {
                for (const File& f : current->files)
                    names.insert(f.name);
            }
        } else if (current && writableFileName(item.name) &&
                   !names.contains(item.name.toByteArray())) {
            names.insert(item.name.toByteArray());
            current->files.append(File{item.name.toByteArray(), item.size, item.modified});
        }
    }
    return blocks;
}

void writeRecord(fuzz::ScratchFolder& scratch, const QList<Block>& blocks)
{
    QByteArray tree;
    QByteArray list;
    for (const Block& b : blocks) {
        if (b.key != ":")
            write::plainLine(tree, QByteArrayView(b.key));
        fileList::appendFolder(list, b.key);
        for (const File& f : b.files)
            fileList::appendFile(list, f.name, f.size, f.modified);
    }
    DiskInfo info;
    info.source = QStringLiteral("/media/d/");
    scratch.write(QStringLiteral("D.i"), infoFileBytes(info));
    scratch.write(QStringLiteral("D.t"), tree);
    scratch.write(QStringLiteral("D.f"), list);
}

QList<search::SearchRow> searchRows(const DatabaseFolder& folder, search::SearchMode mode,
                                    const QString& text)
{
    // One engine for the process, as the search window keeps one: its buffers are reused.
    static const DiskTable disks = [] {
        DiskTable table;
        table.append({kRecordPath, {}, {}, {}, 0});
        return table;
    }();
    static search::SearchEngine engine(folder, disks, QLocale::c());
    fuzz::RowList rows;
    NullProgress progress;
    engine.run(mode, text, rows, progress);
    return rows.rows;
}

QStringList keysOf(const QList<search::SearchRow>& rows)
{
    QStringList keys;
    for (const search::SearchRow& r : rows)
        keys.append(r.key);
    return keys;
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    fuzz::ScratchFolder& scratch = fuzz::ScratchFolder::instance();
    scratch.clear();
    scratch.write(QStringLiteral("D.f"), data);
    QByteArray copy;
    const QList<FileListItem> items = readAll(scratch.path(QStringLiteral("D.f")), copy);

    // The damaged file through the search: a row lies in the disk (or, before any folder line,
    // stands alone) and holds the text. Where a damaged line leaves room, the block walk of a
    // name search and the line walk of "list everything" may read it differently.
    for (const search::SearchRow& row :
         searchRows(scratch.database(), search::SearchMode::Everything, {}))
        fuzz::require(row.inFolder.isEmpty() || row.inFolder.startsWith(kDiskKey),
                      "a listed file lies outside its disk", row.key);
    QString needle = QStringLiteral("A");
    for (const FileListItem& item : items) {
        if (item.kind == FileListItem::File) {
            needle = text::decode(item.name).mid(item.name.size() / 2, 2);
            break;
        }
    }
    if (needle.isEmpty())
        needle = QStringLiteral("A");
    for (const search::SearchRow& row :
         searchRows(scratch.database(), search::SearchMode::Name, needle)) {
        fuzz::require(row.inFolder.isEmpty() || row.inFolder.startsWith(kDiskKey),
                      "a found file lies outside its disk", row.key);
        fuzz::require(row.key.sliced(row.inFolder.size()).toUpper().contains(needle.toUpper()),
                      "a found file does not hold the text", needle + u'|' + row.key);
    }

    // The good record made of what was read.
    const QList<Block> blocks = goodRecord(items);
    scratch.clear();
    writeRecord(scratch, blocks);
    QByteArray again;
    const QList<FileListItem> reread = readAll(scratch.path(QStringLiteral("D.f")), again);
    QStringList expectedKeys;
    QStringList matchingKeys;
    const QString upperNeedle = needle.toUpper();
    qsizetype at = 0;
    for (const Block& b : blocks) {
        fuzz::require(at < reread.size() && reread[at].kind == FileListItem::Folder &&
                          reread[at].name == b.key,
                      "a written folder line reads back otherwise", text::decode(b.key));
        ++at;
        FolderListing listing;
        listing.read(scratch.database(), b.treeKey(), CommentIndex());
        const auto& rows = listing.rows();
        fuzz::require(rows.size() - listing.folderCount() == b.files.size(),
                      "the listing holds other files", b.treeKey());
        for (qsizetype i = 0; i < b.files.size(); ++i) {
            const File& f = b.files[i];
            fuzz::require(at < reread.size() && reread[at].kind == FileListItem::File &&
                              reread[at].name == f.name && reread[at].size == f.size &&
                              reread[at].modified == f.modified,
                          "a written file line reads back otherwise", text::decode(f.name));
            ++at;
            const ListingRow& row = rows[listing.folderCount() + i];
            fuzz::require(row.name == text::decode(f.name) && row.size == f.size &&
                              row.modified == f.modified,
                          "the listing shows a file otherwise", text::decode(f.name));
            const QString key = b.treeKey() + text::decode(f.name);
            expectedKeys.append(key);
            if (text::decode(f.name).toUpper().contains(upperNeedle))
                matchingKeys.append(key);
        }
    }
    fuzz::require(at == reread.size(), "the written file list holds more items");
    fuzz::require(keysOf(searchRows(scratch.database(), search::SearchMode::Everything, {})) ==
                      expectedKeys,
                  "listing everything gives other keys", expectedKeys.join(u'|'));
    fuzz::require(keysOf(searchRows(scratch.database(), search::SearchMode::Name, needle)) ==
                      matchingKeys,
                  "a name search gives other keys", needle + u'|' + matchingKeys.join(u'|'));
}
