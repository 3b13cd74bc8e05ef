// The fingerprint side file of a disk: the input's bytes after its first NUL byte are the
// side file's lines, the bytes before it the file-list file they belong to. The head is made
// for that file list, so the fuzzer reaches the lines under it. What is read holds one entry
// per file line, and what the writer makes of it reads back the same.
#include "FuzzSupport.h"
#include "copies/FingerprintFile.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    fuzz::ScratchFolder& scratch = fuzz::ScratchFolder::instance();
    scratch.clear();
    const QList<QByteArrayView> parts = fuzz::split(data, '\0', 2);
    const QByteArrayView fileList = parts.first();
    QByteArray side = copies::fingerprintFileBytes(fileList, {});
    if (parts.size() > 1)
        side.append(parts[1]);
    scratch.write(QStringLiteral("D.fp"), side);

    const std::optional<copies::Fingerprints> read =
        copies::readFingerprintFile(scratch.path(QStringLiteral("D.fp")), fileList);
    if (!read)
        return;
    const copies::Fingerprints none(read->size());
    scratch.write(QStringLiteral("none.fp"), copies::fingerprintFileBytes(fileList, none));
    fuzz::require(copies::readFingerprintFile(scratch.path(QStringLiteral("none.fp")), fileList)
                          .value_or(copies::Fingerprints{}) == none,
                  "a side file of the same length without fingerprints reads otherwise");
    scratch.write(QStringLiteral("again.fp"), copies::fingerprintFileBytes(fileList, *read));
    fuzz::require(copies::readFingerprintFile(scratch.path(QStringLiteral("again.fp")), fileList) ==
                      read,
                  "a written side file reads back otherwise");
}
