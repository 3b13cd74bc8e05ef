#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace dovrin::fuzz {

void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "\nProperty failed: %s\n%s\n", what, qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

QList<QByteArrayView> split(QByteArrayView data, char separator, int count)
{
    QList<QByteArrayView> parts;
    while (parts.size() + 1 < count) {
        const qsizetype at = data.indexOf(separator);
        if (at < 0)
            break;
        parts.append(data.first(at));
        data = data.sliced(at + 1);
    }
    parts.append(data);
    return parts;
}

ScratchFolder& ScratchFolder::instance()
{
    static ScratchFolder folder;
    return folder;
}

ScratchFolder::ScratchFolder()
{
    // Memory-backed when the system has it: the harnesses write a few files per input.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    m_root = QStringLiteral("%1/dovrin-fuzz-%2/").arg(base).arg(::getpid());
    QDir().mkpath(m_root);
    m_database = DatabaseFolder(m_root);
}

ScratchFolder::~ScratchFolder()
{
    // Gone at exit; a crash leaves it for the post-mortem.
    QDir(m_root).removeRecursively();
}

void ScratchFolder::clear()
{
    QDir dir(m_root);
    dir.removeRecursively();
    dir.mkpath(m_root);
}

void ScratchFolder::write(const QString& relativePath, QByteArrayView content)
{
    const QString target = path(relativePath);
    QDir().mkpath(QFileInfo(target).path());
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(content.data(), content.size()) != content.size())
        fail("cannot write a scratch file", target);
}

QString ScratchFolder::path(const QString& relativePath) const
{
    return m_root + relativePath;
}

} // namespace dovrin::fuzz
