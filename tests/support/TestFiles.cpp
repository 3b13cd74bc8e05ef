#include "TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>
#include <cstdio>

namespace dovrin::test {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        QFAIL(qPrintable(QStringLiteral("cannot write ") + path));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeNativeFile(const QByteArray& path, const QByteArray& content)
{
    FILE* file = std::fopen(path.constData(), "wb");
    if (!file)
        QFAIL(qPrintable(QStringLiteral("cannot write ") + QString::fromLocal8Bit(path)));
    std::fwrite(content.constData(), 1, size_t(content.size()), file);
    std::fclose(file);
}

void copyFixture(const QString& fixtureName, const QString& target)
{
    const QString source = QStringLiteral(DOVRIN_TEST_DATA "/") + fixtureName;
    QDirIterator it(source, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    QDir().mkpath(target);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(source).relativeFilePath(path);
        if (it.fileInfo().isDir())
            QDir().mkpath(target + QLatin1Char('/') + relative);
        else
            writeFile(target + QLatin1Char('/') + relative, readFile(path));
    }
}

void pinLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

} // namespace dovrin::test
