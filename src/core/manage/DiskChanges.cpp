#include "DiskChanges.h"

#include "CatalogueChanges.h"
#include "ChangeJournal.h"
#include "NewName.h"
#include "common/Prompt.h"
#include "scan/RecordBackup.h"
#include "store/Database.h"
#include "store/DatabaseView.h"
#include "store/Keys.h"
#include "store/RecordFiles.h"

#include <QFile>
#include <sys/stat.h>

namespace dovrin {

namespace {

const QString kNoneSelected = QStringLiteral("No disk selected");

bool exists(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// The record files a change takes along: every required one, and the side files present.
QStringList presentSuffixes(const DatabaseFolder& database, const QString& recordPath,
                            const QList<RecordFile>& order)
{
    QStringList suffixes;
    for (const RecordFile& file : order) {
        if (file.required || exists(database.recordFile(recordPath, file.suffix)))
            suffixes.append(QLatin1String(file.suffix));
    }
    return suffixes;
}

QList<RecordFile> deleteOrder()
{
    return QList<RecordFile>(std::begin(kRecordFiles), std::end(kRecordFiles));
}

} // namespace

DiskChanges::DiskChanges(Database& database, Prompt& prompt, ChangeHooks hooks)
    : m_database(database), m_prompt(prompt), m_hooks(std::move(hooks))
{
}

bool DiskChanges::mayChange(ChangeJournal& journal, const QString& recordPath)
{
    if (!journal.begin()) {
        m_prompt.error(journal.error());
        return false;
    }
    if (isBeingScanned(m_database.folder(), recordPath)) {
        m_prompt.error(QStringLiteral("The disk %1 is being catalogued by another Dovrin "
                                      "process. Try again when it has finished.")
                           .arg(recordPath));
        return false;
    }
    return true;
}

ChangeResult DiskChanges::remove(const QString& diskKey)
{
    if (diskKey.isEmpty()) {
        m_prompt.error(kNoneSelected);
        return {ChangeOutcome::Refused};
    }
    const int index = m_database.findDisk(diskKey);
    if (index == 0)
        return {ChangeOutcome::Cancelled};
    const QString recordPath = m_database.disks().at(index).path;
    if (!m_prompt.yesNo(QStringLiteral("Delete?"),
                        QStringLiteral("Are you sure you want to delete the disk: ") + recordPath +
                            u'?',
                        PromptIcon::Question, PromptAnswer::No))
        return {ChangeOutcome::Cancelled};
    if (m_hooks.closeSearch)
        m_hooks.closeSearch();

    QString leftToDo;
    {
        ChangeJournal journal(m_database.folder());
        if (!mayChange(journal, recordPath))
            return {ChangeOutcome::Failed};
        PendingChange change;
        change.kind = PendingChange::Kind::DeleteDisk;
        change.from = recordPath;
        change.suffixes = presentSuffixes(m_database.folder(), recordPath, deleteOrder());
        const ChangeJournal::Result result = journal.apply(change);
        if (!result.applied) {
            m_prompt.error(
                QStringLiteral("Unable to delete the disk %1: %2").arg(recordPath, result.error));
            return {ChangeOutcome::Failed};
        }
        leftToDo = result.error;
    }
    m_database.removeDisk(recordPath + u'\\');
    if (DatabaseView* view = m_database.view())
        view->setStatusText(m_database.diskCountText());
    if (!leftToDo.isEmpty())
        m_prompt.message(QStringLiteral("Disk deleted"), leftToDo, PromptIcon::Exclamation);
    return {ChangeOutcome::Done};
}

ChangeResult DiskChanges::rename(const QString& diskKey)
{
    if (diskKey.isEmpty()) {
        m_prompt.error(kNoneSelected);
        return {ChangeOutcome::Refused};
    }
    const int index = m_database.findDisk(diskKey);
    if (index == 0)
        return {ChangeOutcome::Cancelled};
    const QString oldName = keys::diskName(diskKey);
    const QString newName = askNewName(m_prompt, QStringLiteral("disk"), oldName);
    if (newName.isEmpty())
        return {ChangeOutcome::Cancelled};
    if (!nameIsValid(newName)) {
        m_prompt.error(QStringLiteral(
            "Disk names cannot contain the following characters: \\ / : * ? \" < > |"));
        return {ChangeOutcome::Refused};
    }
    if (m_hooks.closeSearch)
        m_hooks.closeSearch();

    const QString oldPath = m_database.disks().at(index).path;
    const QString newPath = keys::catalogue(oldPath + u'\\') + newName;
    const QString unable = QStringLiteral("Unable to rename the disk");
    {
        ChangeJournal journal(m_database.folder());
        if (!mayChange(journal, oldPath))
            return {ChangeOutcome::Failed};
        PendingChange change;
        change.kind = PendingChange::Kind::MoveDisk;
        change.from = oldPath;
        change.to = newPath;
        change.suffixes = presentSuffixes(m_database.folder(), oldPath, deleteOrder());
        for (const QString& suffix : std::as_const(change.suffixes)) {
            if (newPath == oldPath || exists(m_database.folder().nativePath(newPath + suffix))) {
                m_prompt.error(unable);
                return {ChangeOutcome::Refused};
            }
        }
        const ChangeJournal::Result result = journal.apply(change);
        if (!result.applied) {
            m_prompt.error(result.pending ? unable + u'\n' + result.error : unable);
            return {ChangeOutcome::Failed};
        }
    }
    const QString newKey = newPath + u'\\';
    m_database.renameDisk(oldPath + u'\\', newKey);
    return {ChangeOutcome::Done, newKey};
}

ChangeResult DiskChanges::move(const QString& diskKey, const TargetChooser& chooseTarget)
{
    if (diskKey.isEmpty())
        return {ChangeOutcome::Cancelled};
    const QString catalogue = keys::catalogueName(diskKey);
    const int index = m_database.findDisk(diskKey);
    if (index == 0)
        return {ChangeOutcome::Cancelled};
    const QString target = chooseTarget(catalogue);
    if (target.isEmpty() || target == u":")
        return {ChangeOutcome::Cancelled};

    const QString oldPath = m_database.disks().at(index).path;
    const QString newPath = target + keys::lastName(oldPath);
    {
        ChangeJournal journal(m_database.folder());
        if (!mayChange(journal, oldPath))
            return {ChangeOutcome::Failed};
        if (exists(m_database.folder().recordFile(newPath, kInfoSuffix))) {
            m_prompt.error(
                QStringLiteral("There is already a disk with this name in the target catalogue"));
            return {ChangeOutcome::Refused};
        }
        if (m_hooks.closeSearch)
            m_hooks.closeSearch();
        PendingChange change;
        change.kind = PendingChange::Kind::MoveDisk;
        change.from = oldPath;
        change.to = newPath;
        change.suffixes = presentSuffixes(m_database.folder(), oldPath, recordFilesInMoveOrder());
        const ChangeJournal::Result result = journal.apply(change);
        if (!result.applied) {
            const QString into =
                target == u".\\" ? QString::fromUtf16(kNoCatalogueText) : target.chopped(1);
            m_prompt.error(QStringLiteral("Unable to move the disk %1 to %2: %3")
                               .arg(oldPath, into, result.error));
            return {ChangeOutcome::Failed};
        }
    }
    const QString newKey = newPath + u'\\';
    m_database.removeDisk(oldPath + u'\\');
    m_database.addDisk(newKey);
    if (DatabaseView* view = m_database.view())
        view->setStatusText(m_database.diskCountText());
    return {ChangeOutcome::Done, newKey};
}

} // namespace dovrin
