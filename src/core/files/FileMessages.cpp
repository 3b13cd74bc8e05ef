#include "FileMessages.h"

#include "common/Prompt.h"

namespace dovrin::files {

bool confirmRun(Prompt& prompt, const QString& realPath)
{
    return prompt.okCancel(QStringLiteral("Confirm starting file '") + realPath + u'\'',
                           QStringLiteral("Please ensure this path and file is accessible by\r"
                                          "inserting the correct cd / disk if necessary."),
                           PromptIcon::Information);
}

bool confirmCopy(Prompt& prompt, const QString& name, bool toDesktop, const QString& diskName,
                 const QString& diskSource, const QString& realPath)
{
    const QString title = QStringLiteral("Copy '") + name +
                          (toDesktop ? QStringLiteral("' to desktop") : QStringLiteral("'"));
    return confirmVolume(prompt, title, diskName, diskSource, realPath);
}

bool confirmVolume(Prompt& prompt, const QString& title, const QString& diskName,
                   const QString& diskSource, const QString& realPath)
{
    return prompt.okCancel(title,
                           QStringLiteral("Please insert volume '") + diskName +
                               QStringLiteral("' in drive ") + diskSource +
                               QStringLiteral("\rOr otherwise ensure ") + realPath +
                               QStringLiteral(" is accessible"),
                           PromptIcon::Information);
}

void runFailed(Prompt& prompt)
{
    prompt.error(QStringLiteral("There was an error running this file.\r"
                                "Check you have a program registered for this file type."));
}

void notFound(Prompt& prompt, Purpose purpose)
{
    prompt.message(QStringLiteral("File not found"),
                   (purpose == Purpose::Run ? QStringLiteral("Unable to find file to run.")
                                            : QStringLiteral("Unable to find file to copy.")) +
                       QStringLiteral(" Check you have inserted\r"
                                      "the correct disk and that the file still exists."),
                   PromptIcon::Critical);
}

bool askUpdateDisk(Prompt& prompt)
{
    return prompt.yesNo(QStringLiteral("Question"),
                        QStringLiteral("Do you want to update this disk?"), PromptIcon::None,
                        PromptAnswer::No);
}

void sameFile(Prompt& prompt)
{
    prompt.error(QStringLiteral("Source file and destination file are the same!"));
}

void copyFailed(Prompt& prompt)
{
    prompt.error(QStringLiteral("Could not copy file. Check it still exists.\r"
                                "If copying to desktop, check the desktop location is set "
                                "correctly."));
}

} // namespace dovrin::files
