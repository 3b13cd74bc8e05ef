#include "CatalogueTree.h"

#include "BoxImages.h"

#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace dovrin::ui {

namespace {

QIcon imageByKey(const QString& image)
{
    return platform::BoxImages::shared().icon(image);
}

// Where a child goes among siblings kept sorted by text (the user's locale, ignoring case).
int sortedPosition(const QTreeWidgetItem* parent, const QString& text)
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (collator.compare(parent->child(mid)->text(0), text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

constexpr int kSortedChildrenRole = Qt::UserRole + 10;

} // namespace

CatalogueTree::CatalogueTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("DDTree"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    setAnimated(false);
    // The one column fills the pane (so a selected row is highlighted across it) and grows
    // past it, with a scroll bar, for deep or long folder names.
    header()->setStretchLastSection(true);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

QIcon CatalogueTree::imageIcon(const QString& image, const QString& selectedImage) const
{
    const QIcon normal = imageByKey(image);
    if (selectedImage.isEmpty())
        return normal;
    // One icon whose Selected mode shows the second image: the view picks it for the
    // selected node by itself.
    QIcon icon;
    const QIcon selected = imageByKey(selectedImage);
    for (int size : {16, 22, 24, 32}) {
        icon.addPixmap(normal.pixmap(size, size), QIcon::Normal);
        icon.addPixmap(selected.pixmap(size, size), QIcon::Selected);
    }
    return icon;
}

QTreeWidgetItem* CatalogueTree::addNode(const QString& parentKey, const TreeNode& node)
{
    if (m_nodes.contains(node.key))
        return nullptr;
    QTreeWidgetItem* parent = nullptr;
    if (!parentKey.isEmpty()) {
        parent = m_nodes.value(parentKey);
        if (!parent)
            return nullptr;
    }

    auto* item = new QTreeWidgetItem;
    item->setText(0, node.text);
    item->setData(0, KeyRole, node.key);
    item->setData(0, TagRole, node.tag);
    item->setData(0, kSortedChildrenRole, node.sortedChildren);
    // Folder icons are shared by thousands of nodes; build the pair once.
    static QHash<QString, QIcon> iconCache;
    const QString iconKey = node.image + u'|' + node.selectedImage;
    auto it = iconCache.find(iconKey);
    if (it == iconCache.end())
        it = iconCache.insert(iconKey, imageIcon(node.image, node.selectedImage));
    item->setIcon(0, *it);

    if (!parent)
        addTopLevelItem(item);
    else if (parent->data(0, kSortedChildrenRole).toBool())
        parent->insertChild(sortedPosition(parent, node.text), item);
    else
        parent->addChild(item);
    m_nodes.insert(node.key, item);
    return item;
}

void CatalogueTree::forgetSubtree(QTreeWidgetItem* item)
{
    m_nodes.remove(keyOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forgetSubtree(item->child(i));
}

void CatalogueTree::removeNode(const QString& key)
{
    QTreeWidgetItem* item = m_nodes.value(key);
    if (!item)
        return;
    forgetSubtree(item);
    if (m_pressed == item)
        m_pressed = nullptr;
    delete item;
}

void CatalogueTree::clearNodes()
{
    m_nodes.clear();
    m_pressed = nullptr;
    clear();
}

QString CatalogueTree::keyOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

QString CatalogueTree::tagOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, TagRole).toString() : QString();
}

void CatalogueTree::setTag(QTreeWidgetItem* item, const QString& tag)
{
    item->setData(0, TagRole, tag);
}

QString CatalogueTree::selectedKey() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : keyOf(items.first());
}

QString CatalogueTree::selectedTag() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : tagOf(items.first());
}

void CatalogueTree::selectNode(const QString& key)
{
    QTreeWidgetItem* item = m_nodes.value(key);
    if (!item)
        return;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    setCurrentItem(item);
    scrollToItem(item);
}

int CatalogueTree::addFolders(const QString& diskKey, const QStringList& folderLines)
{
    const QString recordPath = diskKey.chopped(1);
    int added = 0;
    TreeNode folder;
    folder.image = QStringLiteral("closed");
    folder.selectedImage = QStringLiteral("open");
    folder.tag = tags::kFolder;
    for (const QString& line : folderLines) {
        const qsizetype p = line.lastIndexOf(u'\\');
        if (p == -1)
            continue;
        folder.text = line.mid(p + 1);
        if (folder.text.isEmpty())
            continue;
        // ":\Games\Saves" -> parent "<record path>\Games\", key "<record path>\Games\Saves\".
        const QString parentKey = recordPath + line.mid(1, p);
        folder.key = parentKey + folder.text + u'\\';
        if (addNode(parentKey, folder))
            ++added;
    }
    return added;
}

void CatalogueTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        // The right button selects the node under the pointer and asks for its menu;
        // on empty space it does nothing at all.
        if (topLevelItemCount() == 0)
            return;
        QTreeWidgetItem* item = itemAt(event->position().toPoint());
        if (!item)
            return;
        setCurrentItem(item);
        Q_EMIT contextMenuWanted(item, event->globalPosition().toPoint());
        return;
    }
    m_pressed = event->button() == Qt::LeftButton ? itemAt(event->position().toPoint()) : nullptr;
    QTreeWidget::mousePressEvent(event);
}

void CatalogueTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidgetItem* pressed = m_pressed;
    m_pressed = nullptr;
    QTreeWidget::mouseReleaseEvent(event);
    // A click on the expand button toggles the node without choosing it.
    if (event->button() == Qt::LeftButton && pressed &&
        itemAt(event->position().toPoint()) == pressed && pressed == currentItem())
        Q_EMIT nodeClicked(pressed);
}

void CatalogueTree::keyPressEvent(QKeyEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before)
        Q_EMIT nodeClicked(after);
}

} // namespace dovrin::ui
