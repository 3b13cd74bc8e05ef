#include "PaneLayout.h"

namespace dovrin::ui {

PaneLayout PaneLayout::opened(int splitterLeft, int innerWidth)
{
    PaneLayout layout;
    layout.barLeft = splitterLeft;
    layout.treeWidth = splitterLeft;
    layout.listLeft = splitterLeft + kListGap;
    layout.listWidth = innerWidth - kListGap - splitterLeft;
    layout.resize(innerWidth);
    return layout;
}

void PaneLayout::resize(int innerWidth)
{
    if (innerWidth - listLeft < kMinimumPane) {
        listLeft = innerWidth - kMinimumPane;
        barLeft = listLeft - kListGap;
        treeWidth = barLeft;
    }
    listWidth = innerWidth - listLeft - kListRightMargin;
}

bool PaneLayout::drag(int dx)
{
    if (barLeft + dx < kMinimumPane || listWidth - dx < kMinimumPane)
        return false;
    treeWidth += dx;
    barLeft += dx;
    listLeft += dx;
    listWidth -= dx;
    return true;
}

} // namespace dovrin::ui
