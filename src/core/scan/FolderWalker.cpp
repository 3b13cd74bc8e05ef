#include "FolderWalker.h"

#include "OutputFile.h"
#include "RecordNames.h"
#include "ScanContext.h"
#include "common/Progress.h"
#include "store/TextCodec.h"

#include <QString>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <numeric>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

namespace dovrin::scan {

namespace {

// Folders deeper than this are opened by their path instead of keeping a descriptor open
// per level, so a pathologically deep tree cannot run out of descriptors.
constexpr size_t kMaxHeldDescriptors = 200;

} // namespace

struct FolderWalker::Child
{
    QByteArray name;
    bool leaf = false; // known to hold no sub-folder
};

struct FolderWalker::Frame
{
    QByteArray prefix;           // the folder's path ending with "/"
    std::vector<Child> children; // sub-folders in listing order
    size_t next = 0;
    int fd = -1;
};

FolderWalker::FolderWalker(ScanContext& context, OutputFile& work, bool reportUnreadable)
    : m_context(context), m_work(work), m_reportUnreadable(reportUnreadable)
{
}

bool FolderWalker::walk(const QByteArray& source)
{
    struct statfs fs;
    struct stat st;
    if (::statfs(source.constData(), &fs) == 0 && ::stat(source.constData(), &st) == 0) {
        m_device = st.st_dev;
        m_trustLinkCount = fs.f_type == EXT4_SUPER_MAGIC || fs.f_type == XFS_SUPER_MAGIC ||
                           fs.f_type == TMPFS_MAGIC;
    }

    std::vector<Frame> stack;
    auto closeAll = [&stack] {
        for (Frame& f : stack) {
            if (f.fd >= 0)
                ::close(f.fd);
        }
    };

    Frame root;
    root.prefix = source;
    switch (list(root, -1, {})) {
    case Listed::End:
        return false;
    case Listed::Skipped:
        return true;
    case Listed::Ok:
        stack.push_back(std::move(root));
    }

    while (!stack.empty()) {
        if (m_context.progress.stopRequested()) {
            closeAll();
            return false;
        }
        Frame& top = stack.back();
        if (top.next == top.children.size()) {
            if (top.fd >= 0)
                ::close(top.fd);
            stack.pop_back();
            continue;
        }
        const Child next = std::move(top.children[top.next++]);
        if (next.leaf)
            continue;
        Frame child;
        child.prefix.reserve(top.prefix.size() + next.name.size() + 1);
        child.prefix.append(top.prefix).append(next.name).append('/');
        const Listed listed = list(child, top.fd, next.name);
        if (listed == Listed::End) {
            closeAll();
            return false;
        }
        if (listed == Listed::Skipped)
            continue;
        if (stack.size() >= kMaxHeldDescriptors && child.fd >= 0) {
            ::close(child.fd);
            child.fd = -1;
        }
        stack.push_back(std::move(child));
    }
    return true;
}

FolderWalker::Listed FolderWalker::list(Frame& frame, int parentFd, const QByteArray& name)
{
    const bool opened = parentFd >= 0 ? m_reader.openAt(parentFd, name.constData())
                                      : m_reader.openPath(frame.prefix);
    if (!opened) {
        // A folder that cannot be opened keeps its line but nothing below it is walked;
        // the file listing reports it, or the walk does when there is no listing.
        if (!isEntryProblem(m_reader.error()))
            return m_context.fail(m_reader.error(), frame.prefix), Listed::End;
        if (m_reportUnreadable)
            messages::folderProblem(m_context.prompt, displayPath(frame.prefix.chopped(1)));
        return Listed::Skipped;
    }

    DirectoryReader::Entry entry;
    while (m_reader.next(entry)) {
        bool isFolder = entry.type == DT_DIR;
        if (entry.type == DT_UNKNOWN) {
            const QByteArray entryName = entry.name.toByteArray();
            struct stat st;
            if (::fstatat(m_reader.fd(), entryName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                const int error = errno;
                if (!isEntryProblem(error))
                    return m_context.fail(error, frame.prefix + entryName), Listed::End;
                if (entry.name.endsWith(".sys"))
                    continue;
                if (!messages::walkProblem(m_context.prompt, error, text::decode(entry.name))) {
                    m_context.progress.requestStop();
                    return Listed::End;
                }
                continue;
            }
            isFolder = S_ISDIR(st.st_mode);
        }
        if (!isFolder)
            continue;
        Child child{entry.name.toByteArray(), false};
        child.leaf = m_trustLinkCount && isLeaf(m_reader.fd(), child.name.constData());
        frame.children.push_back(std::move(child));
        ++m_context.folderCount;
        m_context.progress.setStatus(1, QStringLiteral("Folders found: ") +
                                            QString::number(m_context.folderCount));
    }
    if (m_reader.error() != 0)
        return m_context.fail(m_reader.error(), frame.prefix), Listed::End;

    writeSorted(frame);
    if (!m_work.flushIfFull())
        return m_context.fail(m_work.error(), {}), Listed::End;
    frame.fd = m_reader.release();
    return Listed::Ok;
}

bool FolderWalker::isLeaf(int parentFd, const char* name) const
{
    // Two links: its own entry and its "."; each sub-folder's ".." would add one. Another
    // file system mounted here may count differently, so only the source's own is trusted.
    struct stat st;
    return ::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
           st.st_nlink == 2 && st.st_dev == m_device;
}

void FolderWalker::writeSorted(const Frame& frame)
{
    const size_t n = frame.children.size();
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t(0));
    if (n > 1) {
        // Siblings share their parent's path, so comparing the upper-cased names orders the
        // upper-cased full paths; a stable sort keeps equal keys in listing order.
        std::vector<QString> keys;
        keys.reserve(n);
        for (const Child& child : frame.children)
            keys.push_back(text::decode(child.name).toUpper());
        std::stable_sort(order.begin(), order.end(),
                         [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    }
    QByteArray& out = m_work.buffer();
    for (const size_t i : order) {
        appendEscapedPath(out, frame.prefix);
        appendEscapedPath(out, frame.children[i].name);
        out.append("\r\n");
    }
}

} // namespace dovrin::scan
