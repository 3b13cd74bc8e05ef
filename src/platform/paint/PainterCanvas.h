#pragma once

#include "reports/PageCanvas.h"

#include <QHash>
#include <QPainter>

class QPagedPaintDevice;

namespace dovrin::platform {

// Draws a printout on a printer or a PDF writer through QPainter. Twips become device units
// by the device's resolution (1440 twips to the inch); the painter's origin is the top left
// corner of the printable area.
class PainterCanvas final : public reports::PageCanvas
{
public:
    // Starts the document; failed() tells whether the device could be opened.
    explicit PainterCanvas(QPagedPaintDevice& device);
    ~PainterCanvas() override;
    PainterCanvas(const PainterCanvas&) = delete;
    PainterCanvas& operator=(const PainterCanvas&) = delete;

    double pageHeight() const override;
    double lineHeight(const reports::PrintFont& font) override;
    void text(double x, double y, const reports::PrintFont& font, const QString& text) override;
    void line(double x1, double y1, double x2, double y2, double width) override;
    void newPage() override;
    bool failed() const override { return m_failed; }

    // Ends the document, which sends it to the printer or the file. False when anything failed.
    bool finish();

private:
    struct Metrics
    {
        QFont font;
        double ascent; // device units
        double height; // twips
    };
    const Metrics& metrics(const reports::PrintFont& font);
    QPointF toDevice(double x, double y) const;

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    double m_unitsPerTwipX = 1;
    double m_unitsPerTwipY = 1;
    bool m_failed = false;
    bool m_finished = false;
    QHash<QString, Metrics> m_metrics;
};

} // namespace dovrin::platform
