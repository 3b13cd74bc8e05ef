#pragma once

#include "Fingerprint.h"
#include "store/RecordFiles.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace dovrin::copies {

// The fingerprints of a disk's files live beside its record files in a file of their own, the
// record path followed by ".fp", so the three record files stay as they are:
//
//     Dovrin fingerprints XXH3-128
//     <bytes of the file-list file> <XXH3-128 of the file-list file>
//     <32 hexadecimal digits, or "-" for a file without one>   (one line per file line)
//
// Lines end with CR LF. The second line ties the file to the exact file-list file it was made
// for: a side file left behind by a program that catalogued the disk again without
// fingerprints no longer matches and is ignored.
using dovrin::kFingerprintSuffix;

// One entry per file line of the file-list file, in its order.
using Fingerprints = std::vector<std::optional<Fingerprint>>;

QByteArray fingerprintFileBytes(QByteArrayView fileList, const Fingerprints& fingerprints);
// The fingerprints for `fileList` (the file-list file's bytes); nullopt when the side file is
// missing, unreadable, malformed or made for other bytes.
std::optional<Fingerprints> readFingerprintFile(const QString& nativePath, QByteArrayView fileList);

} // namespace dovrin::copies
