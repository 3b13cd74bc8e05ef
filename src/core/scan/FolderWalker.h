#pragma once

#include "DirectoryReader.h"

#include <QByteArray>
#include <sys/types.h>

namespace dovrin::scan {

struct ScanContext;
class OutputFile;

// The folder walk (WalkFolders): writes the full path of every folder below the source into
// the work file, each folder's sub-folders as one block sorted by their upper-cased paths,
// and descends in the order the file system listed them. Counts folders in the context.
// Runs on an explicit stack, so a deep tree cannot exhaust the call stack; each folder on
// the stack keeps its descriptor so that its sub-folders are opened relative to it.
class FolderWalker
{
public:
    // `reportUnreadable`: say so when a folder cannot be opened (when no file listing follows
    // that would say it).
    FolderWalker(ScanContext& context, OutputFile& work, bool reportUnreadable);

    // Walks below `source` (absolute, ending with "/"). False when the scan must end: a
    // failure (in the context) or a stop request.
    bool walk(const QByteArray& source);

private:
    enum class Listed
    {
        Ok,
        Skipped,
        End
    };
    struct Frame;
    struct Child;
    Listed list(Frame& frame, int parentFd, const QByteArray& name);
    bool isLeaf(int parentFd, const char* name) const;
    void writeSorted(const Frame& frame);

    ScanContext& m_context;
    OutputFile& m_work;
    bool m_reportUnreadable;
    // On file systems whose folders count their sub-folders in their link count, a folder
    // with two links has none and is never opened by the walk.
    bool m_trustLinkCount = false;
    dev_t m_device = 0;
    DirectoryReader m_reader;
};

} // namespace dovrin::scan
