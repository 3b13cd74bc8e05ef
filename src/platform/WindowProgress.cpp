#include "WindowProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace dovrin::platform {

WindowProgress::WindowProgress(QLabel* statusLine, QLabel* detailLine, QProgressBar* bar)
    : m_lines{statusLine, detailLine}, m_bar(bar)
{
}

void WindowProgress::setStatus(int line, const QString& text)
{
    if (line < 0 || line > 1 || !m_lines[line])
        return;
    m_lines[line]->setText(text);
    // Shown before the slow step that follows, without letting other events in.
    m_lines[line]->repaint();
}

void WindowProgress::setValue(int value)
{
    if (!m_bar)
        return;
    m_bar->setValue(qBound(m_bar->minimum(), value, m_bar->maximum()));
    m_bar->repaint();
}

bool WindowProgress::yield()
{
    QCoreApplication::processEvents();
    return m_stop;
}

} // namespace dovrin::platform
