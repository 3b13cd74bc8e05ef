#include "ExtensionList.h"

#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <QSaveFile>

namespace dovrin {

namespace {

const QString kFileName = QStringLiteral("Extensions.dat");

} // namespace

ExtensionList::ExtensionList(const QStringList& items) : m_items(items)
{
    m_encoded.reserve(m_items.size());
    for (const QString& item : m_items)
        m_encoded.append(text::encode(item));
}

ExtensionList ExtensionList::read(const DatabaseFolder& folder)
{
    QFile file(folder.nativePath(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();

    // Field by field, so a line holding a comma gives two items.
    ExtensionList list;
    FieldReader reader(data);
    FieldReader::Field field;
    QStringList items;
    while (items.size() < kMaxItems && reader.next(field) && !field.isEmpty())
        items.append(text::decode(field.bytes));
    // Compared as UTF-8, as file names are: an entry from a Windows list matches too.
    return ExtensionList(items);
}

QStringList ExtensionList::readLines(const DatabaseFolder& folder)
{
    QFile file(folder.nativePath(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    QStringList lines;
    LineReader reader(data);
    QByteArrayView line;
    while (reader.next(line))
        lines.append(text::decode(line));
    return lines;
}

bool ExtensionList::write(const DatabaseFolder& folder, QString* error) const
{
    QByteArray out;
    for (const QByteArray& item : m_encoded)
        write::plainLine(out, QByteArrayView(item));

    // Written beside and renamed over the old file: a crash leaves the old or the new list.
    QSaveFile file(folder.nativePath(kFileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool ExtensionList::rejects(QByteArrayView fileName) const
{
    for (const QByteArray& item : m_encoded) {
        // An empty ending would reject everything; reading never yields one.
        if (!item.isEmpty() && fileName.endsWith(item))
            return true;
    }
    return false;
}

} // namespace dovrin
