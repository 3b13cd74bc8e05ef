#pragma once

#include <QByteArray>
#include <QString>

namespace dovrin::files {

// Copies one file to `target`, replacing a file of that name. The copy is written under a
// temporary name in the target's folder and renamed over the target only when complete, so
// an interrupted copy never leaves a half file under the real name. The copy keeps the
// source's modification time and permission bits (less the umask). False, with nothing left
// behind and the reason in `error`, when it fails.
bool copyFile(const QByteArray& source, const QByteArray& target, QString* error = nullptr);

// Starts copying a folder with everything in it (sub-folders, empty ones too, hidden files,
// links as links) to `target`, which becomes the copy's own folder. The copy runs on its
// own; false only when it could not be started.
bool startFolderCopy(const QByteArray& sourceFolder, const QByteArray& target);
// The same copy, waited for: true when it completed.
bool copyFolder(const QByteArray& sourceFolder, const QByteArray& target);

} // namespace dovrin::files
