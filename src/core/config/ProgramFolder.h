#pragma once

#include <QString>

namespace dovrin {

// The program's own folder: it holds Dovrin.cfg and is the default database folder.
// It is the executable's folder when that is writable (a build folder, a portable copy) and
// is not an installed program's. An installed program (its data folder, ../share/dovrin as
// GNUInstallDirs lays it out, beside the executable's folder) and one whose folder cannot be
// written use the per-user folder $XDG_DATA_HOME/dovrin, created on first use, so nothing is
// ever written into a system folder, not even by root. Both forms are absolute and end with
// "/". Empty only when neither can be used.
QString programFolder();
// The same choice for a given executable folder.
QString programFolderFor(const QString& executableFolder);

// The help page, Help.html: beside the executable (a build, a portable copy), else in the
// installed program's data folder. Empty when there is none.
QString helpPagePath();
QString helpPagePathFor(const QString& executableFolder);

} // namespace dovrin
