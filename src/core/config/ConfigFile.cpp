#include "ConfigFile.h"

#include "common/Prompt.h"
#include "store/Keys.h"
#include "store/RecordText.h"

#include <QFile>
#include <QSaveFile>

namespace dovrin {

namespace {

// Twenty fields fit in far less; a bigger file is read only this far.
constexpr qint64 kReadLimit = 1024 * 1024;

} // namespace

ConfigFile::ConfigFile(const QString& programFolder, Prompt& prompt)
    : m_path(programFolder + QLatin1String(kFileName)), m_prompt(prompt)
{
}

bool ConfigFile::exists() const
{
    return fileExists(m_path);
}

bool ConfigFile::parse(QByteArrayView data, Settings& settings)
{
    FieldReader r(data);
    Settings s;
    bool reserved = false;
    QString reservedText;
    // The fields in file order; the line numbers are those of a file as written.
    const bool ok =
        // 1: window top, left, width, height, splitter
        r.readInt16(s.windowTop) && r.readInt16(s.windowLeft) && r.readInt16(s.windowWidth) &&
        r.readInt16(s.windowHeight) && r.readInt16(s.splitterLeft) &&
        // 2: the four column widths
        r.readReal(s.columnWidth1) && r.readReal(s.columnWidth2) && r.readReal(s.columnWidth3) &&
        r.readReal(s.columnWidth4) &&
        // 3: two reserved, folders only, attribute mask; 4: two reserved
        r.readBool(reserved) && r.readBool(reserved) && r.readBool(s.treeOnly) &&
        r.readInt16(s.attributeMask) && r.readBool(reserved) && r.readBool(reserved) &&
        // 5 to 7: default location, desktop, database; 8: two reserved
        r.readString(s.defaultLocation) && r.readString(s.desktopPath) &&
        r.readString(s.databasePath) && r.readString(reservedText) && r.readString(reservedText);
    // A path typed in by hand without quotes may hold a double quote; written back in quotes
    // it would read as another path, so the file is corrupt instead.
    const auto quoteIn = [](const QString& text) { return text.contains(u'"'); };
    if (!ok || quoteIn(s.defaultLocation) || quoteIn(s.desktopPath) || quoteIn(s.databasePath))
        return false;
    settings = s;
    return true;
}

ConfigFile::ReadResult ConfigFile::read(Settings& settings)
{
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray data = file.read(kReadLimit);
        file.close();
        if (parse(data, settings))
            return ReadResult::Read;
    }

    const bool regenerate = m_prompt.yesNo(
        QStringLiteral("Config file corrupt"),
        QStringLiteral("The config file is corrupt. Click YES to allow me to regenerate the "
                       "config file\rIf you click NO, the program will close"),
        PromptIcon::Critical, PromptAnswer::No);
    if (!regenerate)
        return ReadResult::Declined;
    // A file that cannot be deleted is simply replaced by the reset below; if even that
    // fails, the user has been told and the run goes on with the defaults.
    QFile::remove(m_path);
    reset(settings);
    return ReadResult::Regenerated;
}

QByteArray ConfigFile::bytes(const Settings& s)
{
    QByteArray out;
    write::number(out, s.windowTop);
    write::comma(out);
    write::number(out, s.windowLeft);
    write::comma(out);
    write::number(out, s.windowWidth);
    write::comma(out);
    write::number(out, s.windowHeight);
    write::comma(out);
    write::number(out, s.splitterLeft);
    write::lineEnd(out);

    write::real(out, s.columnWidth1);
    write::comma(out);
    write::real(out, s.columnWidth2);
    write::comma(out);
    write::real(out, s.columnWidth3);
    write::comma(out);
    write::real(out, s.columnWidth4);
    write::lineEnd(out);

    write::boolean(out, false);
    write::comma(out);
    write::boolean(out, false);
    write::comma(out);
    write::boolean(out, s.treeOnly);
    write::comma(out);
    write::number(out, s.attributeMask);
    write::lineEnd(out);

    write::boolean(out, false);
    write::comma(out);
    write::boolean(out, false);
    write::lineEnd(out);

    write::quoted(out, s.defaultLocation);
    write::lineEnd(out);
    write::quoted(out, s.desktopPath);
    write::lineEnd(out);
    write::quoted(out, s.databasePath);
    write::lineEnd(out);
    write::quoted(out, QByteArrayView());
    write::comma(out);
    write::quoted(out, QByteArrayView());
    write::lineEnd(out);
    return out;
}

bool ConfigFile::write(const Settings& settings)
{
    QSaveFile file(m_path);
    const QByteArray data = bytes(settings);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    m_prompt.error(QStringLiteral("Unable to save config."));
    return false;
}

bool ConfigFile::reset(Settings& settings)
{
    settings = Settings();
    return write(settings);
}

} // namespace dovrin
