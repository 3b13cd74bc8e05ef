#pragma once

#include "DatabaseFolder.h"
#include "RecordDateTime.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace dovrin {

class FieldReader;

inline constexpr QByteArrayView kFormatVersion = "25";

// The info file: five plain lines.
struct DiskInfo
{
    QString source;    // line 2, ending with a separator
    QString freeSpace; // line 3, "1234.56MB"
    QString date;      // line 4, never parsed
    qint16 foldersOnly = 0;
};

enum class InfoReadStatus
{
    Ok,
    Unreadable,   // missing or cannot be opened
    WrongVersion, // line 1 is not exactly "25"
    Malformed,    // fewer than five lines, or line 5 not a 16-bit number
};

// Reads an info file. `version` receives line 1 when given. `info` is changed only on Ok.
// An empty file has an empty line 1 and so is of a wrong version.
InfoReadStatus readInfoFile(const QString& nativePath, DiskInfo& info, QString* version = nullptr);
// The same for the file's content (never Unreadable).
InfoReadStatus parseInfoFile(QByteArrayView data, DiskInfo& info, QString* version = nullptr);
// The exact bytes of an info file.
QByteArray infoFileBytes(const DiskInfo& info);

// Appends the folder keys of a tree file (":\Games", ":\Games\Saves") in file order; blank
// lines are skipped. A file that cannot be opened adds none.
void readTreeFile(const QString& nativePath, QStringList& folderKeys);
void parseTreeFile(QByteArrayView data, QStringList& folderKeys);

// Lines of a file-list file: a folder line and a file line, each ending with CR LF.
namespace fileList {
void appendFolder(QByteArray& out, QByteArrayView folderKey);
void appendFile(QByteArray& out, QByteArrayView name, qint64 size, RecordDateTime modified);
} // namespace fileList

// One item of a file-list file.
struct FileListItem
{
    enum Kind
    {
        Folder,
        File
    } kind = Folder;
    QByteArrayView name;     // folder key (":", ":\Games") or file name, raw bytes
    qint64 size = 0;         // files only
    RecordDateTime modified; // files only
};

// Reads the next item of a file-list file: false at the end, at an empty item, or at a
// malformed file line (then `error` names the line, counted from `lineOffset` + 1).
bool readFileListItem(FieldReader& fields, FileListItem& item, QString& error, int lineOffset = 0);

// Reads a file-list file item by item, without a QString or an allocation per item.
// Loads the whole file at once (memory-mapped when possible).
class FileListReader
{
public:
    FileListReader() = default;
    ~FileListReader();
    FileListReader(const FileListReader&) = delete;
    FileListReader& operator=(const FileListReader&) = delete;

    bool open(const QString& nativePath);
    // The next item; false at the end, at an empty item, or at a malformed file line
    // (then `error()` says which line).
    bool next(FileListItem& item);
    const QString& error() const { return m_error; }
    QByteArrayView data() const { return m_data; }

private:
    class Impl;
    Impl* m_impl = nullptr;
    QByteArrayView m_data;
    QString m_error;
};

} // namespace dovrin
