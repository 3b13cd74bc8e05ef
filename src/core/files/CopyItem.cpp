#include "CopyItem.h"

#include "FileCopy.h"
#include "FileMessages.h"
#include "RealPath.h"
#include "store/DiskTable.h"
#include "store/Keys.h"

namespace dovrin::files {

CopyResult copyTo(Prompt& prompt, const RealPath& from, bool isFolder, const QString& targetFolder,
                  const QString& name)
{
    const QString target = targetFolder + name;
    if (isFolder) {
        QByteArray source = from.native;
        if (source.endsWith('/'))
            source.chop(1);
        startFolderCopy(source, target.toUtf8());
        return CopyResult::FolderStarted;
    }
    if (!nativeFileExists(from.native)) {
        notFound(prompt, Purpose::Copy);
        return CopyResult::NotFound;
    }
    if (from.text.toUpper() == target.toUpper()) {
        sameFile(prompt);
        return CopyResult::SameFile;
    }
    if (!copyFile(from.native, target.toUtf8())) {
        copyFailed(prompt);
        return CopyResult::Failed;
    }
    return CopyResult::Copied;
}

bool copyItem(Prompt& prompt, const DiskTable& disks, const CopyRequest& request,
              const QString& desktopPath, const std::function<QString()>& chooseFolder)
{
    const int index = keys::findDisk(disks, request.key);
    const QString source = index > 0 ? disks.at(index).source : QString();
    const RealPath from = realPath(source, request.key);
    if (!confirmCopy(prompt, request.name, request.toDesktop, keys::diskName(request.key), source,
                     from.text))
        return false;
    const QString target = request.toDesktop ? desktopPath : chooseFolder();
    if (target.isEmpty())
        return false;
    if (copyTo(prompt, from, request.isFolder, target, request.name) == CopyResult::NotFound)
        return askUpdateDisk(prompt);
    return false;
}

} // namespace dovrin::files
