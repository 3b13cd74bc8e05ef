#pragma once

#include "search/SearchRow.h"
#include "store/DatabaseFolder.h"

#include <QString>
#include <array>

namespace dovrin {
class DiskTable;
class Progress;
class Prompt;
} // namespace dovrin

namespace dovrin::copies {

// How a file or folder of the real disk differs from the catalogue.
enum class Difference
{
    Missing,    // catalogued, no longer on the disk
    New,        // on the disk, not catalogued
    Changed,    // another size or modified time
    Damaged,    // same size and time, other content (disks with fingerprints)
    Unreadable, // has a fingerprint but cannot be read now
};
inline constexpr int kDifferenceKinds = 5;
// "missing", "new", "changed", "damaged", "unreadable".
QString differenceName(Difference kind);

class VerifySink
{
public:
    virtual ~VerifySink() = default;
    // The row is the catalogued file (for a new file, the one the disk now holds, under the
    // key it would have); `realPath` is where it lies on the disk.
    virtual void addDifference(Difference kind, const search::SearchRow& row,
                               const QString& realPath) = 0;
};

struct VerifyResult
{
    enum class End
    {
        Matches,  // no difference
        Differs,  // differences were given to the sink
        NotThere, // the disk's source could not be reached; nothing was compared
        Stopped,
        Failed, // the walk failed (already reported)
    } end = End::Failed;
    std::array<qint64, kDifferenceKinds> counts{};
    bool withFingerprints = false; // contents were compared too

    QString summaryText() const;
};

// Walks a disk's source as the scanner does, with the current filter settings, into a scratch
// record and compares that with the catalogued one, without changing it. When the disk has
// fingerprints, every file is read again and its fingerprint compared.
class DiskVerifier
{
public:
    DiskVerifier(const DatabaseFolder& folder, const DiskTable& disks, Prompt& prompt);

    VerifyResult run(int disk, int attributeMask, VerifySink& sink, Progress& progress);

private:
    bool sourceReachable(int disk, bool recordEmpty);

    DatabaseFolder m_folder;
    const DiskTable& m_disks;
    Prompt& m_prompt;
};

} // namespace dovrin::copies
