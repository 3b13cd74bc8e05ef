#include "PdfDocument.h"

#include <QLocale>
#include <QPageLayout>

namespace dovrin::platform {

std::unique_ptr<QPdfWriter> openPdfDocument(const QString& path, const QString& title)
{
    auto writer = std::make_unique<QPdfWriter>(path);
    const bool inches = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    writer->setPageLayout(QPageLayout(QPageSize(inches ? QPageSize::Letter : QPageSize::A4),
                                      QPageLayout::Portrait, QMarginsF(0.25, 0.25, 0.25, 0.25),
                                      QPageLayout::Inch));
    writer->setResolution(1200);
    writer->setTitle(title);
    writer->setCreator(QStringLiteral("Dovrin"));
    return writer;
}

} // namespace dovrin::platform
