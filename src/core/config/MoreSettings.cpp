#include "MoreSettings.h"

#include <QFile>
#include <QSettings>

namespace dovrin::moreSettings {

namespace {

const QString kFingerprint = QStringLiteral("Cataloguing/Fingerprint");

} // namespace

void read(const QString& programFolder, Settings& settings)
{
    const QSettings file(programFolder + QLatin1String(kFileName), QSettings::IniFormat);
    settings.fingerprint = file.value(kFingerprint, false).toBool();
}

bool write(const QString& programFolder, const Settings& settings)
{
    const QString path = programFolder + QLatin1String(kFileName);
    if (!settings.fingerprint && !QFile::exists(path))
        return true;
    QSettings file(path, QSettings::IniFormat);
    file.setValue(kFingerprint, settings.fingerprint);
    file.sync();
    return file.status() == QSettings::NoError;
}

} // namespace dovrin::moreSettings
