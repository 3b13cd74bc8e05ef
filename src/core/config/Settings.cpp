#include "Settings.h"

#include <QStandardPaths>

namespace dovrin {

QString defaultDesktopPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) + u'/';
}

} // namespace dovrin
