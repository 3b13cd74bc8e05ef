#pragma once

#include "PageCanvas.h"

namespace dovrin::reports {

// The print position of a printout, as a line printer keeps it: texts are printed at an x
// position on the current line, ending a line moves down by the height of the current font,
// and a line that would not fit above the page's bottom starts a new page. No headings, no
// page numbers.
class PageLayout
{
public:
    explicit PageLayout(PageCanvas& canvas) : m_canvas(canvas) {}

    static constexpr const char* kFontFamily = "Times New Roman";

    void setFont(int points, bool bold);
    void setSize(int points) { setFont(points, m_font.bold); }

    // Prints text with its left edge at x, staying on the line.
    void print(int x, const QString& text);
    // Ends the line (an empty line when nothing was printed on it).
    void endLine();
    void printLine(int x, const QString& text)
    {
        print(x, text);
        endLine();
    }
    // The rule under a heading: 5 twips wide, from x 300, 50 below the current position,
    // 10700 long. The position moves to the rule's end.
    void rule();

    double y() const { return m_y; }
    bool failed() const { return m_canvas.failed(); }

private:
    void startLine();

    PageCanvas& m_canvas;
    PrintFont m_font{QLatin1String(kFontFamily), 12, false};
    double m_y = 0;
    bool m_lineStarted = false;
};

} // namespace dovrin::reports
