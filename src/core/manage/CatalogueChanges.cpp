#include "CatalogueChanges.h"

#include "ChangeJournal.h"
#include "NewName.h"
#include "common/Prompt.h"
#include "store/Database.h"
#include "store/DatabaseView.h"
#include "store/DirectoryEntries.h"
#include "store/Keys.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin {

namespace {

const QString kNameRule =
    QStringLiteral("Catalogue names cannot contain the following characters: \\ / : * ? \" < > |");
const QString kNoneSelected = QStringLiteral("No catalogue selected");

// An entry that a listing of normal files and folders shows: not hidden (a name beginning
// with "."), and a file or a folder rather than a pipe, socket or device.
bool isListed(const FolderEntry& entry)
{
    return !entry.rawName.startsWith('.') && (entry.isFile || entry.isFolder);
}

} // namespace

CatalogueChanges::CatalogueChanges(Database& database, Prompt& prompt, ChangeHooks hooks)
    : m_database(database), m_prompt(prompt), m_hooks(std::move(hooks))
{
}

ChangeResult CatalogueChanges::create()
{
    QString name;
    if (!m_prompt.input(QStringLiteral("Enter a name"),
                        QStringLiteral("Please enter a name for the new catalogue:"), name))
        name.clear();
    name = name.trimmed();
    if (name.isEmpty())
        return {ChangeOutcome::Cancelled};
    if (!nameIsValid(name)) {
        m_prompt.error(kNameRule);
        return {ChangeOutcome::Refused};
    }

    {
        ChangeJournal journal(m_database.folder());
        if (!journal.begin()) {
            m_prompt.error(journal.error());
            return {ChangeOutcome::Failed};
        }
        const QString folder = m_database.folder().root() + name;
        if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0) {
            const bool taken = errno == EEXIST;
            m_prompt.error(QStringLiteral("Unable to create the catalogue"));
            return {taken ? ChangeOutcome::Refused : ChangeOutcome::Failed};
        }
        if (!isUsableFolder(folder)) {
            m_prompt.error(QStringLiteral("Unable to create the catalogue"));
            return {ChangeOutcome::Failed};
        }
    }
    const QString key = name + u'\\';
    m_database.addCatalogueNode(key);
    return {ChangeOutcome::Done, key};
}

ChangeResult CatalogueChanges::remove(const QString& catalogueKey)
{
    if (catalogueKey.isEmpty()) {
        m_prompt.error(kNoneSelected);
        return {ChangeOutcome::Refused};
    }
    const QString folder = m_database.folder().root() + catalogueKey.chopped(1);
    {
        ChangeJournal journal(m_database.folder());
        if (!journal.begin()) {
            m_prompt.error(journal.error());
            return {ChangeOutcome::Failed};
        }
        for (const FolderEntry& entry : listFolder(folder)) {
            if (isListed(entry)) {
                m_prompt.error(
                    QStringLiteral("Cannot delete this catalogue. This is because either there "
                                   "are still disks in the catalogue,\ror there are still files "
                                   "in the directory where the catalogue is stored."));
                return {ChangeOutcome::Refused};
            }
        }
        if (::rmdir(QFile::encodeName(folder).constData()) != 0) {
            m_prompt.error(
                QStringLiteral("Windows reported failure deleting the catalogue directory"));
            return {ChangeOutcome::Failed};
        }
    }
    if (m_hooks.closeSearch)
        m_hooks.closeSearch();
    if (DatabaseView* view = m_database.view()) {
        view->removeNode(catalogueKey);
        view->clearFileList();
    }
    return {ChangeOutcome::Done};
}

ChangeResult CatalogueChanges::rename(const QString& catalogueKey)
{
    if (catalogueKey.isEmpty() || keys::catalogue(catalogueKey) != catalogueKey) {
        m_prompt.error(kNoneSelected);
        return {ChangeOutcome::Refused};
    }
    const QString oldName = keys::catalogueName(catalogueKey);
    const QString newName = askNewName(m_prompt, QStringLiteral("catalogue"), oldName);
    if (newName.isEmpty())
        return {ChangeOutcome::Cancelled};
    if (!nameIsValid(newName)) {
        m_prompt.error(kNameRule);
        return {ChangeOutcome::Refused};
    }
    if (m_hooks.closeSearch)
        m_hooks.closeSearch();

    const QString unable = QStringLiteral("Unable to rename the catalogue");
    {
        ChangeJournal journal(m_database.folder());
        if (!journal.begin()) {
            m_prompt.error(journal.error());
            return {ChangeOutcome::Failed};
        }
        struct stat info;
        const QByteArray target = QFile::encodeName(m_database.folder().root() + newName);
        if (::lstat(target.constData(), &info) == 0 || newName == u"." || newName == u"..") {
            m_prompt.error(unable);
            return {ChangeOutcome::Refused};
        }
        PendingChange change;
        change.kind = PendingChange::Kind::RenameCatalogue;
        change.from = oldName;
        change.to = newName;
        const ChangeJournal::Result result = journal.apply(change);
        if (!result.applied) {
            m_prompt.error(result.pending ? unable + u'\n' + result.error : unable);
            return {ChangeOutcome::Failed};
        }
    }

    // Every disk of the catalogue leaves the table and the tree, then comes back from the
    // renamed folder at the end of the table.
    QStringList diskKeys;
    for (const DiskEntry& disk : m_database.disks()) {
        if (disk.path.startsWith(catalogueKey))
            diskKeys.append(disk.path + u'\\');
    }
    for (const QString& key : std::as_const(diskKeys))
        m_database.removeDisk(key);
    if (DatabaseView* view = m_database.view())
        view->removeNode(catalogueKey);
    if (m_hooks.prepareListing)
        m_hooks.prepareListing();
    const QString newKey = newName + u'\\';
    m_database.addCatalogueNode(newKey);
    m_database.loadFolderDisks(newKey);
    if (DatabaseView* view = m_database.view())
        view->setStatusText(m_database.diskCountText());
    return {ChangeOutcome::Done, newKey};
}

QStringList catalogueNames(const DatabaseFolder& database)
{
    QStringList names;
    for (const FolderEntry& entry : listFolder(database.root())) {
        if (isCatalogueFolder(entry))
            names.append(entry.name);
    }
    return names;
}

QStringList catalogueChoices(const DatabaseFolder& database, const QString& leaveOut)
{
    // readdir gives "." before the other entries, so "<no catalogue>" comes first.
    QStringList choices;
    if (leaveOut != u".")
        choices.append(QString::fromUtf16(kNoCatalogueText));
    for (const QString& name : catalogueNames(database)) {
        if (name != leaveOut)
            choices.append(name);
    }
    return choices;
}

QString targetOfChoice(const QString& choice)
{
    return choice == QStringView(kNoCatalogueText) ? QStringLiteral(".\\") : choice + u'\\';
}

} // namespace dovrin
