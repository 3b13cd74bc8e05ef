#pragma once

#include "common/DisplayFormat.h"

#include <QDateTime>
#include <QString>

namespace dovrin {
class DatabaseFolder;
class DiskTable;
} // namespace dovrin

namespace dovrin::reports {

class PageCanvas;
class PageLayout;

// The title line that every printout begins with, at the top of the first page.
void printTitle(PageLayout& layout);

// The three printouts of the catalogue: the list of disks, a disk's folder tree, and a disk's
// contents with the file comments. All bold, under a 36-point title and a 24-point head.
class CataloguePrintout
{
public:
    enum class Kind
    {
        DiskList,
        Tree,
        Contents
    };

    // The font sizes the body can be printed in.
    static const QList<int>& bodySizes();
    static constexpr int kDefaultBodySize = 12;

    CataloguePrintout(const DatabaseFolder& folder, const DiskTable& disks,
                      const DisplayFormat& format = DisplayFormat());

    // The moment on the "Printed:" line; the current time when not set.
    void setPrinted(const QDateTime& when) { m_printed = when; }

    // Draws the printout; `recordPath` names the disk of a tree or contents printout. False
    // when the canvas failed or the disk's record file could not be read.
    bool print(PageCanvas& canvas, Kind kind, const QString& recordPath, int bodySize) const;

private:
    void printDiskList(PageLayout& layout) const;
    bool printTree(PageLayout& layout, const QString& recordPath) const;
    bool printContents(PageLayout& layout, const QString& recordPath) const;

    const DatabaseFolder& m_folder;
    const DiskTable& m_disks;
    DisplayFormat m_format;
    QDateTime m_printed;
};

} // namespace dovrin::reports
