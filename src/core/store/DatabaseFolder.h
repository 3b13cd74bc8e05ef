#pragma once

#include <QString>

namespace dovrin {

// The database root: an absolute native folder. Record paths (.\Photos, Holidays\Photos) and
// every other database-relative path use "\" and are resolved against it only when a file is
// opened; the process's current folder is never used.
class DatabaseFolder
{
public:
    DatabaseFolder() = default;
    explicit DatabaseFolder(const QString& nativeFolder);

    bool isEmpty() const { return m_root.isEmpty(); }
    // Absolute, ending with "/".
    const QString& root() const { return m_root; }
    // "Holidays\Photos.i" -> "<root>/Holidays/Photos.i"; ".\Photos.i" -> "<root>/Photos.i".
    QString nativePath(const QString& databaseRelative) const;
    // The record file of a disk: recordFile("Holidays\Photos", ".t").
    QString recordFile(const QString& recordPath, const char* extension) const;

private:
    QString m_root;
};

// Turns a path that uses "\" into one that uses "/" (record paths, folder keys).
QString toNativeSeparators(QString path);
// True for an existing folder whose entries can be listed: what "can be made the current
// folder" means here.
bool isUsableFolder(const QString& nativeFolder);
// Makes a folder absolute (with "~" expanded) and ends it with "/".
QString normalizedFolder(const QString& folder);

} // namespace dovrin
