#pragma once

#include <QString>

namespace dovrin::ui {

// The path ending with a separator: "/" is appended unless it ends with "/" or "\".
QString withTrailingSeparator(const QString& path);

// The last folder name of a path that ends with a separator ("Music" for /data/Music/);
// empty for a root such as "/" or "D:\".
QString lastFolderName(const QString& path);

// The label of the file system that holds the path, or the last name of its mount point when
// it has none; empty when neither can be had.
QString volumeName(const QString& path);

} // namespace dovrin::ui
