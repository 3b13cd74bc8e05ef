#pragma once

#include <QString>
#include <QStringView>

namespace dovrin {

class DiskTable;

// Tree keys name catalogues (Holidays\), disks (Holidays\Photos\, .\Photos\), folders
// (Holidays\Photos\Games\) and files (Holidays\Photos\Games\readme.txt). Catalogue and disk
// names hold no "\", so the first "\" ends the catalogue part and the second the disk part.
// Keys are compared exactly.
namespace keys {

inline constexpr QChar kSeparator = u'\\';

QString catalogue(QStringView key);     // up to and including the first "\"
QString catalogueName(QStringView key); // before the first "\"
QString disk(QStringView key);          // up to and including the second "\"
QString recordPath(QStringView key);    // before the second "\"; whole key with fewer
QString diskName(QStringView key);      // between the first and the second "\"
QString parent(QStringView key);        // up to the last "\" before the final character
QString lastName(QStringView key);      // after the last "\", one trailing "\" dropped

// The index in the table of the disk whose record path equals recordPath(key); 0 if none.
int findDisk(const DiskTable& table, QStringView key);

} // namespace keys

// True when the catalogue or disk name holds none of \ / : * ? " < > |. Empty passes.
bool nameIsValid(QStringView name);
inline constexpr QStringView kForbiddenNameCharacters = u"\\/:*?\"<>|";

// True when the file can be opened for reading; never reports anything.
bool fileExists(const QString& nativePath);

} // namespace dovrin
