#pragma once

#include "common/Progress.h"

#include <QStringList>
#include <functional>

namespace dovrin::test {

// Records status texts and values; can stop the job at the n-th yield or on a status text.
class RecordingProgress final : public Progress
{
public:
    void setStatus(int line, const QString& text) override;
    void setValue(int value) override { m_values.append(value); }
    bool yield() override;
    bool stopRequested() const override { return m_stop; }
    void requestStop() override { m_stop = true; }

    // Stop when yield() is called for the n-th time (1-based).
    void stopAtYield(int n) { m_stopAtYield = n; }
    // Called on every yield; return true to stop.
    std::function<bool(int yieldCount)> onYield;
    // Called on every status text, after it is recorded.
    std::function<void(int line, const QString& text)> onStatus;

    QStringList statuses[2];
    const QList<int>& values() const { return m_values; }
    int yieldCount() const { return m_yields; }

private:
    QList<int> m_values;
    int m_yields = 0;
    int m_stopAtYield = 0;
    bool m_stop = false;
};

} // namespace dovrin::test
