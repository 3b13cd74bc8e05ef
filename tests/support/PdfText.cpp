#include "PdfText.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace dovrin::test {

namespace {

bool run(const QString& program, const QStringList& args, QByteArray& out)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning("%s failed (poppler-utils is needed): %s", qPrintable(program),
                 process.readAllStandardError().constData());
        return false;
    }
    out = process.readAllStandardOutput();
    return true;
}

} // namespace

QList<PdfWord> pdfWords(const QString& pdfPath)
{
    QList<PdfWord> words;
    QByteArray html;
    if (!run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")},
             html))
        return words;
    static const QRegularExpression tag(
        QStringLiteral(R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re"));
    int page = 0;
    for (const QRegularExpressionMatch& m : tag.globalMatch(QString::fromUtf8(html))) {
        if (m.captured(1).isEmpty()) {
            ++page;
            continue;
        }
        words.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    // Line by line: pdftotext reads columns of text one after the other.
    std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (qRound(a.y * 10) != qRound(b.y * 10))
            return a.y < b.y;
        return a.x < b.x;
    });
    return words;
}

qsizetype findText(const QList<PdfWord>& words, const QString& text, qsizetype from)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = from; i + parts.size() <= words.size(); ++i) {
        bool all = true;
        for (qsizetype k = 0; k < parts.size() && all; ++k)
            all = words[i + k].text == parts[k] && words[i + k].y == words[i].y;
        if (all)
            return i;
    }
    return -1;
}

bool findRule(const QString& pdfPath, int page, PdfRule& rule)
{
    constexpr int kPixelsPerPoint = 4;
    QTemporaryDir dir;
    QByteArray ignored;
    const QString base = dir.filePath(QStringLiteral("page"));
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(72 * kPixelsPerPoint),
              QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
              QString::number(page), QStringLiteral("-singlefile"), pdfPath, base},
             ignored))
        return false;
    QFile file(base + QStringLiteral(".pgm"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // P5 header: magic, width, height, maximum, then one byte per pixel.
    QList<QByteArray> header;
    while (header.size() < 4) {
        const QByteArray line = file.readLine().trimmed();
        for (const QByteArray& field : line.split(' '))
            if (!field.isEmpty())
                header.append(field);
    }
    const int width = header[1].toInt();
    const int height = header[2].toInt();
    const QByteArray pixels = file.read(qint64(width) * height);
    // The longest run of dark pixels on any row.
    int bestRow = -1, bestStart = 0, bestLength = 0;
    for (int row = 0; row < height; ++row) {
        const auto* p = reinterpret_cast<const uchar*>(pixels.constData()) + qsizetype(row) * width;
        for (int x = 0; x < width;) {
            if (p[x] >= 160) {
                ++x;
                continue;
            }
            int end = x;
            while (end < width && p[end] < 160)
                ++end;
            if (end - x > bestLength) {
                bestRow = row;
                bestStart = x;
                bestLength = end - x;
            }
            x = end;
        }
    }
    // A rule is far longer than any letter.
    if (bestLength < 100 * kPixelsPerPoint)
        return false;
    rule = {double(bestStart) / kPixelsPerPoint, double(bestStart + bestLength) / kPixelsPerPoint,
            double(bestRow) / kPixelsPerPoint};
    return true;
}

} // namespace dovrin::test
