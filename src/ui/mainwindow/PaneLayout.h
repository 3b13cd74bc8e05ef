#pragma once

namespace dovrin::ui {

// The horizontal layout of the main window's panes, in twips: the tree from the left edge to
// the splitter bar, the bar, then the list with a fixed gap and right margin. Kept apart from
// the widgets so the rules can be reasoned about (and tested) as arithmetic.
struct PaneLayout
{
    static constexpr int kListGap = 70; // list's left edge, right of the bar's
    static constexpr int kListRightMargin = 130;
    static constexpr int kMinimumPane = 1000; // bar's left edge and list width while dragging
    static constexpr int kLocationInset = 3090;

    int treeWidth = 0;
    int barLeft = 0;
    int listLeft = 0;
    int listWidth = 0;

    // The layout at opening: the bar at `splitterLeft` in a window `innerWidth` wide.
    static PaneLayout opened(int splitterLeft, int innerWidth);

    // After a size change: the list keeps at least 1000, pushing the bar left if it must.
    void resize(int innerWidth);

    // A splitter drag by `dx` (offset of the pointer from the bar's left edge). Ignored as a
    // whole when the bar would fall below 1000 or the list below 1000 wide.
    bool drag(int dx);

    // Width of the location label.
    static int locationWidth(int innerWidth) { return innerWidth - kLocationInset; }
};

} // namespace dovrin::ui
