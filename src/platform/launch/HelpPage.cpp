#include "HelpPage.h"

#include "RegisteredProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dovrin::platform {

QString helpPagePath(const QString& executableFolder)
{
    const QDir folder(executableFolder);
    const QString beside = folder.filePath(QStringLiteral("Help.html"));
    const QString installed =
        QDir::cleanPath(folder.filePath(QStringLiteral("../share/dovrin/Help.html")));
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed))
        return installed;
    return beside;
}

void openHelpPage()
{
    const QByteArray page = QFile::encodeName(helpPagePath(QCoreApplication::applicationDirPath()));
    const RegisteredProgram program = RegisteredProgram::forFile(page);
    if (!program.isNone())
        program.start(page);
}

bool openWebAddress(const QString& address)
{
    const QByteArray page = QFile::encodeName(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help.html")));
    const RegisteredProgram program = RegisteredProgram::forWebAddress(address, page);
    if (program.isNone())
        return false;
    program.startWithAddress(address);
    return true;
}

} // namespace dovrin::platform
