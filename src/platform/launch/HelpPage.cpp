#include "HelpPage.h"

#include "RegisteredProgram.h"
#include "config/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace dovrin::platform {

QString helpPagePath(const QString& executableFolder)
{
    const QString found = helpPagePathFor(executableFolder);
    return found.isEmpty() ? QDir(executableFolder).filePath(QStringLiteral("Help.html")) : found;
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
