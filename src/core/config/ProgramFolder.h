#pragma once

#include <QString>

namespace dovrin {

// The program's own folder: it holds Dovrin.cfg and is the default database folder.
// It is the executable's folder when that is writable (a build folder, a portable copy);
// otherwise (a system install) the per-user folder $XDG_DATA_HOME/dovrin, created on first
// use. Both forms are absolute and end with "/". Empty only when neither can be used.
QString programFolder();
// The same choice for a given executable folder.
QString programFolderFor(const QString& executableFolder);

} // namespace dovrin
