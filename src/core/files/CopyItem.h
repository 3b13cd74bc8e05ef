#pragma once

#include <QString>
#include <functional>

namespace dovrin {
class DiskTable;
class Prompt;
} // namespace dovrin

namespace dovrin::files {

struct RealPath;

enum class CopyResult
{
    Copied,        // a file, copied
    FolderStarted, // a folder, whose copy runs on its own
    NotFound,      // after the "File not found" message
    SameFile,      // refused, after its message
    Failed,        // after the "Could not copy file" message
};

// Copies a file or folder of the real disk into `targetFolder` (ending with "/") under `name`.
// A file is copied when it can be opened for reading; a folder copy is started without a
// look at the source, and the copy merges into a folder of that name, without asking.
CopyResult copyTo(Prompt& prompt, const RealPath& from, bool isFolder, const QString& targetFolder,
                  const QString& name);

// "Copy to..." and "Copy to desktop" of a list row (its key, its text, a folder row or not):
// asks for the disk, takes the desktop folder or asks the chooser (empty when cancelled), and
// copies. True only when the item was not found and the user then asked to update the disk.
struct CopyRequest
{
    QString key;
    QString name;
    bool isFolder = false;
    bool toDesktop = false;
};
bool copyItem(Prompt& prompt, const DiskTable& disks, const CopyRequest& request,
              const QString& desktopPath, const std::function<QString()>& chooseFolder);

} // namespace dovrin::files
