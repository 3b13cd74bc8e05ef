#include "DirectoryEntries.h"

#include "TextCodec.h"

#include <QFile>
#include <dirent.h>
#include <sys/stat.h>

namespace dovrin {

QList<FolderEntry> listFolder(const QString& nativeFolder)
{
    QList<FolderEntry> entries;
    QByteArray folder = QFile::encodeName(nativeFolder);
    if (!folder.endsWith('/'))
        folder.append('/');
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return entries;
    while (const dirent* e = readdir(dir)) {
        const QByteArray raw(e->d_name);
        if (raw == "." || raw == "..")
            continue;
        FolderEntry entry;
        entry.rawName = raw;
        entry.decodable = text::isValidUtf8(raw);
        entry.name = text::decode(raw);
        struct stat st
        {
        };
        if (stat((folder + raw).constData(), &st) == 0) {
            entry.isFolder = S_ISDIR(st.st_mode);
            entry.isFile = S_ISREG(st.st_mode);
        }
        entries.append(entry);
    }
    closedir(dir);
    return entries;
}

} // namespace dovrin
