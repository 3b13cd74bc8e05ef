#pragma once

#include <QString>

namespace dovrin {

// The folder that "copy to desktop" copies into by default: the XDG desktop folder and "/".
QString defaultDesktopPath();

// The user's settings, kept in Dovrin.cfg in the program folder. Geometry is in twips.
struct Settings
{
    qint16 windowTop = 800;
    qint16 windowLeft = 1000;
    qint16 windowWidth = 7500;
    qint16 windowHeight = 5400;
    qint16 splitterLeft = 2900;
    double columnWidth1 = 1709.858;
    double columnWidth2 = 799.9371;
    double columnWidth3 = 1301.102;
    double columnWidth4 = 1440;
    bool treeOnly = false;
    qint16 attributeMask = 6;
    QString defaultLocation;
    QString desktopPath = defaultDesktopPath();
    QString databasePath;
    // Kept in Dovrin.ini, not in Dovrin.cfg: the add dialog's "Fingerprint file contents".
    bool fingerprint = false;

    friend bool operator==(const Settings&, const Settings&) = default;
};

} // namespace dovrin
