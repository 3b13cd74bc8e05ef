#include "MemoryTree.h"

#include <QSet>

namespace dovrin {

void MemoryTree::addNode(const QString& parentKey, const TreeNode& node)
{
    m_entries.append({parentKey, node});
}

void MemoryTree::removeNode(const QString& key)
{
    if (!find(key))
        return;
    // Parents always come before their children, so one pass collects the whole subtree.
    QSet<QString> doomed{key};
    for (const Entry& e : std::as_const(m_entries)) {
        if (doomed.contains(e.parentKey))
            doomed.insert(e.node.key);
    }
    m_entries.removeIf([&](const Entry& e) { return doomed.contains(e.node.key); });
}

const TreeNode* MemoryTree::find(const QString& key) const
{
    for (const Entry& e : m_entries) {
        if (e.node.key == key)
            return &e.node;
    }
    return nullptr;
}

QStringList MemoryTree::childKeys(const QString& parentKey) const
{
    QStringList out;
    for (const Entry& e : m_entries) {
        if (e.parentKey == parentKey)
            out.append(e.node.key);
    }
    return out;
}

} // namespace dovrin
