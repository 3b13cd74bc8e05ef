#include "ScanContext.h"
#include "common/Prompt.h"
#include "store/TextCodec.h"

#include <cerrno>
#include <cstring>

namespace dovrin::scan {

namespace messages {

bool fileProblem(Prompt& prompt, const QString& fileName)
{
    return prompt.okCancel(QStringLiteral("Unexpected Error"),
                           QStringLiteral("Problem with file: ") + fileName +
                               QStringLiteral("\nDovrin will still catalogue this file but "
                                              "size,\ndate and time information will be "
                                              "inaccurate"),
                           PromptIcon::Exclamation);
}

void folderProblem(Prompt& prompt, const QString& folderPath)
{
    prompt.message(QStringLiteral("Problem"),
                   QStringLiteral("The contents of this object cannot be catalogued:\n") +
                       folderPath,
                   PromptIcon::Exclamation);
}

bool walkProblem(Prompt& prompt, int error, const QString& entryName)
{
    return prompt.okCancel(
        QStringLiteral("Unexpected Error"),
        QStringLiteral("Error: ") + QString::number(error) + QStringLiteral(" - ") +
            QString::fromLocal8Bit(std::strerror(error)) +
            QStringLiteral("\nFile / directory that caused the problem: ") + entryName +
            QStringLiteral("\nDovrin will attempt to continue with the cataloguing "
                           "\nwith this missed out. If this succeeds the disk will be "
                           "\ninaccurate at best."),
        PromptIcon::Exclamation);
}

void scanFailed(Prompt& prompt, int error, const QString& path)
{
    prompt.error(QStringLiteral("The disk could not be catalogued and nothing of it was "
                                "kept.\n") +
                 path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace messages

bool isEntryProblem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case ELOOP:
    case ENAMETOOLONG:
    case ESTALE:
        return true;
    default:
        return false;
    }
}

QString displayPath(const QByteArray& nativePath)
{
    return text::decode(nativePath);
}

} // namespace dovrin::scan
