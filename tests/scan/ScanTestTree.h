#pragma once

#include "TestFiles.h"
#include "store/RecordDateTime.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <sys/stat.h>

namespace dovrin::test {

// Builds source trees for scanner tests.
inline void makeFolder(const QString& path)
{
    QDir().mkpath(path);
}

inline void makeFile(const QString& path, const QByteArray& content = "x",
                     const QDateTime& modified = QDateTime(QDate(2026, 3, 1), QTime(10, 15)))
{
    writeFile(path, content);
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// The record files as the format defines them, built the slow and plain way: folders listed
// in the file system's order and each block of sub-folders ordered by a bubble sort of the
// upper-cased full paths; only regular files in the tree.
struct ExpectedRecord
{
    QByteArray tree;
    QByteArray list;

    explicit ExpectedRecord(const QString& source) // source without a final "/"
    {
        QStringList work{source};
        walk(source, work);
        for (qsizetype i = 0; i < work.size(); ++i) {
            const QString relative = work[i].mid(source.size()).replace(u'/', u'\\');
            if (i > 0)
                tree += ":" + relative.toUtf8() + "\r\n";
            list += "\":" + relative.toUtf8() + "\"\r\n";
            const QFileInfoList files =
                QDir(work[i]).entryInfoList(QDir::Files | QDir::Hidden, QDir::Unsorted);
            for (const QFileInfo& f : files) {
                list += "\"" + f.fileName().toUtf8() + "\"," + QByteArray::number(f.size()) + "," +
                        RecordDateTime::fromDateTime(f.lastModified()).toRecordText() + "\r\n";
            }
        }
    }

    static void walk(const QString& path, QStringList& work)
    {
        const QStringList names = QDir(path).entryList(
            QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System | QDir::NoSymLinks,
            QDir::Unsorted);
        QStringList full;
        for (const QString& name : names)
            full << path + u'/' + name;
        bool swapped = true;
        while (swapped) {
            swapped = false;
            for (qsizetype i = 0; i + 1 < full.size(); ++i) {
                if (full[i + 1].toUpper() < full[i].toUpper()) {
                    full.swapItemsAt(i, i + 1);
                    swapped = true;
                }
            }
        }
        work += full;
        for (const QString& name : names)
            walk(path + u'/' + name, work);
    }
};

} // namespace dovrin::test
