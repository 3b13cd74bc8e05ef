#pragma once

#include <QByteArray>
#include <QString>
#include <QTest>

namespace dovrin::test {

// Makes one system call fail, the way a full disk, a pulled cable or a bad sector would, so
// that the error paths around every call can be reached. Only calls on paths below the root,
// and on descriptors opened there, count. A test using this gets these functions in place of
// the C library's.
enum class Call
{
    Open,
    Read,
    Write,
    Fsync,
    Close,
    Rename,
    Unlink,
    Stat
};

class Fault
{
public:
    Fault(const QByteArray& root, Call call, int nth) : m_root(root), m_call(call), m_nth(nth) {}

    // Runs `operation` with the nth counted call of the kind failing with EIO; a read fails
    // from the nth on.
    template <typename Operation> auto during(Operation&& operation)
    {
        arm();
        const Disarm disarm{this};
        return operation();
    }
    // Whether the nth call came: when not, a later n gives a run without any fault.
    bool hit() const { return m_hit; }
    Call call() const { return m_call; }
    // For messages: the call, n, and what the operation said.
    QByteArray where(const QString& said) const;

private:
    struct Disarm
    {
        Fault* fault;
        ~Disarm() { fault->disarm(); }
    };
    void arm();
    void disarm();

    QByteArray m_root;
    Call m_call;
    int m_nth;
    bool m_hit = false;
};

// While it lives, every folder listing gives its entries without their types, as some network
// and older file systems do, so that each entry must be examined to tell a folder from a file.
class EntryTypesHidden
{
public:
    EntryTypesHidden();
    ~EntryTypesHidden();
    EntryTypesHidden(const EntryTypesHidden&) = delete;
    EntryTypesHidden& operator=(const EntryTypesHidden&) = delete;
};

// Calls attempt(fault) for every kind of call and every n from 1, up to and including the
// first attempt that its fault never reached, so the last attempt of each kind ran whole.
template <typename Attempt> void forEachFailingCall(const QString& root, Attempt&& attempt)
{
    for (Call call : {Call::Open, Call::Read, Call::Write, Call::Fsync, Call::Close, Call::Rename,
                      Call::Unlink, Call::Stat}) {
        for (int nth = 1;; ++nth) {
            Fault fault(root.toUtf8(), call, nth);
            attempt(fault);
            if (QTest::currentTestFailed())
                return;
            if (!fault.hit())
                break;
        }
    }
}

} // namespace dovrin::test
