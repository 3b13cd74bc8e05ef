#include "FolderListings.h"

#include "LocalTime.h"
#include "OutputFile.h"
#include "RecordNames.h"
#include "ScanContext.h"
#include "common/Interrupted.h"
#include "common/Progress.h"
#include "store/TextCodec.h"

#include <QThread>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::scan {

namespace {

// A folder's files are examined in pieces of this many, so a huge folder is shared out too.
constexpr size_t kPiece = 2048;
// The walk examines files itself while this much waits, so memory and open folders stay few.
constexpr size_t kMaxQueuedJobs = 256;
constexpr size_t kMaxQueuedBytes = size_t(4) << 20;
// A worker's finished lines go to the scratch file in blocks of about this size.
constexpr qsizetype kFlushAt = qsizetype(1) << 20;
// The listing pass reads the scratch file back this much at a time.
constexpr size_t kWindow = size_t(1) << 20;
// In the scratch file a file that could not be examined is this byte, the length of its
// name and the name; every file line starts with a quote.
constexpr char kUnreadable = '\x01';

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

void appendUnreadable(QByteArray& out, QByteArrayView name)
{
    const auto length = uint32_t(name.size());
    out.append(kUnreadable);
    out.append(reinterpret_cast<const char*>(&length), sizeof length);
    out.append(name.data(), name.size());
}

int openScratch(const QByteArray& folder)
{
    // Unnamed, so nothing is left behind whatever becomes of the scan.
    int fd =
        ::open(folder.isEmpty() ? "." : folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd == -1)
        fd = ::memfd_create("dovrin-listings", MFD_CLOEXEC);
    return fd;
}

} // namespace

OpenFolder::~OpenFolder()
{
    if (m_fd != -1)
        ::close(m_fd);
}

void FolderListings::Files::add(QByteArrayView name, Kind kind, qint64 size, qint64 modified)
{
    Entry entry;
    entry.name = uint32_t(m_names.size());
    entry.length = uint32_t(name.size());
    entry.kind = kind;
    entry.size = size;
    entry.modified = modified;
    m_names.insert(m_names.end(), name.begin(), name.end());
    m_names.push_back('\0');
    m_entries.push_back(entry);
}

void FolderListings::Files::toExamine(QByteArrayView name)
{
    add(name, Kind::ToExamine, 0, 0);
}

void FolderListings::Files::examined(QByteArrayView name, qint64 size, qint64 modified)
{
    add(name, Kind::Examined, size, modified);
}

void FolderListings::Files::unreadable(QByteArrayView name)
{
    add(name, Kind::Unreadable, 0, 0);
}

// A stretch of one folder's lines in the scratch file.
struct Piece
{
    uint64_t offset = 0;
    uint32_t length = 0;
    bool hasUnreadable = false;
    int error = 0; // a failure that ends the scan, met at the end of the piece
    QByteArray errorPath;
};

struct FolderListings::Listing
{
    std::vector<Piece> pieces; // sized when the folder is handed over, never resized
    bool unopened = false;
};

struct FolderListings::Job
{
    Piece* piece = nullptr;
    std::shared_ptr<OpenFolder> folder;
    QByteArray prefix;
    Files files;
};

struct FolderListings::Worker
{
    LocalTime localTime;
    QByteArray buffer;
    std::vector<std::pair<Piece*, qsizetype>> pending; // pieces in the buffer, and where
};

FolderListings::FolderListings(const QByteArray& scratchFolder, int workers)
    : m_scratch(openScratch(scratchFolder)), m_callerWorker(std::make_unique<Worker>())
{
    for (int i = 0; i < workers; ++i) {
        m_workers.push_back(std::make_unique<Worker>());
        m_threads.emplace_back([this, i] {
            Worker& worker = *m_workers[size_t(i)];
            std::unique_ptr<Job> job;
            while (takeJob(job, true))
                examine(*job, worker);
            flush(worker);
        });
    }
}

FolderListings::~FolderListings()
{
    cancel();
    if (m_scratch != -1)
        ::close(m_scratch);
}

FolderListings::Listing& FolderListings::listing(uint32_t id)
{
    while (m_listings.size() <= id)
        m_listings.emplace_back();
    return m_listings[id];
}

void FolderListings::add(uint32_t id, std::shared_ptr<OpenFolder> folder, const QByteArray& prefix,
                         Files&& files)
{
    if (files.isEmpty())
        return;
    Listing& target = listing(id);
    const size_t count = files.m_entries.size();
    const size_t pieces = (count + kPiece - 1) / kPiece;
    target.pieces.resize(pieces);
    std::vector<std::unique_ptr<Job>> jobs;
    for (size_t p = 0; p < pieces; ++p) {
        auto job = std::make_unique<Job>();
        job->piece = &target.pieces[p];
        job->folder = folder;
        job->prefix = prefix;
        if (pieces == 1) {
            job->files = std::move(files);
        } else {
            for (size_t e = p * kPiece; e < qMin(count, (p + 1) * kPiece); ++e) {
                const Files::Entry& entry = files.m_entries[e];
                job->files.add(QByteArrayView(files.m_names.data() + entry.name, entry.length),
                               entry.kind, entry.size, entry.modified);
            }
        }
        jobs.push_back(std::move(job));
    }
    bool examineHere = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto& job : jobs) {
            m_queuedBytes += job->files.nameBytes();
            m_queue.push_back(std::move(job));
        }
        examineHere =
            m_threads.empty() || m_queue.size() > kMaxQueuedJobs || m_queuedBytes > kMaxQueuedBytes;
    }
    m_forWorkers.notify_all();
    // The walk has run ahead of the workers: lend a hand before listing more folders.
    std::unique_ptr<Job> job;
    while (examineHere && takeJob(job, false)) {
        examine(*job, *m_callerWorker);
        std::lock_guard lock(m_mutex);
        examineHere = m_threads.empty() ? !m_queue.empty()
                                        : m_queue.size() > kMaxQueuedJobs / 2 ||
                                              m_queuedBytes > kMaxQueuedBytes / 2;
    }
}

void FolderListings::addUnopened(uint32_t id)
{
    listing(id).unopened = true;
}

bool FolderListings::takeJob(std::unique_ptr<Job>& job, bool wait)
{
    std::unique_lock lock(m_mutex);
    if (wait)
        m_forWorkers.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
    if (m_queue.empty())
        return false;
    job = std::move(m_queue.front());
    m_queue.pop_front();
    m_queuedBytes -= job->files.nameBytes();
    return true;
}

void FolderListings::examine(Job& job, Worker& worker)
{
    Piece& piece = *job.piece;
    const qsizetype start = worker.buffer.size();
    const int fd = job.folder->fd();
    for (const Files::Entry& entry : job.files.m_entries) {
        const char* name = job.files.m_names.data() + entry.name;
        const QByteArrayView view(name, qsizetype(entry.length));
        if (entry.kind == Files::Kind::Examined) {
            appendFileLine(worker.buffer, view, entry.size,
                           worker.localTime.convert(time_t(entry.modified)));
            continue;
        }
        struct stat st;
        if (entry.kind == Files::Kind::ToExamine &&
            ::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISDIR(st.st_mode)) // else it became a folder since it was listed
                appendFileLine(worker.buffer, view, qint64(st.st_size),
                               worker.localTime.convert(st.st_mtim.tv_sec));
            continue;
        }
        if (entry.kind == Files::Kind::ToExamine && !isEntryProblem(errno)) {
            // The listing ends the scan here, with this failure.
            piece.error = errno;
            piece.errorPath = job.prefix + view.toByteArray();
            break;
        }
        appendUnreadable(worker.buffer, view);
        piece.hasUnreadable = true;
    }
    piece.length = uint32_t(worker.buffer.size() - start);
    worker.pending.emplace_back(&piece, start);
    job.folder.reset(); // the folder closes when the walk is done with it too
    if (worker.buffer.size() >= kFlushAt)
        flush(worker);
}

bool FolderListings::flush(Worker& worker)
{
    if (worker.buffer.isEmpty() && worker.pending.empty())
        return true;
    uint64_t base;
    {
        std::lock_guard lock(m_mutex);
        base = m_scratchEnd;
        m_scratchEnd += uint64_t(worker.buffer.size());
    }
    const char* data = worker.buffer.constData();
    qsizetype left = worker.buffer.size();
    uint64_t at = base;
    int error = m_scratch < 0 ? EBADF : 0;
    while (left > 0 && error == 0) {
        const ssize_t written =
            retryInterrupted([&] { return ::pwrite(m_scratch, data, size_t(left), off_t(at)); });
        if (written < 0) {
            error = errno;
            break;
        }
        data += written;
        left -= written;
        at += uint64_t(written);
    }
    for (const auto& [piece, offset] : worker.pending)
        piece->offset = base + uint64_t(offset);
    worker.pending.clear();
    worker.buffer.truncate(0);
    if (error != 0) {
        std::lock_guard lock(m_mutex);
        if (m_scratchError == 0)
            m_scratchError = error;
    }
    return error == 0;
}

bool FolderListings::finish(ScanContext& context)
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_forWorkers.notify_all();
    std::unique_ptr<Job> job;
    while (takeJob(job, false))
        examine(*job, *m_callerWorker);
    flush(*m_callerWorker);
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
    if (m_scratchError != 0)
        return context.fail(m_scratchError, {});
    return true;
}

void FolderListings::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
        m_queuedBytes = 0;
    }
    m_forWorkers.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
}

// The lines of a piece, through windows of the scratch file. Each worker wrote its pieces in
// blocks of its own, in about the order the listing asks for them, so a window per worker
// serves many folders in turn while the listing moves between the workers' blocks.
const char* FolderListings::readBack(uint64_t offset, uint32_t length)
{
    if (m_windows.empty())
        m_windows.resize(m_workers.size() + 2);
    Window* window = &m_windows.front();
    for (Window& candidate : m_windows) {
        if (offset >= candidate.start && offset + length <= candidate.start + candidate.size) {
            window = &candidate;
            break;
        }
        if (candidate.lastUse < window->lastUse)
            window = &candidate;
    }
    window->lastUse = ++m_windowUses;
    if (offset >= window->start && offset + length <= window->start + window->size)
        return window->data.get() + (offset - window->start);

    const size_t wanted = qMax<size_t>(kWindow, length);
    if (window->capacity < wanted) {
        window->data = std::make_unique_for_overwrite<char[]>(wanted);
        window->capacity = wanted;
    }
    window->start = offset;
    window->size = 0;
    while (window->size < length) {
        const ssize_t n = retryInterrupted([&] {
            return ::pread(m_scratch, window->data.get() + window->size,
                           window->capacity - window->size, off_t(offset + window->size));
        });
        if (n <= 0) {
            m_readError = n < 0 ? errno : EIO;
            window->size = 0;
            return nullptr;
        }
        window->size += size_t(n);
    }
    return window->data.get();
}

bool FolderListings::write(uint32_t id, const QByteArray& path, ScanContext& context,
                           OutputFile& out)
{
    if (id >= m_listings.size())
        return true; // no files
    const Listing& folder = m_listings[id];
    if (folder.unopened) {
        messages::folderProblem(context.prompt, displayPath(path));
        return true;
    }
    for (const Piece& piece : folder.pieces) {
        // A piece ended by a failure at its first file has no lines to read back.
        const char* const data = piece.length > 0 ? readBack(piece.offset, piece.length) : "";
        if (!data)
            return context.fail(m_readError, {});
        const char* p = data;
        const char* const end = p + piece.length;
        if (!piece.hasUnreadable) {
            out.buffer().append(p, end - p);
        } else {
            while (p < end) {
                if (*p != kUnreadable) {
                    const void* lineEnd = std::memchr(p, '\n', size_t(end - p));
                    const char* next = lineEnd ? static_cast<const char*>(lineEnd) + 1 : end;
                    out.buffer().append(p, next - p);
                    p = next;
                    continue;
                }
                uint32_t length;
                std::memcpy(&length, p + 1, sizeof length);
                const QByteArrayView name(p + 1 + sizeof length, qsizetype(length));
                p += 1 + sizeof length + length;
                // On OK the file is recorded with size 0 and the zero date; Cancel stops.
                if (!messages::fileProblem(context.prompt, text::decode(name))) {
                    context.progress.requestStop();
                    return true;
                }
                appendFileLine(out.buffer(), name, 0, RecordDateTime::zero());
            }
        }
        if (piece.error != 0)
            return context.fail(piece.error, piece.errorPath);
    }
    return true;
}

} // namespace dovrin::scan
