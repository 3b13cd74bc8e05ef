#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace dovrin::scan {

// Names as the record files can hold them.
//
// A Linux name may hold characters that the record formats cannot: a double quote ends a
// quoted field, a backslash separates the components of a folder key, a line break ends a
// line, and a file line whose name begins with a colon would read as a folder line. Such a
// character is written as its look-alike from the Unicode fullwidth or control-picture
// blocks (" -> U+FF02, \ -> U+FF3C, LF -> U+2424, CR -> U+240D, a leading : -> U+FF1A),
// so the record stays readable and the file is still catalogued under a name a person
// recognises. Every other byte, valid UTF-8 or not, is kept as it is.

// Appends a file name for a file line.
void appendFileName(QByteArray& out, QByteArrayView name);
// The name a file line stands for on the disk, with its look-alikes turned back; the name
// itself when it holds none. A name that really holds a look-alike reads the same, so a
// reader tries the name as written first.
QByteArray unmappedFileName(QByteArrayView recorded);
// Appends one folder name as a component of a folder key.
void appendFolderName(QByteArray& out, QByteArrayView name);
// Appends ":\Games\Saves" for the native relative path "Games/Saves" (":" when empty).
void appendFolderKey(QByteArray& out, QByteArrayView relativePath);

// The work file holds native paths one per line; a path may hold any byte but NUL, so
// backslashes and line breaks are escaped there (\\, \n, \r).
void appendEscapedPath(QByteArray& out, QByteArrayView path);
QByteArray unescapePath(QByteArrayView line);

} // namespace dovrin::scan
