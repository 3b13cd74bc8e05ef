#include "DiskCataloguer.h"

#include "RecordBackup.h"
#include "comments/CommentStore.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "manage/ChangeJournal.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <QFileInfo>

namespace dovrin {

namespace {

const QString kNoCatalogue = QStringLiteral("<no catalogue>");

// The source path is usable when it is a folder the scan can enter.
bool isEnterableFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isExecutable();
}

} // namespace

QString recordPathOfListItem(const QString& item)
{
    return item.startsWith(u'\\') ? u'.' + item : item;
}

QString listItemOfRecordPath(const QString& recordPath)
{
    return recordPath.startsWith(QLatin1String(".\\")) ? recordPath.mid(1) : recordPath;
}

DiskCataloguer::DiskCataloguer(Database& database, Prompt& prompt)
    : m_database(database), m_prompt(prompt)
{
    purgeStaleComments = [this](const QString& diskKey) {
        CommentStore store(m_database.folder());
        if (!store.purgeStale(diskKey))
            m_prompt.error(store.lastError());
    };
}

std::optional<CataloguePlan> DiskCataloguer::check(CatalogueInput& input) const
{
    if (input.sourcePath.isEmpty()) {
        m_prompt.error(QStringLiteral("Please select something to catalogue"));
        return std::nullopt;
    }
    if (!input.sourcePath.endsWith(u'/'))
        input.sourcePath += u'/';
    const QString catalogueFolder = input.catalogue == kNoCatalogue || input.catalogue.isEmpty()
                                        ? QStringLiteral(".\\")
                                        : input.catalogue + u'\\';
    const QString source = normalizedFolder(input.sourcePath);
    if (!isEnterableFolder(source)) {
        m_prompt.error(QStringLiteral("Path not found, please reselect a directory to catalogue"));
        return std::nullopt;
    }

    CataloguePlan plan;
    plan.sourcePath = source;
    plan.foldersOnly = input.foldersOnly;
    plan.attributeMask = input.attributeMask;
    plan.fingerprint = input.fingerprint;
    if (!input.existingDisk) {
        if (input.diskName.isEmpty()) {
            m_prompt.error(QStringLiteral("You must provide a name for the disk"));
            return std::nullopt;
        }
        if (!nameIsValid(input.diskName)) {
            m_prompt.error(QStringLiteral(
                "Disk names cannot contain the following characters: \\ / : * ? \" < > |"));
            return std::nullopt;
        }
        plan.recordPath = catalogueFolder + input.diskName;
        if (fileExists(m_database.folder().recordFile(plan.recordPath, ".i"))) {
            if (!m_prompt.yesNo(
                    QStringLiteral("Question"),
                    QStringLiteral("There is already a disk with this name. Overwrite?"),
                    PromptIcon::Question, PromptAnswer::No))
                return std::nullopt;
            plan.overwrite = true;
        }
    } else {
        if (input.existingItem.isEmpty()) {
            m_prompt.error(QStringLiteral("You must provide a name for the disk"));
            return std::nullopt;
        }
        plan.recordPath = recordPathOfListItem(input.existingItem);
        plan.overwrite = true;
        plan.update = true;
    }
    plan.diskKey = plan.recordPath + u'\\';
    return plan;
}

ScanOutcome DiskCataloguer::run(const CataloguePlan& plan, Progress& progress)
{
    // A change a killed process left must not be settled later over this new record.
    settlePendingChange(m_database.folder(), m_prompt);
    RecordBackup backup(m_database.folder(), plan.recordPath);
    if (plan.overwrite) {
        QString error;
        if (!backup.make(&error)) {
            m_prompt.error(QStringLiteral("The disk's record cannot be replaced:\n") + error);
            return ScanOutcome::Failed;
        }
    }

    ScanRequest request;
    request.database = m_database.folder();
    request.recordPath = plan.recordPath;
    request.sourcePath = plan.sourcePath;
    request.foldersOnly = plan.foldersOnly;
    request.attributeMask = plan.attributeMask;
    request.fingerprint = plan.fingerprint;
    const ScanOutcome outcome = catalogueDisk(request, progress, m_prompt);

    if (outcome != ScanOutcome::Complete) {
        backup.restore();
        return outcome;
    }
    if (plan.update && purgeStaleComments) {
        progress.setStatus(1, QStringLiteral("Synchronising file comments..."));
        purgeStaleComments(plan.diskKey);
    }
    backup.discard();
    if (plan.overwrite && m_database.findDisk(plan.diskKey) > 0)
        m_database.removeDisk(plan.diskKey);
    m_database.addDisk(plan.diskKey);
    return outcome;
}

} // namespace dovrin
