#include "CliSupport.h"

#include <QDateTime>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace dovrin::cli {

namespace {

std::atomic<int> g_interrupts{0};

void onInterrupt(int)
{
    if (g_interrupts.fetch_add(1) >= 1)
        _exit(130);
}

} // namespace

TerminalProgress::TerminalProgress() : m_terminal(isatty(STDERR_FILENO))
{
    g_interrupts = 0;
    struct sigaction action
    {
    };
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

TerminalProgress::~TerminalProgress()
{
    finish();
    std::signal(SIGINT, SIG_DFL);
}

void TerminalProgress::setStatus(int line, const QString& text)
{
    if (line != 0)
        return;
    m_status = text;
    draw();
}

void TerminalProgress::setValue(int value)
{
    m_value = value;
    draw();
}

bool TerminalProgress::yield()
{
    return stopRequested();
}

bool TerminalProgress::stopRequested() const
{
    return g_interrupts.load() > 0;
}

void TerminalProgress::requestStop()
{
    g_interrupts.fetch_add(1);
}

void TerminalProgress::draw()
{
    if (!m_terminal)
        return;
    // Drawing is cheap, but a terminal flooded with redraws is not.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_drawn && now - m_lastDraw < 100)
        return;
    m_lastDraw = now;
    constexpr int kWidth = 30;
    const int filled = qBound(0, m_value, 100) * kWidth / 100;
    const QByteArray status = m_status.left(45).toUtf8();
    std::fprintf(stderr, "\r[%-*s] %3d%% %-45s", kWidth, QByteArray(filled, '#').constData(),
                 m_value, status.constData());
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::finish()
{
    if (m_drawn) {
        std::fprintf(stderr, "\r%*s\r", 85, "");
        std::fflush(stderr);
        m_drawn = false;
    }
}

} // namespace dovrin::cli
