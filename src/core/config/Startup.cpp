#include "Startup.h"

#include "MoreSettings.h"
#include "common/Prompt.h"
#include "store/Database.h"
#include "store/DatabaseFolder.h"

#include <QDir>
#include <QFile>

namespace dovrin {

Startup::Startup(Prompt& prompt, const QString& programFolder, const QString& lockPath)
    : m_prompt(prompt), m_programFolder(normalizedFolder(programFolder)),
      m_config(m_programFolder, prompt), m_lockPath(lockPath)
{
}

Startup::~Startup() = default;

bool Startup::claimSingleInstance()
{
    if (!m_instance)
        m_instance = std::make_unique<SingleInstance>(
            m_lockPath.isEmpty() ? SingleInstance::defaultLockPath() : m_lockPath);
    if (m_instance->claim())
        return true;
    m_prompt.error(QStringLiteral("Dovrin is already running."));
    return false;
}

bool Startup::loadSettings()
{
    // When even the default file cannot be written the user has just been told so; reading
    // it back would only add the corruption question, so the run goes on with the defaults.
    if (m_config.exists() || m_config.reset(m_settings)) {
        if (m_config.read(m_settings) == ConfigFile::ReadResult::Declined)
            return false;
    }
    moreSettings::read(m_programFolder, m_settings);
    return true;
}

bool Startup::peekSettings()
{
    QFile file(m_config.path());
    const bool read =
        file.open(QIODevice::ReadOnly) && ConfigFile::parse(file.read(1024 * 1024), m_settings);
    moreSettings::read(m_programFolder, m_settings);
    return read;
}

bool Startup::saveSettings()
{
    moreSettings::write(m_programFolder, m_settings);
    return m_config.write(m_settings);
}

QString Startup::resolveFolder(const QString& folder) const
{
    QString path = folder;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    return normalizedFolder(QDir(m_programFolder).absoluteFilePath(path));
}

QString Startup::chooseDatabaseFolder()
{
    if (m_settings.databasePath.isEmpty())
        return m_programFolder;
    const QString folder = resolveFolder(m_settings.databasePath);
    if (isUsableFolder(folder))
        return folder;
    m_prompt.message(QStringLiteral("Path not found"),
                     QStringLiteral("Database path not found. Using application path."),
                     PromptIcon::Critical);
    return m_programFolder;
}

void Startup::loadDatabase(Database& database)
{
    database.load(DatabaseFolder(chooseDatabaseFolder()));
}

bool Startup::loadChosenDatabase(Database& database, const QString& chosenFolder)
{
    if (chosenFolder.isEmpty())
        return false;
    const QString folder = resolveFolder(chosenFolder);
    if (!isUsableFolder(folder)) {
        m_prompt.message(QStringLiteral("Unknown error"),
                         QStringLiteral("Unable to change to directory"), PromptIcon::Critical);
        return false;
    }
    database.load(DatabaseFolder(folder));
    return true;
}

bool Startup::loadDefaultDatabase(Database& database)
{
    QString folder = m_programFolder;
    if (!m_settings.databasePath.isEmpty()) {
        folder = resolveFolder(m_settings.databasePath);
        if (!isUsableFolder(folder)) {
            m_prompt.message(QStringLiteral("Path not found"),
                             QStringLiteral("Default database path not found"),
                             PromptIcon::Critical);
            return false;
        }
    }
    database.load(DatabaseFolder(folder));
    return true;
}

} // namespace dovrin
