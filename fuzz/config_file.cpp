// Dovrin.cfg: twenty fields over eight lines.
#include "FuzzSupport.h"
#include "config/ConfigFile.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    Settings settings;
    if (!ConfigFile::parse(data, settings))
        return;
    // The file written from what was read reads back, and is written again the same.
    const QByteArray written = ConfigFile::bytes(settings);
    Settings again;
    fuzz::require(ConfigFile::parse(written, again), "a written config is unreadable",
                  QString::fromUtf8(written));
    fuzz::require(ConfigFile::bytes(again) == written, "a written config changes on rewrite",
                  QString::fromUtf8(written));
    fuzz::require(
        again.defaultLocation == settings.defaultLocation &&
            again.desktopPath == settings.desktopPath &&
            again.databasePath == settings.databasePath && again.treeOnly == settings.treeOnly &&
            again.attributeMask == settings.attributeMask &&
            again.windowTop == settings.windowTop && again.splitterLeft == settings.splitterLeft,
        "a written config reads back otherwise", QString::fromUtf8(written));
}
