#pragma once

#include "DirectoryReader.h"
#include "FolderListings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <memory>
#include <sys/types.h>

namespace dovrin {
class ExtensionList;
}

namespace dovrin::scan {

struct ScanContext;
class OutputFile;

// Which files of a folder are catalogued: normal files always, hidden (dot) names and
// system entries (neither a regular file nor a folder nor a link) as the attribute mask
// says, minus the names the extension filter rejects, which are never examined. A symbolic
// link is catalogued as a file of its own, never followed.
struct FileChoice
{
    const ExtensionList& extensions;
    bool hidden = false;
    bool system = false;
};

// The folder walk (WalkFolders): writes the full path of every folder below the source into
// the work file, each folder's sub-folders as one block sorted by their upper-cased paths,
// and descends in the order the file system listed them. Counts folders in the context.
// Runs on an explicit stack, so a deep tree cannot exhaust the call stack; each folder on
// the stack keeps its descriptor so that its sub-folders are opened relative to it.
// When files are catalogued, the walk reads each folder's files in the same pass and hands
// them to the listings, numbering each folder by its place in the work file.
class FolderWalker
{
public:
    // Folders only: a folder that cannot be opened is reported at once.
    FolderWalker(ScanContext& context, OutputFile& work);
    // With files: they go to `listings`, which also report the folders not opened.
    FolderWalker(ScanContext& context, OutputFile& work, const FileChoice& choice,
                 FolderListings& listings);

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
    void writeSorted(Frame& frame);
    bool wantsFile(QByteArrayView name, unsigned char type) const;

    ScanContext& m_context;
    OutputFile& m_work;
    const FileChoice* m_choice = nullptr;
    FolderListings* m_listings = nullptr;
    FolderListings::Files m_files;
    uint32_t m_nextId = 1; // the root is folder 0
    QElapsedTimer m_sinceResponsive;
    // On file systems whose folders count their sub-folders in their link count, a folder
    // with two links has none and is never opened by the walk.
    bool m_trustLinkCount = false;
    dev_t m_device = 0;
    DirectoryReader m_reader;
};

} // namespace dovrin::scan
