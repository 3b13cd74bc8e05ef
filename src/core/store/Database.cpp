#include "Database.h"

#include "DatabaseView.h"
#include "DirectoryEntries.h"
#include "DiskRecord.h"
#include "Keys.h"
#include "RecordFiles.h"
#include "RecordText.h"
#include "common/Prompt.h"
#include "manage/ChangeJournal.h"

#include <QFile>

namespace dovrin {

namespace {

const QString kPseudoCatalogue = QStringLiteral(".\\");
const QString kDiskImage = QStringLiteral("disk");
const QString kCatalogueImage = QStringLiteral("catalogue");
constexpr int kCatalogueCapacity = 1000;

// A name the program could have written: not empty and none of the forbidden characters (a
// "\" in a Linux file name would break every key built from it).
bool recordName(const QString& name)
{
    return !name.isEmpty() && nameIsValid(name);
}

} // namespace

bool isCatalogueFolder(const FolderEntry& entry)
{
    return entry.isFolder && entry.decodable && recordName(entry.name);
}

Database::Database(Prompt& prompt, DatabaseView* view) : m_prompt(prompt), m_view(view) {}

void Database::load(const DatabaseFolder& folder)
{
    if (m_view) {
        m_view->clearFileList();
        m_view->clearTree();
        m_view->setStatusText(QStringLiteral("Please wait... Initialising"));
    }
    m_disks.clear();
    m_folder = folder;
    m_fullReported = false;
    // A rename, move or delete that a killed process left half done is settled first.
    settlePendingChange(m_folder, m_prompt);

    loadFolderDisks(kPseudoCatalogue);

    const QStringList catalogues = catalogueFolders();
    for (const QString& name : catalogues) {
        if (m_view) {
            const QString key = name + u'\\';
            m_view->addNode({}, {key, name, kCatalogueImage, {}, tags::kCatalogue, true});
        }
        loadFolderDisks(name + u'\\');
    }

    if (m_view)
        m_view->setStatusText(diskCountText());
}

QStringList Database::catalogueFolders()
{
    // Listing order of the file system, never sorted. Dot-folders are listed too: a catalogue
    // may be named ".old", and the database folder is the program's own.
    QStringList names;
    for (const FolderEntry& entry : listFolder(m_folder.root())) {
        if (!entry.isFolder || !reachable(entry) || !isCatalogueFolder(entry))
            continue;
        if (names.size() == kCatalogueCapacity) {
            m_prompt.message(QStringLiteral("Too many catalogues"),
                             QStringLiteral("This database has more than 1000 catalogues. "
                                            "Only the first 1000 are loaded."),
                             PromptIcon::Exclamation);
            break;
        }
        names.append(entry.name);
    }
    return names;
}

void Database::loadFolderDisks(const QString& folderPath)
{
    const QList<FolderEntry> entries = listFolder(m_folder.nativePath(folderPath));
    // A link that cannot be looked at counts as there: reading it tells what is wrong, where
    // taking it for missing would offer to delete a good record.
    QSet<QByteArray> listedFiles;
    for (const FolderEntry& entry : entries) {
        if (entry.isFile || entry.unknown)
            listedFiles.insert(entry.rawName);
    }
    for (const FolderEntry& entry : entries) {
        // "*.i" exactly: Photos.i.old, Photos.t.tmp and Photos.I are not records.
        if ((!entry.isFile && !entry.unknown) || !entry.rawName.endsWith(".i") || !reachable(entry))
            continue;
        const QString diskName = entry.name.chopped(2);
        if (!recordName(diskName))
            continue;
        if (m_disks.isFull()) {
            reportFull(folderPath + diskName);
            return;
        }

        const QString recordPath = folderPath + diskName;
        if (!isComplete(recordPath, listedFiles)) {
            // Another process may be moving it right now: its change settles it.
            if (!isNamedByPendingChange(m_folder, recordPath))
                askDeleteCorrupt(recordPath);
            continue;
        }
        addDisk(recordPath + u'\\');
    }
}

bool Database::reachable(const FolderEntry& entry)
{
    // Keys and record paths are text: a name that is not valid UTF-8 cannot be opened again.
    if (entry.decodable)
        return true;
    m_prompt.message(QStringLiteral("Name not readable"),
                     QStringLiteral("The name ") + entry.name +
                         QStringLiteral(" in the database folder is not valid UTF-8 text, so "
                                        "Dovrin cannot open it. Rename it to load it."),
                     PromptIcon::Exclamation);
    return false;
}

bool Database::isComplete(const QString& recordPath, const QSet<QByteArray>& listedFiles) const
{
    // The listing has followed links already, so a link to nothing is missing here too.
    const QByteArray name = QFile::encodeName(keys::lastName(recordPath));
    for (const RecordFile& file : kRecordFiles) {
        if (file.required && !listedFiles.contains(name + file.suffix))
            return false;
    }
    return true;
}

void Database::askDeleteCorrupt(const QString& recordPath)
{
    const bool remove = m_prompt.yesNo(QStringLiteral("Disk corrupt!"),
                                       QStringLiteral("The disk ") + recordPath +
                                           QStringLiteral(" is corrupt. Shall I delete it?"),
                                       PromptIcon::Exclamation, PromptAnswer::No);
    if (!remove)
        return;
    for (const RecordFile& file : kRecordFiles)
        QFile::remove(m_folder.recordFile(recordPath, file.suffix));
}

void Database::reportFull(const QString& firstLeftOut)
{
    if (m_fullReported)
        return;
    m_fullReported = true;
    m_prompt.message(QStringLiteral("Too many disks"),
                     QStringLiteral("Dovrin holds at most 1000 disks. The disk ") + firstLeftOut +
                         QStringLiteral(" and any after it are not loaded."),
                     PromptIcon::Exclamation);
}

bool Database::addDisk(const QString& diskKey)
{
    const QString recordPath = diskKey.chopped(1);
    if (m_disks.isFull()) {
        reportFull(recordPath);
        return false;
    }

    DiskInfo info;
    switch (readInfoFile(m_folder.recordFile(recordPath, ".i"), info)) {
    case InfoReadStatus::Ok:
        break;
    case InfoReadStatus::WrongVersion:
        m_prompt.message(QStringLiteral("Incompatible"),
                         QStringLiteral("Disk ") + recordPath +
                             QStringLiteral(" is not in the correct format for this version "
                                            "of Dovrin."),
                         PromptIcon::Critical);
        return false;
    case InfoReadStatus::Unreadable:
        m_prompt.message(QStringLiteral("Disk not loaded"),
                         QStringLiteral("The info file of disk ") + recordPath +
                             QStringLiteral(" cannot be read. The disk is not loaded."),
                         PromptIcon::Critical);
        return false;
    case InfoReadStatus::Malformed:
        m_prompt.message(QStringLiteral("Disk not loaded"),
                         QStringLiteral("The info file of disk ") + recordPath +
                             QStringLiteral(" is damaged: it needs five lines, the last a "
                                            "number. The disk is not loaded."),
                         PromptIcon::Critical);
        return false;
    }

    m_disks.append({recordPath, info.source, info.freeSpace, info.date, info.foldersOnly});

    if (m_view) {
        const QString catalogue = keys::catalogue(diskKey);
        const QString parentKey = catalogue == kPseudoCatalogue ? QString() : catalogue;
        const QString name = keys::diskName(diskKey);
        m_view->addNode(parentKey, {diskKey, name, kDiskImage, {}, tags::kDisk, false});
        m_view->addNode(diskKey, {diskKey + u'*', name, kDiskImage, {}, tags::kDisk, false});
    }
    return true;
}

void Database::renameDisk(const QString& oldKey, const QString& newKey)
{
    const int index = findDisk(oldKey);
    if (index == 0)
        return;
    m_disks.at(index).path = newKey.chopped(1);
    if (m_view) {
        m_view->removeNode(oldKey);
        const QString catalogue = keys::catalogue(newKey);
        const QString parentKey = catalogue == kPseudoCatalogue ? QString() : catalogue;
        const QString name = keys::diskName(newKey);
        m_view->addNode(parentKey, {newKey, name, kDiskImage, {}, tags::kDisk, false});
        m_view->addNode(newKey, {newKey + u'*', name, kDiskImage, {}, tags::kDisk, false});
    }
}

void Database::removeDisk(const QString& diskKey)
{
    m_disks.remove(findDisk(diskKey));
    if (m_view) {
        m_view->removeNode(diskKey);
        m_view->clearFileList();
    }
}

void Database::addCatalogueNode(const QString& catalogueKey)
{
    if (m_view)
        m_view->addNode(
            {},
            {catalogueKey, catalogueKey.chopped(1), kCatalogueImage, {}, tags::kCatalogue, false});
}

int Database::findDisk(QStringView key) const
{
    return keys::findDisk(m_disks, key);
}

QString Database::diskCountText() const
{
    const int count = m_disks.count();
    return signedNumberText(count) +
           (count == 1 ? QStringLiteral(" disk catalogued") : QStringLiteral(" disks catalogued"));
}

} // namespace dovrin
