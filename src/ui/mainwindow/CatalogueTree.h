#pragma once

#include "store/DatabaseView.h"

#include <QHash>
#include <QTreeWidget>

namespace dovrin::ui {

// The catalogue tree: catalogue, disk, placeholder and folder nodes, each with a unique key
// and a tag telling its kind. Emits the tree's three user events; the main window acts on them.
class CatalogueTree final : public QTreeWidget
{
    Q_OBJECT

public:
    enum Role
    {
        KeyRole = Qt::UserRole + 1,
        TagRole
    };

    explicit CatalogueTree(QWidget* parent = nullptr);

    // Nodes. An unknown parent key puts nothing in; a key already present is not added twice.
    QTreeWidgetItem* addNode(const QString& parentKey, const TreeNode& node);
    void removeNode(const QString& key);
    void clearNodes();
    QTreeWidgetItem* node(const QString& key) const { return m_nodes.value(key); }

    static QString keyOf(const QTreeWidgetItem* item);
    static QString tagOf(const QTreeWidgetItem* item);
    void setTag(QTreeWidgetItem* item, const QString& tag);

    // The selected node's key and tag, empty when nothing is selected.
    QString selectedKey() const;
    QString selectedTag() const;
    // Selects the node (opening its parents) without raising nodeClicked.
    void selectNode(const QString& key);

    // Adds the folders of a disk from its tree file lines (":\Games", ":\Games\Saves").
    // A line without "\", a folder already present or a folder whose parent is missing is
    // skipped. Returns how many folders were added.
    int addFolders(const QString& diskKey, const QStringList& folderLines);

Q_SIGNALS:
    // A node was chosen with the mouse or the keyboard.
    void nodeClicked(QTreeWidgetItem* item);
    // The right button was pressed on a node, which is now selected.
    void contextMenuWanted(QTreeWidgetItem* item, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QIcon imageIcon(const QString& image, const QString& selectedImage) const;
    void forgetSubtree(QTreeWidgetItem* item);

    QHash<QString, QTreeWidgetItem*> m_nodes;
    QTreeWidgetItem* m_pressed = nullptr;
};

} // namespace dovrin::ui
