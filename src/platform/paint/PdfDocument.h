#pragma once

#include <QPdfWriter>
#include <QString>
#include <memory>

namespace dovrin::platform {

// A PDF file for a printout without a printer: the locale's paper (Letter where the locale
// measures in inches, else A4) with a printable area a quarter inch inside each edge, as on a
// typical desktop printer.
std::unique_ptr<QPdfWriter> openPdfDocument(const QString& path, const QString& title);

} // namespace dovrin::platform
