#include "RegisteredProgram.h"

#include "common/DetachedProcess.h"

#include <QFile>
#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::platform {

namespace {

// A program of its own: executable by the user, and a machine program or a script. The
// execute bit alone is not enough: on FAT and NTFS disks every file has it.
bool isProgramFile(const QByteArray& path)
{
    struct stat st
    {
    };
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::access(path.constData(), X_OK) != 0)
        return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd == -1)
        return false;
    char head[4] = {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    return (n >= 2 && head[0] == '#' && head[1] == '!') ||
           (n == 4 && head[0] == 0x7f && head[1] == 'E' && head[2] == 'L' && head[3] == 'F');
}

QString contentTypeOf(const QByteArray& path)
{
    GFile* file = g_file_new_for_path(path.constData());
    gchar* type = nullptr;
    if (GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                            G_FILE_QUERY_INFO_NONE, nullptr, nullptr)) {
        type = g_strdup(g_file_info_get_content_type(info));
        g_object_unref(info);
    }
    if (!type) {
        gchar* name = g_file_get_basename(file);
        type = g_content_type_guess(name, nullptr, 0, nullptr);
        g_free(name);
    }
    g_object_unref(file);
    const QString result = QString::fromUtf8(type);
    g_free(type);
    return result;
}

QString executablePath(GAppInfo* app)
{
    const char* executable = g_app_info_get_executable(app);
    if (!executable || !*executable)
        return {};
    gchar* found = g_path_is_absolute(executable) ? nullptr : g_find_program_in_path(executable);
    const QString path = QFile::decodeName(found ? found : executable);
    g_free(found);
    return path;
}

bool launchFailed(GError* gerror, QString* error)
{
    if (error)
        *error = gerror ? QString::fromUtf8(gerror->message) : QString();
    g_clear_error(&gerror);
    return false;
}

} // namespace

RegisteredProgram RegisteredProgram::forFile(const QByteArray& nativePath)
{
    RegisteredProgram program;
    if (nativePath.isEmpty())
        return program;
    if (isProgramFile(nativePath)) {
        program.m_fileItself = true;
        program.m_programPath = QFile::decodeName(nativePath);
        return program;
    }
    const QByteArray type = contentTypeOf(nativePath).toUtf8();
    GAppInfo* app = g_app_info_get_default_for_type(type.constData(), FALSE);
    if (!app)
        return program;
    program.m_app.reset(app, g_object_unref);
    program.m_programPath = executablePath(app);
    return program;
}

RegisteredProgram RegisteredProgram::forWebAddress(const QString& address,
                                                   const QByteArray& pagePath)
{
    RegisteredProgram program;
    gchar* scheme = g_uri_parse_scheme(address.toUtf8().constData());
    GAppInfo* app = scheme ? g_app_info_get_default_for_uri_scheme(scheme) : nullptr;
    g_free(scheme);
    if (app) {
        program.m_app.reset(app, g_object_unref);
        program.m_programPath = executablePath(app);
        return program;
    }
    // An application that only takes files would start without the address.
    program = forFile(pagePath);
    if (program.m_fileItself || !program.m_app ||
        !g_app_info_supports_uris(static_cast<GAppInfo*>(program.m_app.get())))
        return {};
    return program;
}

bool RegisteredProgram::start(const QByteArray& nativePath, QString* error) const
{
    if (m_fileItself) {
        // Started from its own folder, as a file manager does; "/" for one at the top.
        const qsizetype slash = nativePath.lastIndexOf('/');
        return startDetached(nativePath, {}, nativePath.left(qMax(slash, qsizetype(1))), error);
    }
    if (!m_app)
        return launchFailed(nullptr, error);
    GFile* file = g_file_new_for_path(nativePath.constData());
    GList* files = g_list_append(nullptr, file);
    GError* gerror = nullptr;
    const bool started =
        g_app_info_launch(static_cast<GAppInfo*>(m_app.get()), files, nullptr, &gerror);
    g_list_free(files);
    g_object_unref(file);
    return started || launchFailed(gerror, error);
}

bool RegisteredProgram::startWithAddress(const QString& address, QString* error) const
{
    if (!m_app)
        return launchFailed(nullptr, error);
    const QByteArray uri = address.toUtf8();
    GList* uris = g_list_append(nullptr, const_cast<char*>(uri.constData()));
    GError* gerror = nullptr;
    const bool started =
        g_app_info_launch_uris(static_cast<GAppInfo*>(m_app.get()), uris, nullptr, &gerror);
    g_list_free(uris);
    return started || launchFailed(gerror, error);
}

QString runCommand(const QString& programPath, const QString& path)
{
    QString program = programPath;
    while (program.endsWith(u' '))
        program.chop(1);
    if (program.isEmpty())
        return QStringLiteral(":");
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot == -1 ? QString() : path.mid(dot);
    QString command;
    if (program.contains(extension, Qt::CaseInsensitive)) {
        command = program;
    } else {
        if (program.endsWith(QLatin1String(" \"")))
            program.chop(2);
        command = program + QStringLiteral(" \"") + path + u'"';
    }
    command.replace(QChar(0), u' ');
    return command;
}

QString getRunCommand(const QByteArray& nativePath, const QString& shownPath)
{
    return runCommand(RegisteredProgram::forFile(nativePath).programPath(), shownPath);
}

} // namespace dovrin::platform
