#pragma once

#include <QByteArray>
#include <QString>
#include <future>
#include <memory>

namespace dovrin {
class Progress;
class Prompt;
} // namespace dovrin

namespace dovrin::copies {

// The fingerprints of the record being replaced: a file whose folder, name, size and time are
// unchanged keeps its fingerprint without a read.
class PreviousFingerprints;
using PreviousFingerprintsReading = std::future<std::shared_ptr<PreviousFingerprints>>;

// Reads the file-list and side files of the record being replaced on a thread of its own, so
// that the scan's walk goes on meanwhile.
PreviousFingerprintsReading readPreviousFingerprints(const QString& fileList,
                                                     const QString& sideFile);

// The scan's last pass when fingerprints are asked for: the files of the file-list file just
// written are read and their fingerprints written to the side file.
struct FingerprintPassRequest
{
    QByteArray fileList; // the new file-list file
    QByteArray workFile; // the scan's work file: the real path of each folder line, in order
    QByteArray sideFile; // written by the pass
    // The record being replaced, when there is one, as readPreviousFingerprints() reads it.
    PreviousFingerprintsReading previous;
};

struct FingerprintPassResult
{
    enum class End
    {
        Done,
        Stopped,
        Failed // error and errorPath say why
    } end = End::Done;
    int error = 0;
    QByteArray errorPath;
    qint64 unreadable = 0; // files left without a fingerprint because they could not be read
};

// Reads the files on one thread per core (one thread for a spinning disk), while the calling
// thread shows "Fingerprinting file contents...", the bytes done and the time left, and
// watches for a stop, which the readers see within a few milliseconds.
FingerprintPassResult fingerprintFiles(FingerprintPassRequest request, Progress& progress);

// The message after a scan that could not read every file.
void reportUnreadable(Prompt& prompt, qint64 count);

} // namespace dovrin::copies
