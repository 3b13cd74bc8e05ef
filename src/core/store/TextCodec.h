#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace dovrin::text {

// Data files are UTF-8 on Linux; records written on Windows are in Windows-1252.
// Each piece of text is decoded on its own: valid UTF-8 as UTF-8, anything else as
// Windows-1252, so one odd name never garbles its neighbours.
bool isValidUtf8(QByteArrayView bytes);
QString decode(QByteArrayView bytes);
QString decodeWindows1252(QByteArrayView bytes);
QByteArray encode(const QString& text);
// The Windows-1252 bytes that decodeWindows1252() turns into `text`; false when a character
// has none.
bool encodeWindows1252(QStringView text, QByteArray& bytes);

} // namespace dovrin::text
