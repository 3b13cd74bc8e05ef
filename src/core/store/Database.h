#pragma once

#include "DatabaseFolder.h"
#include "DiskTable.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace dovrin {

class Prompt;
class DatabaseView;
struct FolderEntry;

// A folder of the database folder that the loader takes for a catalogue: one whose name is
// readable text and a valid catalogue name.
bool isCatalogueFolder(const FolderEntry& entry);

// The loaded database: its folder, the table of good disks, and the loaders that fill the
// table and the tree. Questions about bad records go through the prompt.
class Database
{
public:
    explicit Database(Prompt& prompt, DatabaseView* view = nullptr);

    const DatabaseFolder& folder() const { return m_folder; }
    const DiskTable& disks() const { return m_disks; }
    DiskTable& disks() { return m_disks; }
    Prompt& prompt() const { return m_prompt; }
    DatabaseView* view() const { return m_view; }
    void setView(DatabaseView* view) { m_view = view; }

    // Empties the tree, the file list and the table, then loads every good record below
    // the folder: the pseudo-catalogue's disks first, then each catalogue folder's.
    void load(const DatabaseFolder& folder);
    // Checks and loads the records of one folder: ".\" or "Holidays\".
    void loadFolderDisks(const QString& folderPath);
    // Adds a disk (key: record path and "\") to the table and the tree. False, with nothing
    // added and a message shown, when its info file cannot be read as five good lines of
    // this format version or the table is full.
    bool addDisk(const QString& diskKey);
    // Removes a loaded disk from the table and the tree, and empties the file list.
    void removeDisk(const QString& diskKey);
    // A renamed disk keeps its table entry, with the new record path; its node is made again
    // under the new key, not yet read, with its placeholder.
    void renameDisk(const QString& oldKey, const QString& newKey);
    int findDisk(QStringView key) const;
    // The node of a catalogue made or renamed by a command: top level, and unlike the loader's
    // its disks stay in the order they are added.
    void addCatalogueNode(const QString& catalogueKey);

    // " 1 disk catalogued", " 37 disks catalogued".
    QString diskCountText() const;

private:
    // The catalogue folders in listing order, at most 1000 (one message when there are more).
    QStringList catalogueFolders();
    // False, after a message, when a listed name cannot be opened by its decoded text.
    bool reachable(const FolderEntry& entry);
    // True when every required record file is a readable file; listedFiles holds the names of
    // the folder's regular files, so that only the reads are asked of the system.
    bool isComplete(const QString& recordPath, const QSet<QByteArray>& listedFiles) const;
    void askDeleteCorrupt(const QString& recordPath);
    // Says once per load that the table is full and which disk was the first left out.
    void reportFull(const QString& firstLeftOut);

    Prompt& m_prompt;
    DatabaseView* m_view;
    DatabaseFolder m_folder;
    DiskTable m_disks;
    bool m_fullReported = false;
};

} // namespace dovrin
