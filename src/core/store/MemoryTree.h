#pragma once

#include "DatabaseView.h"

#include <QList>
#include <QStringList>

namespace dovrin {

// The catalogue tree as plain data, for the command-line tool and the tests. Nodes keep the
// order in which they were added; nothing is sorted.
class MemoryTree final : public DatabaseView
{
public:
    struct Entry
    {
        QString parentKey; // empty at the top level
        TreeNode node;
    };

    void clearTree() override { m_entries.clear(); }
    void addNode(const QString& parentKey, const TreeNode& node) override;
    void removeNode(const QString& key) override;
    void clearFileList() override {}
    void setStatusText(const QString& text) override { m_statusTexts.append(text); }

    const QList<Entry>& entries() const { return m_entries; }
    // The node with this key, or nullptr.
    const TreeNode* find(const QString& key) const;
    // Keys of the children of a node ("" for the top level), in the order added.
    QStringList childKeys(const QString& parentKey) const;

    const QStringList& statusTexts() const { return m_statusTexts; }

private:
    QList<Entry> m_entries;
    QStringList m_statusTexts;
};

} // namespace dovrin
