#pragma once

#include <QString>

namespace dovrin {

// How a long job (a scan, a search, a load) reports and lets the user stop it.
// The windows repaint labels and process pending events, the command-line tool draws a bar
// on stderr and watches Ctrl+C, the tests record the calls and cancel on cue.
class Progress
{
public:
    virtual ~Progress() = default;

    // A status line changed; it is shown at once. Line 0 is the main status, line 1 the detail.
    virtual void setStatus(int line, const QString& text) = 0;
    // The progress value, 0 to 100.
    virtual void setValue(int value) = 0;
    // Let the user act (process pending events). Returns true when the user asked to stop.
    virtual bool yield() = 0;
    // As `count` calls of yield() in a row with no work between them; a reporter for which
    // one look at the user is as good as many may answer them at once. Returns true when the
    // user asked to stop.
    virtual bool yieldMany(int count)
    {
        for (; count > 0; --count) {
            if (yield())
                return true;
        }
        return false;
    }
    // True once the user asked to stop; checking it never processes events.
    virtual bool stopRequested() const = 0;
    // The job waits for its worker threads: let the user act, as yield() does, but outside
    // the job's own points of yielding (nothing counts it as one). Returns true when the
    // user asked to stop.
    virtual bool stayResponsive() { return stopRequested(); }
    // The job itself decided to stop (for example on a Cancel answer to a problem message).
    virtual void requestStop() = 0;
};

// Reports nowhere and never stops unless asked to.
class NullProgress : public Progress
{
public:
    void setStatus(int, const QString&) override {}
    void setValue(int) override {}
    bool yield() override { return m_stop; }
    bool stopRequested() const override { return m_stop; }
    void requestStop() override { m_stop = true; }

private:
    bool m_stop = false;
};

} // namespace dovrin
