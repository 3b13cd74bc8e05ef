#pragma once

#include "Settings.h"

#include <QString>

namespace dovrin {

// The settings that Dovrin.cfg has no field for, whose format stays as it is: they live in
// Dovrin.ini beside it ([Cataloguing] Fingerprint=true). The file is written only once a
// setting differs from its default; a missing or unreadable file means the defaults.
namespace moreSettings {
inline constexpr char kFileName[] = "Dovrin.ini";
void read(const QString& programFolder, Settings& settings);
bool write(const QString& programFolder, const Settings& settings);
} // namespace moreSettings

} // namespace dovrin
