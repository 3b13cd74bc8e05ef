#pragma once

#include "PendingChange.h"
#include "common/FileLock.h"
#include "store/DatabaseFolder.h"

#include <QString>
#include <memory>

namespace dovrin {

class Prompt;

// Runs the changes of the catalogue and disk commands that touch more than one file, so that
// no failure, kill or power cut leaves a record split under two names, half deleted, or with
// comments under a key that no longer exists.
//
// Every command holds PendingChange.lock in the database folder from its checks to its last
// step, so changes from the window and from dovrin-cli run one after the other. A change is
// first written to PendingChange.dat (synced); then the record files are renamed (never over
// an existing file) or deleted and their folders synced; then the comment store follows;
// then PendingChange.dat goes. A change found in the file later was cut short, and whoever
// takes the lock next (a load, a command) settles it first:
// - a rename or move whose files all reached their new names is finished (its comment keys
//   renamed, which does nothing when they already were); otherwise the files that moved go
//   back, and the comments, not yet touched, are right as they are;
// - a delete is finished: the files that are left go, then the disk's comments;
// - a catalogue rename whose folder has its new name is finished; otherwise nothing was done.
// A delete first renames the info file to a name that is no record (.i.deleted) and deletes it
// last: a file that cannot be deleted puts the info file back, so the record stays whole, or
// the next load finds it incomplete and reports it as corrupt.
class ChangeJournal
{
public:
    explicit ChangeJournal(const DatabaseFolder& database);
    ~ChangeJournal();

    // Takes the lock, waiting a while for another process's change, then settles what a
    // process that died left. False, with error(), when either cannot be done.
    bool begin();

    struct Result
    {
        bool applied = false; // the database is in its new state
        QString error;        // what failed; with applied, what is still left to do
        bool pending = false; // kept in PendingChange.dat: the next start settles it
    };
    // After begin(): the change, run to its end or undone.
    Result apply(const PendingChange& change);

    const QString& error() const { return m_error; }

    // Names of the files in the database folder.
    static QString changePath(const DatabaseFolder& database);
    static QString lockPath(const DatabaseFolder& database);
    // The info file of a record being deleted, under its non-record name.
    static QString deletedInfoPath(const DatabaseFolder& database, const QString& recordPath);

private:
    friend void settlePendingChange(const DatabaseFolder& database, Prompt& prompt);

    // With the lock held: settles PendingChange.dat when there is one.
    bool settle();
    bool finishOrUndo(const PendingChange& change);
    Result applyMove(const PendingChange& change);
    Result applyDelete(const PendingChange& change);
    Result applyCatalogueRename(const PendingChange& change);
    bool undoMove(const PendingChange& change);
    bool finishDelete(const PendingChange& change);
    bool writeChange(const PendingChange& change);
    bool removeChange();
    QString recordFile(const QString& recordPath, const QString& suffix) const;
    QString catalogueFolder(const QString& name) const;
    void syncFoldersOf(const PendingChange& change);

    DatabaseFolder m_database;
    std::unique_ptr<FileLock> m_lock;
    QString m_error;
    QString m_notice; // said by a load, not a failure
};

// Run by every load before it reads: settles a change that a process which died left, unless
// a live process is still running it. Says through the prompt what could not be settled.
void settlePendingChange(const DatabaseFolder& database, Prompt& prompt);

// True when a change not yet settled names this record as its source or target: loaders
// leave such a record alone instead of offering to delete it as corrupt.
bool isNamedByPendingChange(const DatabaseFolder& database, const QString& recordPath);

} // namespace dovrin
