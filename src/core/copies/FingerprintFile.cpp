#include "FingerprintFile.h"

#include "ListLines.h"
#include "store/RecordText.h"

#include <QFile>

namespace dovrin::copies {

namespace {

constexpr QByteArrayView kMagic = "Dovrin fingerprints XXH3-128";

QByteArray identity(QByteArrayView fileList)
{
    return QByteArray::number(fileList.size()) + ' ' + Fingerprint::of(fileList).hex();
}

qsizetype fileLineCount(QByteArrayView fileList)
{
    ListLines lines(fileList);
    ListLine line;
    qsizetype count = 0;
    while (lines.next(line))
        count += line.folder ? 0 : 1;
    return count;
}

} // namespace

QByteArray fingerprintFileBytes(QByteArrayView fileList, const Fingerprints& fingerprints)
{
    QByteArray out;
    out.reserve(64 + qsizetype(fingerprints.size()) * 34);
    out.append(kMagic).append(kLineEnd);
    out.append(identity(fileList)).append(kLineEnd);
    for (const std::optional<Fingerprint>& print : fingerprints) {
        if (print)
            print->appendHex(out);
        else
            out.append('-');
        out.append(kLineEnd);
    }
    return out;
}

std::optional<Fingerprints> readFingerprintFile(const QString& nativePath, QByteArrayView fileList)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.readAll();
    LineReader lines(data);
    QByteArrayView line;
    if (!lines.next(line) || line != kMagic || !lines.next(line) || line != identity(fileList))
        return std::nullopt;
    const qsizetype expected = fileLineCount(fileList);
    Fingerprints fingerprints;
    fingerprints.reserve(size_t(expected));
    while (lines.next(line)) {
        if (line == "-") {
            fingerprints.emplace_back();
            continue;
        }
        const std::optional<Fingerprint> print = Fingerprint::fromHex(line);
        if (!print || qsizetype(fingerprints.size()) == expected)
            return std::nullopt;
        fingerprints.push_back(print);
    }
    if (qsizetype(fingerprints.size()) != expected)
        return std::nullopt;
    return fingerprints;
}

} // namespace dovrin::copies
