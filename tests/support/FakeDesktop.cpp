#include "FakeDesktop.h"

#include "TestFiles.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <sys/stat.h>

namespace dovrin::test {

namespace {

QByteArray argumentWriter(const QString& argsFile)
{
    // Each argument NUL-terminated; written aside, then moved, so a reader sees all or nothing.
    const QByteArray out = QFile::encodeName(argsFile);
    return "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\0' \"$a\"; done > '" + out +
           ".part'\nmv '" + out + ".part' '" + out + "'\n";
}

} // namespace

FakeDesktop::FakeDesktop()
{
    const QString data = path(QStringLiteral("data"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(path(QStringLiteral("system"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("config"))));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path(QStringLiteral("system-config"))));
    writeFile(data + QStringLiteral("/mime/globs2"), "50:text/plain:*.txt\n50:text/html:*.html\n");
    writeFile(path(QStringLiteral("config/mimeapps.list")),
              "[Default Applications]\ntext/plain=dovrin-test-editor.desktop\n"
              "text/html=dovrin-test-browser.desktop\n");
    for (const char* name : {"editor", "browser"}) {
        const QString app = QLatin1String(name);
        const QString script = path(app);
        writeFile(script, argumentWriter(path(app + QStringLiteral(".args"))));
        ::chmod(QFile::encodeName(script).constData(), 0755);
        writeFile(data + QStringLiteral("/applications/dovrin-test-") + app +
                      QStringLiteral(".desktop"),
                  "[Desktop Entry]\nType=Application\nName=Test " + app.toUtf8() +
                      "\nExec=" + QFile::encodeName(script) +
                      (app == QLatin1String("editor") ? " %f" : " %u") + "\nMimeType=" +
                      (app == QLatin1String("editor") ? "text/plain" : "text/html") + ";\n");
    }
}

QList<QByteArray> FakeDesktop::arguments(const QString& application) const
{
    const QString file = path(application + QStringLiteral(".args"));
    QDeadlineTimer deadline(5000);
    while (!QFile::exists(file) && !deadline.hasExpired())
        QThread::msleep(20);
    QList<QByteArray> args = readFile(file).split('\0');
    if (!args.isEmpty())
        args.removeLast(); // after the last terminator
    return args;
}

void FakeDesktop::clearArguments(const QString& application) const
{
    QFile::remove(path(application + QStringLiteral(".args")));
}

void FakeDesktop::writeProgram(const QByteArray& nativePath, const QString& name) const
{
    writeNativeFile(nativePath, argumentWriter(path(name + QStringLiteral(".args"))));
    ::chmod(nativePath.constData(), 0755);
}

} // namespace dovrin::test
