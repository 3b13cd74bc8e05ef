#pragma once

#include <QString>

namespace dovrin::ui {

// What the add dialog brings up to date in the main window once a disk is catalogued; the
// tree nodes and the disk count go through the database's view as for every other change.
class DiskBrowser
{
public:
    virtual ~DiskBrowser() = default;

    // The location label emptied, "Please wait..." in the second status panel, the list's
    // rows removed, the window repainted.
    virtual void prepareForDisk() = 0;
    // The disk's folders read into the tree below its node, the node scrolled into view and
    // selected.
    virtual void showDisk(const QString& diskKey) = 0;
    virtual void fillFileList(const QString& key) = 0;
    // The main window's help page.
    virtual void showHelp() = 0;
};

} // namespace dovrin::ui
