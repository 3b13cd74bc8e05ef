#include "PdfText.h"

#include <QProcess>
#include <QRegularExpression>
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

} // namespace dovrin::test
