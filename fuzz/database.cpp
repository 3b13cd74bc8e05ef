// A whole database folder made from the input, loaded as at start-up, then browsed and
// searched. Input: the files below, in this order, cut at NUL bytes; a part that is exactly
// "-" leaves its file out. The last two parts name and fill one more record of any name.
#include "store/Database.h"

#include "FuzzSupport.h"
#include "comments/CommentStore.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "list/FolderListing.h"
#include "scan/RecordBackup.h"
#include "search/SearchEngine.h"
#include "store/DiskRecord.h"
#include "store/MemoryTree.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <unistd.h>

using namespace dovrin;
using search::SearchMode;

namespace {

const char* const kFiles[] = {
    "A.i",
    "A.t",
    "A.f",
    "Cat/B.i",
    "Cat/B.t",
    "Cat/B.f",
    "A.t.tmp",
    "Cat/B.i.old",
    "Cat/B.f.old",
    "FileComments.dat",
    "Extensions.dat",
    "FileComments.old",
};
constexpr int kFileCount = int(sizeof kFiles / sizeof kFiles[0]);

// A record whose name comes from the input, byte for byte (it may not be UTF-8).
void writeOddRecord(const QString& root, QByteArrayView name, QByteArrayView info,
                    QByteArrayView tree, QByteArrayView list)
{
    if (name.isEmpty() || name.contains('/') || name.size() > 200)
        return;
    const QByteArray base = QFile::encodeName(root) + name.toByteArray();
    const std::pair<const char*, QByteArrayView> files[] = {
        {".i", info}, {".t", tree}, {".f", list}};
    for (const auto& [extension, content] : files) {
        const int fd = ::open((base + extension).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return;
        const bool ok = ::write(fd, content.data(), size_t(content.size())) == content.size();
        ::close(fd);
        if (!ok)
            return;
    }
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    const QList<QByteArrayView> parts = fuzz::split(data, '\0', kFileCount + 2);
    fuzz::ScratchFolder& scratch = fuzz::ScratchFolder::instance();
    scratch.clear();
    QDir().mkpath(scratch.path(QStringLiteral("Cat")));
    for (int i = 0; i < parts.size() && i < kFileCount; ++i) {
        if (parts[i] != "-")
            scratch.write(QLatin1String(kFiles[i]), parts[i]);
    }
    if (parts.size() == kFileCount + 2)
        writeOddRecord(scratch.path({}), parts[kFileCount], parts[kFileCount + 1], parts[1],
                       parts[2]);

    const DatabaseFolder& folder = scratch.database();
    recoverInterruptedScans(folder);
    // One database and one search engine for the process, loaded again for each input, as the
    // window loads another database folder.
    static SilentPrompt prompt;
    static MemoryTree tree;
    static Database database(prompt, &tree);
    static search::SearchEngine engine(folder, database.disks(), QLocale::c());
    database.load(folder);

    // The table holds only whole entries of good records.
    QStringList diskKeys;
    for (const DiskEntry& disk : database.disks()) {
        DiskInfo info;
        fuzz::require(readInfoFile(folder.recordFile(disk.path, ".i"), info) == InfoReadStatus::Ok,
                      "a disk was loaded from a bad info file", disk.path);
        fuzz::require(info.source == disk.source && info.freeSpace == disk.freeSpace &&
                          info.date == disk.date && info.foldersOnly == disk.foldersOnly,
                      "a disk entry differs from its info file", disk.path);
        fuzz::require(tree.find(disk.path + u'\\'), "a loaded disk has no node", disk.path);
        diskKeys.append(disk.path + u'\\');
    }
    for (const MemoryTree::Entry& e : tree.entries())
        fuzz::require(e.parentKey.isEmpty() || tree.find(e.parentKey), "a node without parent",
                      e.node.key);

    auto inSomeDisk = [&](const QString& key) {
        for (const QString& disk : diskKeys) {
            if (key.startsWith(disk))
                return true;
        }
        return false;
    };

    // Every folder of every disk can be listed, and its rows are keys of that disk.
    const CommentIndex comments = CommentStore(folder).loadIndex();
    for (const QString& diskKey : diskKeys) {
        QStringList folderKeys;
        readTreeFile(folder.recordFile(diskKey.chopped(1), ".t"), folderKeys);
        QStringList listed{diskKey};
        for (const QString& k : folderKeys)
            listed.append(diskKey.chopped(1) + k.mid(1) + u'\\');
        for (const QString& key : listed.mid(0, 64)) {
            FolderListing listing;
            listing.read(folder, key, comments);
            for (int row = 0; row < listing.rows().size(); ++row)
                fuzz::require(listing.rowKey(row).startsWith(diskKey),
                              "a listed row lies outside its disk", listing.rowKey(row));
        }
    }

    // Every search: rows lie in a loaded disk (a file before any folder line of a damaged
    // file list stands alone, without a folder); comment rows are keys of the store.
    QSet<QString> commentKeys;
    for (const CommentEntry& e : CommentStore(folder).entries())
        commentKeys.insert(e.key);
    const std::pair<SearchMode, const char*> searches[] = {
        {SearchMode::Everything, ""}, {SearchMode::Name, "A"},     {SearchMode::Extension, "TXT"},
        {SearchMode::Folder, "\\"},   {SearchMode::DiskName, "."}, {SearchMode::Comments, "E"},
    };
    for (const auto& [mode, text] : searches) {
        fuzz::RowList rows;
        NullProgress progress;
        engine.run(mode, QString::fromLatin1(text), rows, progress);
        for (const search::SearchRow& row : rows.rows) {
            if (mode == SearchMode::Comments)
                fuzz::require(commentKeys.contains(row.key), "a comment row of no entry", row.key);
            else if (mode == SearchMode::DiskName)
                fuzz::require(diskKeys.contains(row.key + u'\\'), "a disk row of no disk", row.key);
            else
                fuzz::require(inSomeDisk(row.key) || row.inFolder.isEmpty(),
                              "a found row lies outside every disk",
                              QString::number(int(mode)) + u'|' + row.key);
        }
    }
}
