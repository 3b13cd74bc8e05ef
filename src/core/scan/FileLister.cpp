#include "FileLister.h"

#include "ExtensionList.h"
#include "OutputFile.h"
#include "RecordNames.h"
#include "ScanContext.h"
#include "common/Progress.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::scan {

namespace {

bool isSystemType(unsigned char type)
{
    return type != DT_REG && type != DT_LNK && type != DT_DIR;
}

unsigned char typeOf(mode_t mode)
{
    if (S_ISREG(mode))
        return DT_REG;
    if (S_ISDIR(mode))
        return DT_DIR;
    if (S_ISLNK(mode))
        return DT_LNK;
    return DT_FIFO; // any other kind counts as a system entry
}

// One file line: "name",size,#date time# and CR LF, built on the stack and appended at once.
void appendFileLine(QByteArray& out, QByteArrayView name, qint64 size, RecordDateTime modified)
{
    out.append('"');
    appendFileName(out, name);
    char tail[64];
    char* p = tail;
    *p++ = '"';
    *p++ = ',';
    p = std::to_chars(p, tail + 24, size).ptr;
    *p++ = ',';
    p = LocalTime::writeRecordText(p, modified);
    *p++ = '\r';
    *p++ = '\n';
    out.append(tail, p - tail);
}

} // namespace

FileLister::FileLister(ScanContext& context, OutputFile& out, const ExtensionList& extensions,
                       int attributeMask)
    : m_context(context), m_out(out), m_extensions(extensions), m_hidden(attributeMask & 2),
      m_system(attributeMask & 4)
{
}

FileLister::~FileLister()
{
    if (m_parentFd >= 0)
        ::close(m_parentFd);
}

bool FileLister::open(const QByteArray& prefix, bool isRoot)
{
    if (isRoot)
        return m_reader.openPath(prefix);
    const qsizetype slash = prefix.lastIndexOf('/', prefix.size() - 2);
    const QByteArrayView parent = QByteArrayView(prefix).first(slash + 1);
    if (parent != m_parentPath) {
        if (m_parentFd >= 0)
            ::close(m_parentFd);
        m_parentPath = parent.toByteArray();
        m_parentFd = parent.size() < PATH_MAX
                         ? ::open(m_parentPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC)
                         : -1;
    }
    if (m_parentFd < 0)
        return m_reader.openPath(prefix.chopped(1));
    // By its name alone, so a folder swapped for a link since the walk is not followed.
    const QByteArray name = prefix.sliced(slash + 1).chopped(1);
    return m_reader.openAt(m_parentFd, name.constData());
}

bool FileLister::list(const QByteArray& prefix, bool isRoot)
{
    if (!open(prefix, isRoot)) {
        if (!isEntryProblem(m_reader.error()))
            return m_context.fail(m_reader.error(), prefix);
        messages::folderProblem(m_context.prompt, displayPath(prefix.chopped(1)));
        return true;
    }

    DirectoryReader::Entry entry;
    while (m_reader.next(entry)) {
        if (entry.type == DT_DIR)
            continue;
        // The name is NUL-terminated inside the reader's buffer.
        const char* cname = entry.name.data();
        struct stat st;
        bool haveStat = false;
        unsigned char type = entry.type;
        if (type == DT_UNKNOWN) {
            if (::fstatat(m_reader.fd(), cname, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (!isEntryProblem(errno))
                    return m_context.fail(errno, prefix + entry.name.toByteArray());
                if (!writeUnreadable(entry.name))
                    return true;
                continue;
            }
            haveStat = true;
            type = typeOf(st.st_mode);
            if (type == DT_DIR)
                continue;
        }
        if (entry.name.front() == '.' && !m_hidden)
            continue;
        if (isSystemType(type) && !m_system)
            continue;
        if (m_extensions.rejects(entry.name))
            continue;

        if (!haveStat && ::fstatat(m_reader.fd(), cname, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (!isEntryProblem(errno))
                return m_context.fail(errno, prefix + entry.name.toByteArray());
            if (!writeUnreadable(entry.name))
                return true;
            continue;
        }
        if (S_ISDIR(st.st_mode))
            continue; // became a folder since it was listed
        appendFileLine(m_out.buffer(), entry.name, qint64(st.st_size),
                       m_localTime.convert(st.st_mtim.tv_sec));
        if (!m_out.flushIfFull())
            return m_context.fail(m_out.error(), {});
        if (m_context.progress.stopRequested())
            return true;
    }
    if (m_reader.error() != 0)
        return m_context.fail(m_reader.error(), prefix);
    return true;
}

// A file that vanished or cannot be examined: on OK it is recorded with size 0 and the zero
// date; on Cancel the scan stops. False when the listing must end.
bool FileLister::writeUnreadable(QByteArrayView name)
{
    if (!messages::fileProblem(m_context.prompt, text::decode(name))) {
        m_context.progress.requestStop();
        return false;
    }
    appendFileLine(m_out.buffer(), name, 0, RecordDateTime::zero());
    return true;
}

} // namespace dovrin::scan
