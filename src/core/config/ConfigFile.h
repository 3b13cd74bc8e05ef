#pragma once

#include "Settings.h"

#include <QByteArray>
#include <QString>

namespace dovrin {

class Prompt;

// Dovrin.cfg in the program folder: twenty comma-separated fields over eight CR LF lines,
// read field by field whatever the line breaks.
class ConfigFile
{
public:
    enum class ReadResult
    {
        Read,        // every field came from the file
        Regenerated, // the file was corrupt and the user had it rewritten with the defaults
        Declined,    // the file was corrupt and the user said No: the caller must end the program
    };

    static constexpr const char* kFileName = "Dovrin.cfg";

    ConfigFile(const QString& programFolder, Prompt& prompt);

    const QString& path() const { return m_path; }
    bool exists() const;

    // Fills `settings` from the file. A missing, unreadable or malformed file asks
    // "Config file corrupt": Yes deletes it and resets `settings` (and the file) to the
    // defaults; No leaves `settings` untouched and returns Declined.
    ReadResult read(Settings& settings);
    // Replaces the file with `settings`. On failure says "Unable to save config." and returns
    // false; the file is written atomically, so a failed write leaves the old one whole.
    bool write(const Settings& settings);
    // Sets `settings` to the defaults, then writes them.
    bool reset(Settings& settings);

    // The file's exact content for `settings`.
    static QByteArray bytes(const Settings& settings);
    // Parses the file's content; false when it is malformed (then `settings` is untouched).
    static bool parse(QByteArrayView data, Settings& settings);

private:
    QString m_path;
    Prompt& m_prompt;
};

} // namespace dovrin
