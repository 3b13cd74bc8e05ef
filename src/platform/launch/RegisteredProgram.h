#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace dovrin::platform {

// The program the desktop starts a file with: the file itself when it is a program (a regular
// file with the execute bit that holds a machine program or begins with "#!"), otherwise the
// default application of the file's MIME type in the freedesktop.org associations (GIO reads
// them: mimeapps.list, the .desktop files), or none.
class RegisteredProgram
{
public:
    // Looks the program up for the file at `nativePath`. The MIME type comes from the file's
    // name and contents, or from the name alone when the file is not there.
    static RegisteredProgram forFile(const QByteArray& nativePath);
    // The browser for a web address: the desktop's handler of its scheme (https), else the
    // program for web pages (`pagePath` names one) when it takes addresses; none otherwise.
    static RegisteredProgram forWebAddress(const QString& address, const QByteArray& pagePath);

    bool isNone() const { return m_programPath.isEmpty(); }
    bool isFileItself() const { return m_fileItself; }
    // The program's executable, or the file's own path; empty when none.
    const QString& programPath() const { return m_programPath; }

    // Starts the file with the program, the file's path being one argument (or the program
    // itself when the file is one). No shell ever sees the name. False, with the reason in
    // `error`, when there is no program or it could not be started.
    bool start(const QByteArray& nativePath, QString* error = nullptr) const;
    // Starts the application with a web address as its argument.
    bool startWithAddress(const QString& address, QString* error = nullptr) const;

private:
    QString m_programPath;
    bool m_fileItself = false;
    std::shared_ptr<void> m_app; // the GAppInfo
};

// The command line that names a file and its registered program:
// the program path alone when the file's extension (from its last ".", dot included; an empty
// one always matches) occurs in it, ignoring case, otherwise the program path, a blank and the
// file's path in double quotes; NULs become blanks. ":" when there is no program.
QString runCommand(const QString& programPath, const QString& path);
// The same for a file on the disk; `shownPath` is how the command names it.
QString getRunCommand(const QByteArray& nativePath, const QString& shownPath);

} // namespace dovrin::platform
