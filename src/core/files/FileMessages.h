#pragma once

#include <QString>

namespace dovrin {
class Prompt;
}

namespace dovrin::files {

// The messages and questions of running and copying catalogued files.
enum class Purpose
{
    Run,
    Copy
};

// "Confirm starting file '...'": true on OK.
bool confirmRun(Prompt& prompt, const QString& realPath);
// "Please insert volume '...' in drive ...", under `title`: true on OK.
bool confirmVolume(Prompt& prompt, const QString& title, const QString& diskName,
                   const QString& diskSource, const QString& realPath);
// "Copy '...'" or "Copy '...' to desktop": true on OK.
bool confirmCopy(Prompt& prompt, const QString& name, bool toDesktop, const QString& diskName,
                 const QString& diskSource, const QString& realPath);
// No program for the file, or it could not be started.
void runFailed(Prompt& prompt);
// The file is not where the catalogue says.
void notFound(Prompt& prompt, Purpose purpose);
// "Do you want to update this disk?", No by default: true on Yes.
bool askUpdateDisk(Prompt& prompt);
void sameFile(Prompt& prompt);
void copyFailed(Prompt& prompt);

} // namespace dovrin::files
