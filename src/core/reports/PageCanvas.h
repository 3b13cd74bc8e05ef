#pragma once

#include <QString>

namespace dovrin::reports {

struct PrintFont
{
    QString family;
    int points = 12;
    bool bold = false;
};

// Where a printout is drawn: a printer's pages or a PDF file. Every position and length is in
// twips (1440 to the inch) from the top left corner of the page's printable area.
class PageCanvas
{
public:
    virtual ~PageCanvas() = default;

    // The printable area's height.
    virtual double pageHeight() const = 0;
    // How far the print position moves down after a line in this font.
    virtual double lineHeight(const PrintFont& font) = 0;
    // Text whose top left corner stands at (x, y).
    virtual void text(double x, double y, const PrintFont& font, const QString& text) = 0;
    // A straight line in the foreground colour.
    virtual void line(double x1, double y1, double x2, double y2, double width) = 0;
    // Ends the page; drawing goes on at the top of the next.
    virtual void newPage() = 0;
    // True once drawing failed (the printer or the file refused); what follows is dropped.
    virtual bool failed() const = 0;
};

} // namespace dovrin::reports
