#include "DiskTable.h"

namespace dovrin {

void DiskTable::append(const DiskEntry& entry)
{
    if (!isFull())
        m_entries.append(entry);
}

void DiskTable::remove(int index)
{
    if (index >= 1 && index <= count())
        m_entries.removeAt(index - 1);
}

} // namespace dovrin
