#pragma once

#include "CopyKey.h"
#include "common/DisplayFormat.h"
#include "search/CommentLookup.h"
#include "search/SearchRow.h"
#include "store/DatabaseFolder.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

namespace dovrin {
class DiskTable;
class Progress;
} // namespace dovrin

namespace dovrin::copies {

struct ListLine;

struct CopiesQuery
{
    Criterion criterion = Criterion::NameAndSize;
    qint64 minimumSize = 0; // smaller files are left out
    // 0: every group of copies. A disk's table index: that disk's files that have no copy on
    // another disk, in file order (a copy on the same disk does not count).
    int onlyOnDisk = 0;
};

// Where the rows go. Rows of a group of copies carry the group's number, counted from 0 in the
// order the groups are given; the rows of "only on" are all of group 0.
class CopiesSink
{
public:
    virtual ~CopiesSink() = default;
    virtual void clear() = 0;
    virtual void addRow(const search::SearchRow& row, int group) = 0;
};

struct CopiesSummary
{
    qint64 groups = 0;
    qint64 files = 0;
    qint64 bytes = 0;              // in extra copies; for "only on", of the files listed
    qint64 withoutFingerprint = 0; // files the content criterion left out
};

// Finds the copies among the files of every loaded disk: each disk's file-list file is read
// once into 8-byte keys spread over 1024 buckets, the keys that meet within a bucket are found
// with a small hash table, and only their lines are read again, each reached from the mark
// taken every 64 file lines, and compared exactly.
// The disks and buckets are shared out among a worker thread a core, while the caller's thread
// waits and lets the caller act through the progress every few milliseconds; a stop request is
// seen at the next of those points and ends the workers within milliseconds.
class CopiesEngine
{
public:
    enum class End
    {
        Completed,
        Stopped
    };

    CopiesEngine(const DatabaseFolder& folder, const DiskTable& disks,
                 const QLocale& locale = QLocale());
    ~CopiesEngine();

    End run(const CopiesQuery& query, CopiesSink& sink, Progress& progress);
    // The comments for the next run, read beforehand (the command line reads them while it
    // loads the disks). Without them a run reads the store when it lists its rows.
    void useComments(std::unique_ptr<search::CommentLookup> comments)
    {
        m_comments.giveForNextRun(std::move(comments));
    }
    void requestStop() { m_stop = true; }
    bool isRunning() const { return m_running; }
    const CopiesSummary& summary() const { return m_summary; }
    // The status text the last run ended with.
    QString summaryText() const;

private:
    struct Entry;
    struct Found;
    struct LineMark;
    struct DiskMarks;
    class Reader;
    class Buckets;
    struct Worker;
    using Workers = std::vector<std::unique_ptr<Worker>>;

    void readDisks(Workers& workers);
    void findCandidates(Workers& workers, std::vector<Entry>& candidates);
    void materialize(std::vector<Entry>& candidates, std::vector<Found>& found);
    // The candidates of one disk, [begin, end), read from the runs of lines that hold them.
    // False when the file-list file is not what its marks were taken from.
    bool readMarkedRuns(Worker& worker, const Entry* begin, const Entry* end,
                        std::vector<Found>& found);
    // The same from the whole file, which is read again.
    void readWhole(Worker& worker, const Entry* begin, const Entry* end, std::vector<Found>& found);
    Found foundLine(Worker& worker, uint32_t disk, uint32_t line, const ListLine& file,
                    QString container) const;
    QString containerKey(int disk, QByteArrayView folderKey) const;
    void emitGroups(std::vector<Found>& found);
    void emitOnlyOn(const std::vector<Found>& found);
    bool pause(); // lets the caller act now and then; true when the run must stop
    void showReading(int disk);

    DatabaseFolder m_folder;
    const DiskTable& m_disks;
    search::UpperCaser m_caser;
    DisplayFormat m_format;
    CopiesQuery m_query;
    CopiesSink* m_sink = nullptr;
    Progress* m_progress = nullptr;
    CopiesSummary m_summary;
    std::vector<DiskMarks> m_marks; // by disk, taken in the first reading
    search::RunComments m_comments;
    QElapsedTimer m_sinceYield;
    std::atomic<bool> m_stop{false}; // read by the workers
    bool m_stopped = false;
    bool m_running = false;
};

} // namespace dovrin::copies
