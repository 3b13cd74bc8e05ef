#pragma once

#include "Scanner.h"

#include <QString>
#include <functional>
#include <optional>

namespace dovrin {

class Database;
class Progress;
class Prompt;

// What the user gave to catalogue a disk.
struct CatalogueInput
{
    QString sourcePath;        // as typed; gets its final "/" here when it lacks one
    bool existingDisk = false; // overwrite/update a disk chosen from the list
    QString diskName;          // a new disk's name
    QString catalogue;         // "<no catalogue>" or a catalogue name (new disks only)
    QString existingItem;      // the chosen list item: "\Photos" or "Holidays\Photos"
    bool foldersOnly = false;
    int attributeMask = 6;
    bool fingerprint = false; // read every file for its fingerprint
};

// Checked input: the disk to write and where from.
struct CataloguePlan
{
    QString recordPath;     // .\Photos or Holidays\Photos
    QString diskKey;        // the record path and "\"
    QString sourcePath;     // absolute native folder ending with "/"
    bool overwrite = false; // an existing record is replaced (backed up first)
    bool update = false;    // an existing disk chosen from the list
    bool foldersOnly = false;
    int attributeMask = 6;
    bool fingerprint = false;
};

// The add or update dialog's work without its window: checking the input, keeping backups of
// a record being replaced, running the scan, and bringing the database up to date. The dialog
// and the command-line tool both run it.
class DiskCataloguer
{
public:
    DiskCataloguer(Database& database, Prompt& prompt);

    // Drops the comments of an updated disk whose file or folder has gone; given the disk's
    // key. Set to the database's comment store; the dialog may wrap it to show its status.
    std::function<void(const QString& diskKey)> purgeStaleComments;

    // The checks in their order, each refusal told through the prompt ("Error"); a "No" to
    // the overwrite question also gives nothing. `input.sourcePath` gets its final "/".
    std::optional<CataloguePlan> check(CatalogueInput& input) const;

    // Backs up a record being replaced, scans, then on success drops the backups, replaces the
    // disk's entry (RemoveDisk, AddDisk); on cancel or failure restores the backups.
    ScanOutcome run(const CataloguePlan& plan, Progress& progress);

private:
    Database& m_database;
    Prompt& m_prompt;
};

// Any "\Photos"-style list item back to its record path ".\Photos".
QString recordPathOfListItem(const QString& item);
// The list item of a record path: ".\Photos" -> "\Photos"; others unchanged.
QString listItemOfRecordPath(const QString& recordPath);

} // namespace dovrin
