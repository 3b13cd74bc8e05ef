#include "ExtensionsFile.h"

#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <QSaveFile>

namespace dovrin::extensions {

namespace {
const QString kFileName = QStringLiteral("Extensions.dat");
}

QStringList readEntries(const DatabaseFolder& folder)
{
    QFile file(folder.nativePath(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    QStringList entries;
    LineReader lines(data);
    QByteArrayView line;
    while (lines.next(line))
        entries.append(text::decode(line));
    return entries;
}

bool writeEntries(const DatabaseFolder& folder, const QStringList& entries, QString* error)
{
    QByteArray out;
    for (const QString& entry : entries)
        write::plainLine(out, entry);

    QSaveFile file(folder.nativePath(kFileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace dovrin::extensions
