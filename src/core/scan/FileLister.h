#pragma once

#include "DirectoryReader.h"
#include "LocalTime.h"

#include <QByteArray>

namespace dovrin {
class ExtensionList;
}

namespace dovrin::scan {

struct ScanContext;
class OutputFile;

// Lists one folder's files as file lines of the file-list file, in the order the file
// system returns them: normal files always, hidden (dot) names and system entries (neither
// a regular file nor a folder nor a link) as the attribute mask says, minus the names the
// extension filter rejects, which are never examined. A symbolic link is recorded as a file
// of its own (its own size and time), never followed.
class FileLister
{
public:
    FileLister(ScanContext& context, OutputFile& out, const ExtensionList& extensions,
               int attributeMask);

    // Lists the folder `prefix` (its path ending with "/"). Only the root may be reached
    // through a symbolic link. False when the scan must end on a failure; a stop request ends
    // the listing early and returns true.
    bool list(const QByteArray& prefix, bool isRoot);

    ~FileLister();
    FileLister(const FileLister&) = delete;
    FileLister& operator=(const FileLister&) = delete;

private:
    bool open(const QByteArray& prefix, bool isRoot);
    bool writeUnreadable(QByteArrayView name);

    ScanContext& m_context;
    OutputFile& m_out;
    const ExtensionList& m_extensions;
    bool m_hidden;
    bool m_system;
    DirectoryReader m_reader;
    LocalTime m_localTime;
    // Sibling folders follow each other in the work file: their parent stays open (O_PATH)
    // so that each is opened by its name alone.
    QByteArray m_parentPath;
    int m_parentFd = -1;
};

} // namespace dovrin::scan
