#pragma once

#include <QString>

namespace dovrin {

class Prompt;

// Asks for the new name of a catalogue or disk (`kind` is "catalogue" or "disk"), offering
// the old one. The answer trimmed; empty when the user cancelled or left nothing.
QString askNewName(Prompt& prompt, const QString& kind, const QString& oldName);

} // namespace dovrin
