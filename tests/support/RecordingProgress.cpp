#include "RecordingProgress.h"

namespace dovrin::test {

void RecordingProgress::setStatus(int line, const QString& text)
{
    statuses[line == 0 ? 0 : 1].append(text);
    if (onStatus)
        onStatus(line, text);
}

bool RecordingProgress::yield()
{
    ++m_yields;
    if (m_stopAtYield > 0 && m_yields == m_stopAtYield)
        m_stop = true;
    if (onYield && onYield(m_yields))
        m_stop = true;
    return m_stop;
}

} // namespace dovrin::test
