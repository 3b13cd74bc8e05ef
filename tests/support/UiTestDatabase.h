#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace dovrin::test {

// Writes one disk record (info, tree and file-list files) below a database root.
// `fileList` is the file-list file's text with "\n" for line ends.
inline void writeDisk(const QString& root, const QString& relativePath, const QStringList& folders,
                      const QByteArray& fileList, int foldersOnly = 0,
                      const QByteArray& freeSpace = "1234.56MB",
                      const QByteArray& source = "/media/alice/PHOTOS/")
{
    const QString base = root + u'/' + relativePath;
    writeFile(base + QStringLiteral(".i"), "25\r\n" + source + "\r\n" + freeSpace +
                                               "\r\n01/03/2026 10:15:00\r\n " +
                                               QByteArray::number(foldersOnly) + " \r\n");
    QByteArray tree;
    for (const QString& folder : folders)
        tree += folder.toUtf8() + "\r\n";
    writeFile(base + QStringLiteral(".t"), tree);
    QByteArray list = fileList;
    list.replace("\n", "\r\n");
    writeFile(base + QStringLiteral(".f"), list);
}

// A small database: the loose disk "Loose" (no folders), the catalogue Holidays with the disks
// Photos (Games, Games\Saves, Music) and Videos (folders only), and the empty catalogue Empty.
inline void writeSampleDatabase(const QString& root)
{
    writeDisk(root, QStringLiteral("Loose"), {}, "\":\"\n\"a.txt\",10,#2025-01-06#\n");
    writeDisk(
        root, QStringLiteral("Holidays/Photos"),
        {QStringLiteral(":\\Games"), QStringLiteral(":\\Games\\Saves"), QStringLiteral(":\\Music")},
        "\":\"\n\"readme.txt\",1234000,#2026-03-01 10:15:00#\n"
        "\"setup.exe\",566,#2025-12-24#\n"
        "\":\\Games\"\n\"game.iso\",700000000,#2022-05-05 05:05:05#\n"
        "\":\\Games\\Saves\"\n\":\\Music\"\n\"song.mp3\",1,#2021-01-01 12:00:00#\n");
    writeDisk(root, QStringLiteral("Holidays/Videos"), {QStringLiteral(":\\Clips")},
              "\":\"\n\":\\Clips\"\n", 1);
    writeFile(root + QStringLiteral("/Empty/notes.txt"), "not a record");
}

} // namespace dovrin::test
