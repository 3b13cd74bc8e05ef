#include "ChangeJournal.h"

#include "comments/CommentStore.h"
#include "common/Interrupted.h"
#include "common/Prompt.h"
#include "store/Keys.h"
#include "store/RecordFiles.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin {

namespace {

constexpr char kChangeName[] = "PendingChange.dat";
constexpr char kScratchName[] = "PendingChange.new";
constexpr char kSetAsideName[] = "PendingChange.bad";
constexpr char kLockName[] = "PendingChange.lock";
constexpr char kDeletedSuffix[] = ".deleted";
// A command waits this long for another process's change; a load waits less, then leaves a
// change that a live process is still running alone.
constexpr int kCommandWaitMs = 10000;
constexpr int kLoadWaitMs = 2000;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A path that cannot be examined counts as taken, so that nothing is skipped or overwritten
// on a guess.
bool exists(const QString& path)
{
    struct stat info;
    return ::lstat(native(path).constData(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

bool isFolder(const QString& path)
{
    struct stat info;
    return ::lstat(native(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Renames, failing with EEXIST rather than replacing what is at the target: a rename never
// destroys another record or catalogue.
bool renameNoReplace(const QString& from, const QString& to, QString& error)
{
    const QByteArray source = native(from);
    const QByteArray target = native(to);
    int result =
        ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the flag: the lock keeps Dovrin's own changes apart.
        if (exists(to)) {
            errno = EEXIST;
        } else {
            result = ::rename(source.constData(), target.constData());
        }
    }
    if (result == 0)
        return true;
    error = QStringLiteral("%1 cannot be renamed to %2: %3").arg(from, to, reason(errno));
    return false;
}

// A file that is already gone counts as deleted.
bool removeFile(const QString& path, QString& error)
{
    if (::unlink(native(path).constData()) == 0 || errno == ENOENT)
        return true;
    error = QStringLiteral("%1 cannot be deleted: %2").arg(path, reason(errno));
    return false;
}

// Makes renames and deletions in the folder survive a power cut.
void syncFolder(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd != -1) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool writeAll(int fd, const QByteArray& content)
{
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = retryInterrupted(
            [&] { return ::write(fd, content.constData() + done, size_t(content.size() - done)); });
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool readChange(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.read(64 * 1024); // a change is a few hundred bytes
    return true;
}

QString describe(const PendingChange& change)
{
    switch (change.kind) {
    case PendingChange::Kind::MoveDisk:
        return QStringLiteral("the move of the disk %1 to %2").arg(change.from, change.to);
    case PendingChange::Kind::DeleteDisk:
        return QStringLiteral("the deletion of the disk %1").arg(change.from);
    case PendingChange::Kind::RenameCatalogue:
        return QStringLiteral("the renaming of the catalogue %1 to %2").arg(change.from, change.to);
    }
    return {};
}

} // namespace

ChangeJournal::ChangeJournal(const DatabaseFolder& database) : m_database(database) {}

ChangeJournal::~ChangeJournal() = default;

QString ChangeJournal::changePath(const DatabaseFolder& database)
{
    return database.root() + QLatin1String(kChangeName);
}

QString ChangeJournal::lockPath(const DatabaseFolder& database)
{
    return database.root() + QLatin1String(kLockName);
}

QString ChangeJournal::deletedInfoPath(const DatabaseFolder& database, const QString& recordPath)
{
    return database.recordFile(recordPath, kInfoSuffix) + QLatin1String(kDeletedSuffix);
}

QString ChangeJournal::recordFile(const QString& recordPath, const QString& suffix) const
{
    return m_database.nativePath(recordPath + suffix);
}

QString ChangeJournal::catalogueFolder(const QString& name) const
{
    return m_database.root() + name;
}

void ChangeJournal::syncFoldersOf(const PendingChange& change)
{
    if (!change.isDiskChange()) {
        syncFolder(m_database.root());
        return;
    }
    syncFolder(m_database.nativePath(keys::catalogue(change.fromKey())));
    if (!change.to.isEmpty())
        syncFolder(m_database.nativePath(keys::catalogue(change.toKey())));
}

bool ChangeJournal::begin()
{
    m_lock = std::make_unique<FileLock>(lockPath(m_database), kCommandWaitMs);
    if (!m_lock->isLocked()) {
        m_error = m_lock->error();
        return false;
    }
    return settle();
}

bool ChangeJournal::writeChange(const PendingChange& change)
{
    const QString scratch = m_database.root() + QLatin1String(kScratchName);
    const QByteArray scratchName = native(scratch);
    auto fail = [&](int error) {
        m_error = QStringLiteral("%1 cannot be written: %2").arg(scratch, reason(error));
        ::unlink(scratchName.constData());
        return false;
    };
    const int fd = ::open(scratchName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd == -1)
        return fail(errno);
    if (!writeAll(fd, formatPendingChange(change)) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(error);
    }
    if (::close(fd) != 0 ||
        ::rename(scratchName.constData(), native(changePath(m_database)).constData()) != 0)
        return fail(errno);
    syncFolder(m_database.root());
    return true;
}

bool ChangeJournal::removeChange()
{
    QString error;
    if (!removeFile(changePath(m_database), error)) {
        m_error = error;
        return false;
    }
    syncFolder(m_database.root());
    return true;
}

bool ChangeJournal::settle()
{
    ::unlink(native(m_database.root() + QLatin1String(kScratchName)).constData());
    const QString path = changePath(m_database);
    if (!exists(path))
        return true;
    QByteArray bytes;
    if (!readChange(path, bytes)) {
        m_error = path + QStringLiteral(" cannot be read.");
        return false;
    }
    const std::optional<PendingChange> change = parsePendingChange(bytes);
    if (!change) {
        // Not written by Dovrin as a whole: nothing in it can be trusted, nor must it stop
        // every later change.
        const QString aside = m_database.root() + QLatin1String(kSetAsideName);
        ::rename(native(path).constData(), native(aside).constData());
        m_notice = QStringLiteral("%1 did not describe a change and was set aside as %2.")
                       .arg(path, aside);
        return true;
    }
    if (finishOrUndo(*change))
        return true;
    m_error = QStringLiteral("Dovrin could not complete or undo %1: %2 It will try again at "
                             "the next start.")
                  .arg(describe(*change), m_error);
    return false;
}

bool ChangeJournal::finishOrUndo(const PendingChange& change)
{
    // Once the files have their new names the comments may have followed already, so the
    // change can only go forward; until then they cannot have, and it goes back.
    bool forward = true;
    switch (change.kind) {
    case PendingChange::Kind::MoveDisk:
        for (const QString& suffix : change.suffixes)
            forward = forward && exists(recordFile(change.to, suffix)) &&
                      !exists(recordFile(change.from, suffix));
        if (!forward)
            return undoMove(change) && removeChange();
        break;
    case PendingChange::Kind::DeleteDisk:
        return finishDelete(change) && removeChange();
    case PendingChange::Kind::RenameCatalogue:
        forward = isFolder(catalogueFolder(change.to)) && !exists(catalogueFolder(change.from));
        if (!forward)
            return removeChange();
        break;
    }
    CommentStore comments(m_database);
    if (!comments.renameKeys(change.fromKey(), change.toKey())) {
        m_error = comments.lastError();
        return false;
    }
    return removeChange();
}

bool ChangeJournal::undoMove(const PendingChange& change)
{
    bool ok = true;
    QString error;
    for (auto it = change.suffixes.crbegin(); it != change.suffixes.crend(); ++it) {
        const QString moved = recordFile(change.to, *it);
        const QString original = recordFile(change.from, *it);
        if (exists(moved) && !exists(original) && !renameNoReplace(moved, original, error)) {
            m_error = error;
            ok = false;
        }
    }
    syncFoldersOf(change);
    return ok;
}

bool ChangeJournal::finishDelete(const PendingChange& change)
{
    QString error;
    bool ok = removeFile(deletedInfoPath(m_database, change.from), error);
    for (const QString& suffix : change.suffixes)
        ok = removeFile(recordFile(change.from, suffix), error) && ok;
    syncFoldersOf(change);
    if (!ok) {
        m_error = error;
        return false;
    }
    CommentStore comments(m_database);
    if (!comments.deleteDisk(change.fromKey())) {
        m_error = comments.lastError();
        return false;
    }
    return true;
}

ChangeJournal::Result ChangeJournal::apply(const PendingChange& change)
{
    m_error.clear();
    if (!m_lock || !m_lock->isLocked())
        return {false, QStringLiteral("The change lock is not held.")};
    if (!writeChange(change))
        return {false, m_error};
    switch (change.kind) {
    case PendingChange::Kind::MoveDisk:
        return applyMove(change);
    case PendingChange::Kind::DeleteDisk:
        return applyDelete(change);
    case PendingChange::Kind::RenameCatalogue:
        return applyCatalogueRename(change);
    }
    return {};
}

ChangeJournal::Result ChangeJournal::applyMove(const PendingChange& change)
{
    QString failure;
    for (const QString& suffix : change.suffixes) {
        if (!renameNoReplace(recordFile(change.from, suffix), recordFile(change.to, suffix),
                             failure))
            break;
    }
    if (failure.isEmpty()) {
        // The renames must be on the disk before the comments follow them.
        syncFoldersOf(change);
        CommentStore comments(m_database);
        if (comments.renameKeys(change.fromKey(), change.toKey())) {
            removeChange();
            return {true, {}};
        }
        failure = comments.lastError();
    }
    if (undoMove(change) && removeChange())
        return {false, failure};
    return {false,
            failure + QStringLiteral(" The files could not all be put back (%1); Dovrin will do "
                                     "it at the next start.")
                          .arg(m_error),
            true};
}

ChangeJournal::Result ChangeJournal::applyDelete(const PendingChange& change)
{
    const QString info = recordFile(change.from, QLatin1String(kInfoSuffix));
    const QString deleted = deletedInfoPath(m_database, change.from);
    QString failure;
    ::unlink(native(deleted).constData()); // only ever left by this command
    if (exists(info) && !renameNoReplace(info, deleted, failure)) {
        removeChange();
        return {false, failure};
    }
    bool removedAny = false;
    for (const QString& suffix : change.suffixes) {
        if (suffix == QLatin1String(kInfoSuffix))
            continue;
        if (!removeFile(recordFile(change.from, suffix), failure))
            break;
        removedAny = true;
    }
    if (failure.isEmpty())
        removeFile(deleted, failure);
    // Once a file of the record is gone the disk cannot come back whole: the next start
    // finishes the delete. Before that, the record gets its info file back.
    QString error;
    if (!failure.isEmpty() && (removedAny || !renameNoReplace(deleted, info, error)))
        return {true,
                failure + (error.isEmpty() ? QString() : u' ' + error) +
                    QStringLiteral(" Dovrin will finish deleting the disk at the next start."),
                true};
    if (!failure.isEmpty()) {
        syncFoldersOf(change);
        removeChange();
        return {false, failure};
    }
    syncFoldersOf(change);
    CommentStore comments(m_database);
    if (!comments.deleteDisk(change.fromKey()))
        return {true,
                comments.lastError() +
                    QStringLiteral(" Dovrin will remove the disk's comments at the next start."),
                true};
    removeChange();
    return {true, {}};
}

ChangeJournal::Result ChangeJournal::applyCatalogueRename(const PendingChange& change)
{
    QString failure;
    if (!renameNoReplace(catalogueFolder(change.from), catalogueFolder(change.to), failure)) {
        removeChange();
        return {false, failure};
    }
    syncFolder(m_database.root());
    CommentStore comments(m_database);
    if (comments.renameKeys(change.fromKey(), change.toKey())) {
        removeChange();
        return {true, {}};
    }
    failure = comments.lastError();
    QString error;
    if (!renameNoReplace(catalogueFolder(change.to), catalogueFolder(change.from), error))
        return {false,
                failure + u' ' + error +
                    QStringLiteral(" Dovrin will put it back at the next start."),
                true};
    syncFolder(m_database.root());
    removeChange();
    return {false, failure};
}

void settlePendingChange(const DatabaseFolder& database, Prompt& prompt)
{
    if (database.isEmpty() || !exists(ChangeJournal::changePath(database)))
        return;
    ChangeJournal journal(database);
    journal.m_lock = std::make_unique<FileLock>(ChangeJournal::lockPath(database), kLoadWaitMs);
    if (!journal.m_lock->isLocked())
        return; // a live process is running the change
    journal.settle();
    const QString said = journal.error().isEmpty() ? journal.m_notice : journal.error();
    if (!said.isEmpty())
        prompt.message(QStringLiteral("Interrupted change"), said, PromptIcon::Exclamation);
}

bool isNamedByPendingChange(const DatabaseFolder& database, const QString& recordPath)
{
    QByteArray bytes;
    if (!readChange(ChangeJournal::changePath(database), bytes))
        return false;
    const std::optional<PendingChange> change = parsePendingChange(bytes);
    return change && change->isDiskChange() &&
           (change->from == recordPath || change->to == recordPath);
}

} // namespace dovrin
