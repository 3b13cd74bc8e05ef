#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

namespace dovrin::test {

// A desktop of its own in a temporary folder, for code that asks GIO which program opens a
// file: the XDG variables point there, a tiny MIME database knows *.txt (text/plain) and
// *.html (text/html), and two registered applications, "editor" for text/plain and "browser"
// for text/html, are scripts that write the arguments they were given to <name>.args.
// Make it before anything asks GIO: GIO reads the folders once.
class FakeDesktop
{
public:
    FakeDesktop();

    QString path(const QString& name) const { return m_dir.filePath(name); }
    // The arguments an application got at its last start, as their bytes; waits up to 5 s.
    QList<QByteArray> arguments(const QString& application) const;
    void clearArguments(const QString& application) const;

    // A script that writes "$0" and its arguments to <name>.args: a program of its own.
    void writeProgram(const QByteArray& nativePath, const QString& name) const;

private:
    QTemporaryDir m_dir;
};

} // namespace dovrin::test
