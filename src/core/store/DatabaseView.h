#pragma once

#include <QString>

namespace dovrin {

// A node of the catalogue tree, as data.
struct TreeNode
{
    QString key;
    QString text;
    QString image;         // "catalogue", "disk", "closed"
    QString selectedImage; // "open" for folders, else empty
    QString tag;           // "CAT", "DISK", "DISKIN", "FOLDER"
    bool sortedChildren = false;
};

namespace tags {
inline const QString kCatalogue = QStringLiteral("CAT");
inline const QString kDisk = QStringLiteral("DISK");
inline const QString kDiskRead = QStringLiteral("DISKIN");
inline const QString kFolder = QStringLiteral("FOLDER");
inline const QString kFile = QStringLiteral("FILE");
} // namespace tags

// What loading and changing the database shows: the main window implements it with its tree,
// file list and status bar; the command-line tool and the tests with plain data.
class DatabaseView
{
public:
    virtual ~DatabaseView() = default;

    virtual void clearTree() = 0;
    // parentKey empty: a top-level node.
    virtual void addNode(const QString& parentKey, const TreeNode& node) = 0;
    // Removes the node with everything below it; unknown keys are ignored.
    virtual void removeNode(const QString& key) = 0;
    virtual void clearFileList() = 0;
    // The first panel of the status bar; shown at once.
    virtual void setStatusText(const QString& text) = 0;
};

} // namespace dovrin
