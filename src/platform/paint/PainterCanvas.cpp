#include "PainterCanvas.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

namespace dovrin::platform {

namespace {

constexpr double kTwipsPerInch = 1440;

} // namespace

PainterCanvas::PainterCanvas(QPagedPaintDevice& device) : m_device(device)
{
    m_failed = !m_painter.begin(&device);
    m_unitsPerTwipX = device.logicalDpiX() / kTwipsPerInch;
    m_unitsPerTwipY = device.logicalDpiY() / kTwipsPerInch;
}

PainterCanvas::~PainterCanvas()
{
    finish();
}

bool PainterCanvas::finish()
{
    if (!m_finished) {
        m_finished = true;
        if (m_painter.isActive() && !m_painter.end())
            m_failed = true;
    }
    return !m_failed;
}

double PainterCanvas::pageHeight() const
{
    return m_device.height() / m_unitsPerTwipY;
}

const PainterCanvas::Metrics& PainterCanvas::metrics(const reports::PrintFont& font)
{
    const QString key =
        font.family + u'/' + QString::number(font.points) + (font.bold ? u'b' : u'r');
    auto it = m_metrics.find(key);
    if (it == m_metrics.end()) {
        QFont f(font.family);
        f.setPointSize(font.points);
        f.setBold(font.bold);
        const QFontMetricsF fm(f, &m_device);
        it = m_metrics.insert(key, {f, fm.ascent(), fm.height() / m_unitsPerTwipY});
    }
    return *it;
}

double PainterCanvas::lineHeight(const reports::PrintFont& font)
{
    return metrics(font).height;
}

QPointF PainterCanvas::toDevice(double x, double y) const
{
    return {x * m_unitsPerTwipX, y * m_unitsPerTwipY};
}

void PainterCanvas::text(double x, double y, const reports::PrintFont& font, const QString& text)
{
    if (m_failed)
        return;
    const Metrics& m = metrics(font);
    m_painter.setFont(m.font);
    m_painter.setPen(Qt::black);
    m_painter.drawText(toDevice(x, y) + QPointF(0, m.ascent), text);
}

void PainterCanvas::line(double x1, double y1, double x2, double y2, double width)
{
    if (m_failed)
        return;
    QPen pen(Qt::black);
    pen.setWidthF(width * m_unitsPerTwipY);
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    m_painter.drawLine(toDevice(x1, y1), toDevice(x2, y2));
}

void PainterCanvas::newPage()
{
    if (!m_failed && !m_device.newPage())
        m_failed = true;
}

} // namespace dovrin::platform
