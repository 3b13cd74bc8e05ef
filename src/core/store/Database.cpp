#include "Database.h"

#include "DatabaseView.h"
#include "DiskRecord.h"
#include "Keys.h"
#include "RecordText.h"
#include "common/Prompt.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace dovrin {

namespace {

const QString kPseudoCatalogue = QStringLiteral(".\\");
const QString kDiskImage = QStringLiteral("disk");
const QString kCatalogueImage = QStringLiteral("catalogue");
constexpr int kCatalogueCapacity = 1000;

// A name the database can hold: not empty, none of the forbidden characters (a "\" in a
// Linux file name would break every key built from it), and reachable again by its decoded
// name (a name that is not valid UTF-8 is not).
bool usableName(const QString& name, const QString& nativePath)
{
    return !name.isEmpty() && nameIsValid(name) && QFileInfo::exists(nativePath);
}

} // namespace

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
    QDirIterator it(m_folder.root(), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = it.fileName();
        if (!usableName(name, path))
            continue;
        if (names.size() == kCatalogueCapacity) {
            m_prompt.message(QStringLiteral("Too many catalogues"),
                             QStringLiteral("This database has more than 1000 catalogues. "
                                            "Only the first 1000 are loaded."),
                             PromptIcon::Exclamation);
            break;
        }
        names.append(name);
    }
    return names;
}

void Database::loadFolderDisks(const QString& folderPath)
{
    const QString nativeFolder = m_folder.nativePath(folderPath);
    QDirIterator it(nativeFolder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString fileName = it.fileName();
        // "*.i" exactly: Photos.i.old, Photos.t.tmp and Photos.I are not records.
        if (!fileName.endsWith(QLatin1String(".i")))
            continue;
        const QString diskName = fileName.chopped(2);
        if (!usableName(diskName, path))
            continue;
        if (m_disks.isFull()) {
            reportFull(folderPath + diskName);
            return;
        }

        const QString recordPath = folderPath + diskName;
        if (!fileExists(m_folder.recordFile(recordPath, ".f")) ||
            !fileExists(m_folder.recordFile(recordPath, ".t"))) {
            askDeleteCorrupt(recordPath);
            continue;
        }
        addDisk(recordPath + u'\\');
    }
}

void Database::askDeleteCorrupt(const QString& recordPath)
{
    const bool remove = m_prompt.yesNo(QStringLiteral("Disk corrupt!"),
                                       QStringLiteral("The disk ") + recordPath +
                                           QStringLiteral(" is corrupt. Shall I delete it?"),
                                       PromptIcon::Exclamation, PromptAnswer::No);
    if (!remove)
        return;
    for (const char* extension : {".i", ".t", ".f"})
        QFile::remove(m_folder.recordFile(recordPath, extension));
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

void Database::removeDisk(const QString& diskKey)
{
    m_disks.remove(findDisk(diskKey));
    if (m_view) {
        m_view->removeNode(diskKey);
        m_view->clearFileList();
    }
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
