#pragma once

#include "BoxImages.h"

#include <QString>
#include <QStringView>

namespace dovrin::platform {

enum class FileIconKind : qint16
{
    File = 0,         // the type of a file of that name (the file need not exist)
    OpenFolder = 1,   // added under "open"
    ClosedFolder = 2, // added under "closed"
};

// The cache key of a file's type: from the name's last "." to its end, upper-cased
// (".TXT" for report.txt, ".GZ" for a.tar.gz); empty when the name has no ".".
QString extensionKey(QStringView name);

// The index in the image list of the icon for a file type or a folder; 0 when the desktop
// has none. A file type is looked up once: its MIME type by the name's extension, then the
// icon theme's icon of that type, its generic icon, or a built-in file icon. Folders use the
// theme's "folder" and "folder-open".
int getFileIcon(const QString& name, FileIconKind kind, BoxImages& images = BoxImages::shared());

// The tree's images "catalogue", "disk", "closed" and "open", added once.
void addStandardImages(BoxImages& images = BoxImages::shared());

} // namespace dovrin::platform
