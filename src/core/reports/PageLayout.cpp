#include "PageLayout.h"

namespace dovrin::reports {

namespace {

constexpr int kRuleLeft = 300;
constexpr int kRuleBelow = 50;
constexpr int kRuleLength = 10700;
constexpr int kRuleWidth = 5;

} // namespace

void PageLayout::setFont(int points, bool bold)
{
    m_font.points = points;
    m_font.bold = bold;
}

void PageLayout::startLine()
{
    if (m_lineStarted)
        return;
    m_lineStarted = true;
    if (m_y > 0 && m_y + m_canvas.lineHeight(m_font) > m_canvas.pageHeight()) {
        m_canvas.newPage();
        m_y = 0;
    }
}

void PageLayout::print(int x, const QString& text)
{
    startLine();
    if (!text.isEmpty())
        m_canvas.text(x, m_y, m_font, text);
}

void PageLayout::endLine()
{
    startLine();
    m_y += m_canvas.lineHeight(m_font);
    m_lineStarted = false;
}

void PageLayout::rule()
{
    m_y += kRuleBelow;
    m_canvas.line(kRuleLeft, m_y, kRuleLeft + kRuleLength, m_y, kRuleWidth);
}

} // namespace dovrin::reports
