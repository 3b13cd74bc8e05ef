#pragma once

#include <QList>
#include <QString>

namespace dovrin::test {

// A word of a PDF file as pdftotext -bbox (poppler-utils) finds it, in points from the
// page's top left corner.
struct PdfWord
{
    int page = 0; // from 1
    double x = 0;
    double y = 0;
    QString text;
};

// The words of every page, line by line from the top and left to right on a line; none when
// pdftotext cannot run.
QList<PdfWord> pdfWords(const QString& pdfPath);
// The word that begins `text` on its line (the first word of the text), searched from `from`.
qsizetype findText(const QList<PdfWord>& words, const QString& text, qsizetype from = 0);

} // namespace dovrin::test
