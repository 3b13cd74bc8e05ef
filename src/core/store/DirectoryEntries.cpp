#include "DirectoryEntries.h"

#include "TextCodec.h"

#include <QFile>
#include <cerrno>
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
        // The listing already tells most types; only links and file systems that leave the
        // type out cost a stat (a database of 1000 disks would otherwise take 3000).
        if (e->d_type == DT_DIR || e->d_type == DT_REG) {
            entry.isFolder = e->d_type == DT_DIR;
            entry.isFile = e->d_type == DT_REG;
        } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st
            {
            };
            if (stat((folder + raw).constData(), &st) == 0) {
                entry.isFolder = S_ISDIR(st.st_mode);
                entry.isFile = S_ISREG(st.st_mode);
            } else {
                entry.unknown = errno != ENOENT && errno != ENOTDIR;
            }
        }
        entries.append(entry);
    }
    closedir(dir);
    return entries;
}

} // namespace dovrin
