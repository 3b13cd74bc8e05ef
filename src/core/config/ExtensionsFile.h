#pragma once

#include "store/DatabaseFolder.h"

#include <QStringList>

namespace dovrin::extensions {

// Extensions.dat as the options dialog edits it: one entry per line, exactly as typed and
// without quotes. Reading keeps every line, empty ones included; a missing file is an empty
// list. (The scanner reads the same file through ExtensionList, which stops at an empty item.)
QStringList readEntries(const DatabaseFolder& folder);

// Replaces the file with the entries, each followed by CR LF; no entries give an empty file.
// The old content stays until the new one is complete. False, with a reason, on failure.
bool writeEntries(const DatabaseFolder& folder, const QStringList& entries,
                  QString* error = nullptr);

} // namespace dovrin::extensions
