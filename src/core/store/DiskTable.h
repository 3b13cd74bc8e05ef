#pragma once

#include <QString>
#include <QVector>

namespace dovrin {

// One loaded disk: the record path and the info file's lines 2 to 5.
struct DiskEntry
{
    QString path;      // record path: Holidays\Photos or .\Photos
    QString source;    // where it was catalogued from, ending with a separator
    QString freeSpace; // "1234.56MB"
    QString date;      // when it was catalogued, in the cataloguing user's locale
    qint16 foldersOnly = 0;
};

// The disks loaded from the database folder, indexed from 1 in load order.
class DiskTable
{
public:
    static constexpr int kCapacity = 1000;

    int count() const { return int(m_entries.size()); }
    bool isFull() const { return count() >= kCapacity; }
    const DiskEntry& at(int index) const { return m_entries.at(index - 1); }
    DiskEntry& at(int index) { return m_entries[index - 1]; }

    // Appends; nothing is added when the table is full (callers check isFull() first to say so).
    void append(const DiskEntry& entry);
    // Removes entry `index`; the later entries move down by one.
    void remove(int index);
    void clear() { m_entries.clear(); }

    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

private:
    QVector<DiskEntry> m_entries;
};

} // namespace dovrin
