#include "ListedKeys.h"

#include "store/DiskRecord.h"
#include "store/TextCodec.h"

namespace dovrin::comments {

namespace {

// Names are compared as the UTF-8 of their decoded text, so a Windows-1252 name in the file
// list meets the key that was built from the same name. Plain UTF-8 needs no conversion.
void appendCanonical(QByteArray& out, QByteArrayView bytes)
{
    if (text::isValidUtf8(bytes))
        out.append(bytes);
    else
        out.append(text::encode(text::decode(bytes)));
}

} // namespace

void ListedKeys::want(const QString& relativeKey)
{
    m_wanted.insert(text::encode(relativeKey));
}

bool ListedKeys::isListed(const QString& relativeKey) const
{
    return m_listed.contains(text::encode(relativeKey));
}

bool ListedKeys::scan(const QString& fileListPath, QString& error)
{
    m_listed.clear();
    FileListReader reader;
    if (!reader.open(fileListPath)) {
        error = QStringLiteral("Cannot read %1: %2").arg(fileListPath, reader.error());
        return false;
    }
    // candidate holds the folder part, then the folder part and one file name.
    QByteArray candidate;
    qsizetype folderPartSize = 0;
    FileListItem item;
    while (reader.next(item)) {
        if (item.kind == FileListItem::Folder) {
            // ":" is the root (no folder part); ":\Games" gives "Games\".
            candidate.clear();
            if (item.name.size() > 2) {
                appendCanonical(candidate, item.name.sliced(2));
                candidate.append('\\');
            }
            folderPartSize = candidate.size();
        } else {
            candidate.truncate(folderPartSize);
            appendCanonical(candidate, item.name);
        }
        if (m_wanted.contains(candidate))
            m_listed.insert(candidate);
    }
    if (!reader.error().isEmpty()) {
        error = QStringLiteral("Cannot read %1: %2").arg(fileListPath, reader.error());
        return false;
    }
    return true;
}

} // namespace dovrin::comments
