#pragma once

#include <QString>

namespace dovrin::platform {

// The user guide, Help.html, where helpPagePathFor() finds it (beside the executable, else in
// the installed program's data folder). When neither holds it, the path beside the executable.
QString helpPagePath(const QString& executableFolder);

// Opens the user guide with the program registered for it; nothing at all happens when there
// is none.
void openHelpPage();

// Starts the browser with `address` as its one argument. False when there is none.
bool openWebAddress(const QString& address);

} // namespace dovrin::platform
