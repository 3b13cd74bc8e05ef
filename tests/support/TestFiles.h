#pragma once

#include <QByteArray>
#include <QString>

namespace dovrin::test {

// Small file helpers for tests that build databases and source trees in temporary folders.
void writeFile(const QString& path, const QByteArray& content);
QByteArray readFile(const QString& path);
// Writes a file named by its bytes, which need not be valid UTF-8 (the folder must exist).
void writeNativeFile(const QByteArray& path, const QByteArray& content);
// Copies a folder of tests/data (recursively) into target.
void copyFixture(const QString& fixtureName, const QString& target);
// Pins the locale so texts and numbers read the same on every machine.
void pinLocale();

} // namespace dovrin::test
