#pragma once

#include "common/DisplayFormat.h"
#include "search/CommentLookup.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace dovrin {
class DiskTable;
class Prompt;
} // namespace dovrin

namespace dovrin::reports {

// The text listing commands: one disk, or every disk of the table, into a target folder.
// The comment store is read once per export, however many disks it covers.
class TextExport
{
public:
    TextExport(const DatabaseFolder& folder, const DiskTable& disks, Prompt& prompt,
               const DisplayFormat& format = DisplayFormat());

    // The moment written on the "Generated" line; the current time when not set.
    void setGenerated(const QDateTime& when) { m_generated = when; }

    enum class Result
    {
        Written,
        Kept,   // the listing existed and the user chose not to overwrite it
        Failed, // after a message
    };

    // The listing of the disk that `key` (any tree key of the disk) belongs to, into the
    // native folder `target` (ending with "/").
    Result exportDisk(const QString& key, const QString& target);

    struct Summary
    {
        int written = 0;
        int kept = 0;
        int failed = 0;
    };
    // Every disk of the table in order. A disk whose file-list file cannot be read is reported
    // and passed over; a listing that cannot be written ends the export.
    Summary exportAll(const QString& target);

private:
    Result exportIndex(int index, const QString& target, bool& writable);

    const DatabaseFolder& m_folder;
    const DiskTable& m_disks;
    Prompt& m_prompt;
    DisplayFormat m_format;
    QDateTime m_generated;
    std::optional<search::CommentLookup> m_comments;
};

} // namespace dovrin::reports
