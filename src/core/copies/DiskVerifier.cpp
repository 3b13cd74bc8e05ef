#include "DiskVerifier.h"

#include "FingerprintFile.h"
#include "ListLines.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "files/FileMessages.h"
#include "files/RealPath.h"
#include "scan/Scanner.h"
#include "store/DiskTable.h"
#include "store/Keys.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>

namespace dovrin::copies {

namespace {

// A file line, or a folder's own line, of a file-list file.
struct Item
{
    QByteArrayView name;
    QByteArrayView rest;
    qint64 fileLine = -1; // the file line's number, from 0; -1 for the folder itself
    qsizetype position = 0;
};

struct Block
{
    Item folder;
    std::vector<Item> files;
};

std::vector<Block> blocksOf(QByteArrayView data)
{
    std::vector<Block> blocks;
    ListLines lines(data);
    ListLine line;
    qint64 fileLine = 0;
    qsizetype position = 0;
    while (lines.next(line)) {
        if (line.folder) {
            blocks.push_back(Block{Item{line.name, {}, -1, position++}, {}});
            continue;
        }
        if (blocks.empty())
            blocks.push_back(Block{Item{":", {}, -1, position}, {}});
        blocks.back().files.push_back(Item{line.name, line.rest, fileLine++, position++});
    }
    return blocks;
}

// True when a file-list file holds no file, and no folder but the root.
bool holdsNothing(QByteArrayView data)
{
    ListLines lines(data);
    ListLine line;
    int folders = 0;
    while (lines.next(line)) {
        if (!line.folder || ++folders > 1)
            return false;
    }
    return true;
}

// One record's file list and fingerprints, and its blocks once they are asked for.
struct Record
{
    WholeFile file;
    std::vector<Block> blocks;
    std::optional<Fingerprints> prints;

    bool read(const QString& fileList, const QString& sideFile)
    {
        if (!file.read(fileList))
            return false;
        prints = readFingerprintFile(sideFile, file.data());
        return true;
    }
    void takeApart() { blocks = blocksOf(file.data()); }
    // True when the two records are alike byte for byte, fingerprints included where `this`
    // has them: nothing differs then, and nothing need be compared line by line.
    bool sameAs(const Record& fresh) const
    {
        return file.data() == fresh.file.data() &&
               (!prints || (fresh.prints && *prints == *fresh.prints));
    }
    const std::optional<Fingerprint>* print(const Item& item) const
    {
        if (!prints || item.fileLine < 0 || size_t(item.fileLine) >= prints->size())
            return nullptr;
        return &(*prints)[size_t(item.fileLine)];
    }
};

class Comparison
{
public:
    Comparison(const Record& stored, const Record& fresh, const DiskEntry& disk)
        : m_stored(stored), m_fresh(fresh), m_disk(disk)
    {
    }

    void run()
    {
        QHash<QByteArrayView, size_t> storedBlocks;
        for (size_t b = 0; b < m_stored.blocks.size(); ++b)
            storedBlocks.insert(m_stored.blocks[b].folder.name, b);
        std::vector<bool> seen(m_stored.blocks.size(), false);
        for (const Block& block : m_fresh.blocks) {
            const auto it = storedBlocks.constFind(block.folder.name);
            if (it == storedBlocks.cend()) {
                if (block.folder.name.size() > 1)
                    add(Difference::New, block, block.folder);
                for (const Item& file : block.files)
                    add(Difference::New, block, file);
                continue;
            }
            seen[*it] = true;
            compareFiles(m_stored.blocks[*it], block);
        }
        for (size_t b = 0; b < m_stored.blocks.size(); ++b) {
            if (seen[b])
                continue;
            const Block& block = m_stored.blocks[b];
            add(Difference::Missing, block, block.folder);
            for (const Item& file : block.files)
                add(Difference::Missing, block, file);
        }
    }

    void give(VerifySink& sink, VerifyResult& result)
    {
        for (int kind = 0; kind < kDifferenceKinds; ++kind) {
            auto& found = m_found[size_t(kind)];
            std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
                return a.position < b.position;
            });
            result.counts[size_t(kind)] = qint64(found.size());
            for (const Found& f : found)
                sink.addDifference(Difference(kind), f.row, f.realPath);
        }
    }

private:
    struct Found
    {
        qsizetype position;
        search::SearchRow row;
        QString realPath;
    };

    void compareFiles(const Block& stored, const Block& fresh)
    {
        // Unchanged folders list their files in the same order; others are matched by name.
        std::vector<bool> matched(stored.files.size(), false);
        QHash<QByteArrayView, size_t> byName;
        for (size_t i = 0; i < fresh.files.size(); ++i) {
            const Item& file = fresh.files[i];
            size_t at = i;
            if (at >= stored.files.size() || stored.files[at].name != file.name) {
                if (byName.isEmpty()) {
                    for (size_t k = 0; k < stored.files.size(); ++k)
                        byName.insert(stored.files[k].name, k);
                }
                const auto it = byName.constFind(file.name);
                if (it == byName.cend()) {
                    add(Difference::New, fresh, file);
                    continue;
                }
                at = *it;
            }
            matched[at] = true;
            compareFile(stored, stored.files[at], fresh, file);
        }
        for (size_t k = 0; k < stored.files.size(); ++k) {
            if (!matched[k])
                add(Difference::Missing, stored, stored.files[k]);
        }
    }

    void compareFile(const Block& storedBlock, const Item& stored, const Block& freshBlock,
                     const Item& fresh)
    {
        // Lines alike byte for byte (nearly all of them) need not be read as numbers and dates.
        if (stored.rest != fresh.rest && (sizeOf(stored.rest) != sizeOf(fresh.rest) ||
                                          modifiedOf(stored.rest) != modifiedOf(fresh.rest))) {
            add(Difference::Changed, freshBlock, fresh, stored.position);
            return;
        }
        const std::optional<Fingerprint>* before = m_stored.print(stored);
        if (!before || !*before)
            return;
        const std::optional<Fingerprint>* now = m_fresh.print(fresh);
        if (!now || !*now)
            add(Difference::Unreadable, storedBlock, stored);
        else if (**now != **before)
            add(Difference::Damaged, storedBlock, stored);
    }

    void add(Difference kind, const Block& block, const Item& item, qsizetype position = -1)
    {
        search::SearchRow row;
        QString key = m_disk.path + u'\\';
        if (block.folder.name.size() > 2)
            key += text::decode(block.folder.name.sliced(2)) + u'\\';
        if (item.fileLine < 0) {
            row.image = search::SearchRow::Image::Closed;
        } else {
            key += text::decode(item.name);
            row.size = sizeOf(item.rest);
            row.hasSize = true;
            row.modified = modifiedOf(item.rest);
            row.hasModified = true;
        }
        row.key = key;
        row.name = keys::lastName(key);
        row.inFolder = keys::parent(key);
        m_found[size_t(kind)].push_back(Found{position >= 0 ? position : item.position, row,
                                              files::realPath(m_disk.source, key).text});
    }

    const Record& m_stored;
    const Record& m_fresh;
    const DiskEntry& m_disk;
    std::array<std::vector<Found>, kDifferenceKinds> m_found;
};

// True when `path` is a folder that holds at least one entry.
bool holdsEntries(const QString& path)
{
    const QDir folder(path);
    return folder.exists() && folder.isReadable() &&
           !folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}

} // namespace

QString differenceName(Difference kind)
{
    static const char* const kNames[] = {"missing", "new", "changed", "damaged", "unreadable"};
    return QLatin1String(kNames[int(kind)]);
}

QString VerifyResult::summaryText() const
{
    switch (end) {
    case End::Matches:
        return withFingerprints
                   ? QStringLiteral("The disk matches its catalogue, contents included.")
                   : QStringLiteral("The disk matches its catalogue.");
    case End::Stopped:
        return QStringLiteral("Cancelled.");
    case End::NotThere:
    case End::Failed:
        return QStringLiteral("Nothing was compared.");
    case End::Differs:
        break;
    }
    QStringList parts;
    const int kinds = withFingerprints ? kDifferenceKinds : 3;
    for (int kind = 0; kind < kinds; ++kind)
        parts.append(signedNumberText(counts[size_t(kind)]).mid(1) + u' ' +
                     differenceName(Difference(kind)));
    QString text = parts.join(QStringLiteral(", "));
    if (!withFingerprints)
        text += QStringLiteral("; contents not compared: the disk has no fingerprints");
    return text;
}

DiskVerifier::DiskVerifier(const DatabaseFolder& folder, const DiskTable& disks, Prompt& prompt)
    : m_folder(folder), m_disks(disks), m_prompt(prompt)
{
}

// The disk is there when its source is a folder with something in it (an empty folder is where
// a removable disk is mounted when it is not), or when the record holds nothing either.
bool DiskVerifier::sourceReachable(int disk, bool recordEmpty)
{
    const DiskEntry& entry = m_disks.at(disk);
    auto there = [&] {
        return entry.source.startsWith(u'/') && QFileInfo(entry.source).isDir() &&
               (recordEmpty || holdsEntries(entry.source));
    };
    if (there())
        return true;
    const QString name = keys::diskName(entry.path + u'\\');
    if (!files::confirmVolume(m_prompt, QStringLiteral("Verify '") + name + u'\'', name,
                              entry.source, entry.source) ||
        there())
        return there();
    m_prompt.message(QStringLiteral("Disk not found"),
                     QStringLiteral("Unable to find ") + entry.source +
                         QStringLiteral(". Check you have inserted\rthe correct disk."),
                     PromptIcon::Critical);
    return false;
}

VerifyResult DiskVerifier::run(int disk, int attributeMask, VerifySink& sink, Progress& progress)
{
    VerifyResult result;
    const DiskEntry& entry = m_disks.at(disk);
    Record stored;
    if (!stored.read(m_folder.recordFile(entry.path, ".f"),
                     m_folder.recordFile(entry.path, kFingerprintSuffix))) {
        m_prompt.error(QStringLiteral("The disk's record cannot be read."));
        return result;
    }
    if (!sourceReachable(disk, holdsNothing(stored.file.data()))) {
        result.end = VerifyResult::End::NotThere;
        return result;
    }
    result.withFingerprints = stored.prints.has_value();

    // The walk writes a scratch record with the database's extension filter.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        m_prompt.error(QStringLiteral("No room for the comparison: ") + scratch.errorString());
        return result;
    }
    const DatabaseFolder scratchFolder(scratch.path() + u'/');
    QFile::copy(m_folder.root() + QStringLiteral("Extensions.dat"),
                scratchFolder.root() + QStringLiteral("Extensions.dat"));
    ScanRequest request;
    request.database = scratchFolder;
    request.recordPath = QStringLiteral(".\\Verify");
    request.sourcePath = entry.source;
    request.foldersOnly = entry.foldersOnly != 0;
    request.attributeMask = attributeMask;
    request.fingerprint = result.withFingerprints;
    request.reportUnreadable = false;
    switch (catalogueDisk(request, progress, m_prompt)) {
    case ScanOutcome::Complete:
        break;
    case ScanOutcome::Cancelled:
        result.end = VerifyResult::End::Stopped;
        return result;
    case ScanOutcome::Failed:
        return result;
    }

    progress.setStatus(0, QStringLiteral("Comparing..."));
    progress.setStatus(1, QString());
    Record fresh;
    if (!fresh.read(scratchFolder.recordFile(request.recordPath, ".f"),
                    scratchFolder.recordFile(request.recordPath, kFingerprintSuffix))) {
        m_prompt.error(QStringLiteral("The disk's walk cannot be read back."));
        return result;
    }
    if (!stored.sameAs(fresh)) {
        stored.takeApart();
        fresh.takeApart();
        Comparison comparison(stored, fresh, entry);
        comparison.run();
        comparison.give(sink, result);
    }
    qint64 total = 0;
    for (const qint64 count : result.counts)
        total += count;
    result.end = total == 0 ? VerifyResult::End::Matches : VerifyResult::End::Differs;
    return result;
}

} // namespace dovrin::copies
