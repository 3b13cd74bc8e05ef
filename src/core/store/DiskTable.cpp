#include "DiskTable.h"

namespace dovrin {

bool DiskTable::append(const DiskEntry& entry)
{
    if (isFull())
        return false;
    m_entries.append(entry);
    return true;
}

void DiskTable::remove(int index)
{
    if (index >= 1 && index <= count())
        m_entries.removeAt(index - 1);
}

} // namespace dovrin
