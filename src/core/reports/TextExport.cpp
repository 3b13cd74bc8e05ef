#include "TextExport.h"

#include "TextListing.h"
#include "common/Prompt.h"
#include "store/DiskTable.h"
#include "store/Keys.h"

#include <QFile>

namespace dovrin::reports {

TextExport::TextExport(const DatabaseFolder& folder, const DiskTable& disks, Prompt& prompt,
                       const DisplayFormat& format)
    : m_folder(folder), m_disks(disks), m_prompt(prompt), m_format(format)
{
}

TextExport::Result TextExport::exportDisk(const QString& key, const QString& target)
{
    const int index = keys::findDisk(m_disks, key);
    if (index == 0)
        return Result::Failed;
    bool writable = true;
    return exportIndex(index, target, writable);
}

TextExport::Summary TextExport::exportAll(const QString& target)
{
    Summary summary;
    for (int index = 1; index <= m_disks.count(); ++index) {
        bool writable = true;
        switch (exportIndex(index, target, writable)) {
        case Result::Written:
            ++summary.written;
            break;
        case Result::Kept:
            ++summary.kept;
            break;
        case Result::Failed:
            ++summary.failed;
            break;
        }
        if (!writable)
            break;
    }
    return summary;
}

TextExport::Result TextExport::exportIndex(int index, const QString& target, bool& writable)
{
    const DiskEntry& disk = m_disks.at(index);
    const QString path = target + listingFileName(disk.path);
    if (fileExists(path) && !m_prompt.yesNo(QStringLiteral("File already present!"),
                                            QStringLiteral("Overwrite ") + path,
                                            PromptIcon::Question, PromptAnswer::No)) {
        return Result::Kept;
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        writable = false;
        m_prompt.error(QStringLiteral("Could not write ") + path + QStringLiteral(": ") +
                       file.errorString());
        return Result::Failed;
    }
    if (!m_comments)
        m_comments.emplace(m_folder);
    const QDateTime now = m_generated.isValid() ? m_generated : QDateTime::currentDateTime();
    QString error;
    if (writeListing(file, {m_folder, disk, *m_comments, m_format, now}, error) && file.flush())
        return Result::Written;
    if (file.error() != QFileDevice::NoError) {
        // A device that cannot be written fails for every further disk too.
        writable = false;
        m_prompt.error(QStringLiteral("Could not write ") + path + QStringLiteral(": ") +
                       file.errorString());
    } else {
        // The disk's own record is damaged: the listing keeps what could be read.
        m_prompt.error(QStringLiteral("The listing of ") + disk.path +
                       QStringLiteral(" stops early: ") + error);
    }
    return Result::Failed;
}

} // namespace dovrin::reports
