#pragma once

#include "common/Progress.h"

#include <QPointer>

class QLabel;
class QProgressBar;

namespace dovrin::platform {

// Progress shown in a dialog: status lines in labels, the value in a progress bar, and a stop
// flag that the dialog's Cancel button or close box sets through requestStop(). yield() lets
// the window handle pending events, so those buttons work while the job runs.
class WindowProgress final : public Progress
{
public:
    WindowProgress(QLabel* statusLine, QLabel* detailLine, QProgressBar* bar);

    void setStatus(int line, const QString& text) override;
    void setValue(int value) override;
    bool yield() override;
    bool stayResponsive() override { return yield(); }
    bool stopRequested() const override { return m_stop; }
    void requestStop() override { m_stop = true; }

    // Clears the stop flag for the next job.
    void reset() { m_stop = false; }

private:
    QPointer<QLabel> m_lines[2];
    QPointer<QProgressBar> m_bar;
    bool m_stop = false;
};

} // namespace dovrin::platform
