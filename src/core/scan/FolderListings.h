#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dovrin::scan {

struct ScanContext;
class OutputFile;

// An open folder, shared by the walk (which opens its sub-folders through it) and the
// examination of its files; closed when both are done with it.
class OpenFolder
{
public:
    explicit OpenFolder(int fd) : m_fd(fd) {}
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The file lines of every folder of a scan, made while the walk has the folder open, so that
// each folder is read once. The walk hands over each folder's files (already filtered, in
// the order the file system listed them); worker threads examine them through the folder's
// descriptor and put the finished lines into a scratch file; the listing pass then copies
// each folder's lines into the file-list file in the record's order, and asks about the
// files that could not be examined where the one-pass listing would have asked. Memory
// holds a few folders' names at a time, whatever the size of the disk.
class FolderListings
{
public:
    // One folder's files, in listing order.
    class Files
    {
    public:
        // A file to examine (its size and time are read by a worker).
        void toExamine(QByteArrayView name);
        // A file already examined by the walk.
        void examined(QByteArrayView name, qint64 size, qint64 modified);
        // A file that could not be examined: asked about in the listing.
        void unreadable(QByteArrayView name);
        bool isEmpty() const { return m_entries.empty(); }
        size_t nameBytes() const { return m_names.size(); }

    private:
        friend class FolderListings;
        enum class Kind : uint8_t
        {
            ToExamine,
            Examined,
            Unreadable
        };
        struct Entry
        {
            uint32_t name; // offset of the NUL-terminated name in m_names
            uint32_t length;
            Kind kind;
            qint64 size = 0;
            qint64 modified = 0;
        };
        void add(QByteArrayView name, Kind kind, qint64 size, qint64 modified);
        std::vector<char> m_names;
        std::vector<Entry> m_entries;
    };

    // `scratchFolder`: where the scratch file may go (the record's folder).
    FolderListings(const QByteArray& scratchFolder, int workers);
    ~FolderListings();
    FolderListings(const FolderListings&) = delete;
    FolderListings& operator=(const FolderListings&) = delete;

    // The files of folder `id` (its place in the work file, the root 0), open as `folder`,
    // whose path `prefix` ends with "/".
    void add(uint32_t id, std::shared_ptr<OpenFolder> folder, const QByteArray& prefix,
             Files&& files);
    // Folder `id` could not be opened: the listing reports it when its turn comes.
    void addUnopened(uint32_t id);
    // Waits until every folder handed over is done, examining files meanwhile. False when the
    // scratch file failed (in the context).
    bool finish(ScanContext& context);
    // Ends the work early (a stop or a failure); what is not done yet is dropped.
    void cancel();

    // The listing pass: writes the file lines of folder `id` (full path `path`) to `out`.
    // False when the scan must end: a failure (in the context) or a Cancel answer to a
    // problem message (then the progress has the stop request).
    bool write(uint32_t id, const QByteArray& path, ScanContext& context, OutputFile& out);

private:
    struct Job;
    struct Listing;
    struct Worker;

    Listing& listing(uint32_t id);
    void run();
    bool takeJob(std::unique_ptr<Job>& job, bool wait);
    void examine(Job& job, Worker& worker);
    bool flush(Worker& worker);
    const char* readBack(uint64_t offset, uint32_t length);

    int m_scratch = -1;
    std::mutex m_mutex;
    std::condition_variable m_forWorkers;
    std::condition_variable m_forCaller;
    std::deque<std::unique_ptr<Job>> m_queue;
    size_t m_queuedBytes = 0;
    int m_busy = 0; // jobs being examined
    bool m_stopping = false;
    std::deque<Listing> m_listings; // by folder id; its elements never move
    uint64_t m_scratchEnd = 0;
    int m_scratchError = 0;
    std::unique_ptr<Worker> m_callerWorker; // the caller's share of the work
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::vector<std::thread> m_threads;
    // A stretch of the scratch file read back for the listing pass.
    struct Window
    {
        std::unique_ptr<char[]> data;
        size_t capacity = 0;
        uint64_t start = 0;
        size_t size = 0;
        uint64_t lastUse = 0;
    };
    std::vector<Window> m_windows; // of the scratch file, for the listing pass
    uint64_t m_windowUses = 0;
    int m_readError = 0;
};

} // namespace dovrin::scan
