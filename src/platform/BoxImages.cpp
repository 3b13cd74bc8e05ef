#include "BoxImages.h"

namespace dovrin::platform {

BoxImages& BoxImages::shared()
{
    static BoxImages images;
    return images;
}

int BoxImages::add(const QString& key, const QIcon& icon)
{
    if (const int existing = indexOf(key))
        return existing;
    m_icons.append(icon);
    m_keys.append(key);
    const int index = int(m_icons.size());
    m_indexByKey.insert(key, index);
    return index;
}

QIcon BoxImages::icon(int index) const
{
    return index >= 1 && index <= m_icons.size() ? m_icons[index - 1] : QIcon();
}

QString BoxImages::key(int index) const
{
    return index >= 1 && index <= m_keys.size() ? m_keys[index - 1] : QString();
}

} // namespace dovrin::platform
