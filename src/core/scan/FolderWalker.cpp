#include "FolderWalker.h"

#include "OutputFile.h"
#include "RecordNames.h"
#include "ScanContext.h"
#include "common/Progress.h"
#include "scan/ExtensionList.h"
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
    uint32_t id = 0;   // its place in the work file
};

struct FolderWalker::Frame
{
    QByteArray prefix;           // the folder's path ending with "/"
    std::vector<Child> children; // sub-folders in listing order
    size_t next = 0;
    std::shared_ptr<OpenFolder> folder; // null when not kept open
    uint32_t id = 0;
    int fd() const { return folder ? folder->fd() : -1; }
};

namespace {

// The walk lets the user act this often (without yielding: the walk has no yield points).
constexpr qint64 kResponsiveMs = 30;

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

} // namespace

FolderWalker::FolderWalker(ScanContext& context, OutputFile& work)
    : m_context(context), m_work(work)
{
}

FolderWalker::FolderWalker(ScanContext& context, OutputFile& work, const FileChoice& choice,
                           FolderListings& listings)
    : m_context(context), m_work(work), m_choice(&choice), m_listings(&listings)
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
    m_sinceResponsive.start();

    std::vector<Frame> stack;
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
        if (m_context.progress.stopRequested())
            return false;
        if (m_sinceResponsive.elapsed() >= kResponsiveMs) {
            if (m_context.progress.stayResponsive())
                return false;
            m_sinceResponsive.start();
        }
        Frame& top = stack.back();
        if (top.next == top.children.size()) {
            stack.pop_back();
            continue;
        }
        const Child next = std::move(top.children[top.next++]);
        if (next.leaf)
            continue;
        Frame child;
        child.id = next.id;
        child.prefix.reserve(top.prefix.size() + next.name.size() + 1);
        child.prefix.append(top.prefix).append(next.name).append('/');
        const Listed listed = list(child, top.fd(), next.name);
        if (listed == Listed::End)
            return false;
        if (listed == Listed::Skipped)
            continue;
        if (stack.size() >= kMaxHeldDescriptors)
            child.folder.reset();
        stack.push_back(std::move(child));
    }
    return true;
}

bool FolderWalker::wantsFile(QByteArrayView name, unsigned char type) const
{
    if (name.front() == '.' && !m_choice->hidden)
        return false;
    if (isSystemType(type) && !m_choice->system)
        return false;
    return !m_choice->extensions.rejects(name);
}

FolderWalker::Listed FolderWalker::list(Frame& frame, int parentFd, const QByteArray& name)
{
    const bool opened = parentFd != -1 ? m_reader.openAt(parentFd, name.constData())
                                       : m_reader.openPath(frame.prefix);
    if (!opened) {
        // A folder that cannot be opened keeps its line but nothing below it is walked;
        // its listing reports it, or the walk does when there is no listing.
        if (!isEntryProblem(m_reader.error()))
            return m_context.fail(m_reader.error(), frame.prefix), Listed::End;
        if (m_listings)
            m_listings->addUnopened(frame.id);
        else
            messages::folderProblem(m_context.prompt, displayPath(frame.prefix.chopped(1)));
        return Listed::Skipped;
    }

    m_files = FolderListings::Files();
    DirectoryReader::Entry entry;
    while (m_reader.next(entry)) {
        unsigned char type = entry.type;
        struct stat st;
        bool haveStat = false;
        if (type == DT_UNKNOWN) {
            const QByteArray entryName = entry.name.toByteArray();
            if (::fstatat(m_reader.fd(), entryName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                const int error = errno;
                if (!isEntryProblem(error))
                    return m_context.fail(error, frame.prefix + entryName), Listed::End;
                // The listing cannot examine it either, and asks about it in its turn.
                if (m_listings)
                    m_files.unreadable(entry.name);
                if (entry.name.endsWith(".sys"))
                    continue;
                if (!messages::walkProblem(m_context.prompt, error, text::decode(entry.name))) {
                    m_context.progress.requestStop();
                    return Listed::End;
                }
                continue;
            }
            haveStat = true;
            type = typeOf(st.st_mode);
        }
        if (type != DT_DIR) {
            if (m_listings && wantsFile(entry.name, type)) {
                if (haveStat)
                    m_files.examined(entry.name, qint64(st.st_size), qint64(st.st_mtim.tv_sec));
                else
                    m_files.toExamine(entry.name);
            }
            continue;
        }
        Child child{entry.name.toByteArray(), false, 0};
        // Only the walk of folders alone skips folders without sub-folders; with files,
        // every folder is opened anyway.
        child.leaf =
            !m_listings && m_trustLinkCount && isLeaf(m_reader.fd(), child.name.constData());
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
    frame.folder = std::make_shared<OpenFolder>(m_reader.release());
    if (m_listings)
        m_listings->add(frame.id, frame.folder, frame.prefix, std::move(m_files));
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

void FolderWalker::writeSorted(Frame& frame)
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
        frame.children[i].id = m_nextId++;
        appendEscapedPath(out, frame.prefix);
        appendEscapedPath(out, frame.children[i].name);
        out.append("\r\n");
    }
}

} // namespace dovrin::scan
