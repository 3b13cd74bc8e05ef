#pragma once

#include "CommentLookup.h"
#include "SearchMode.h"
#include "SearchRow.h"
#include "TextMatcher.h"
#include "common/DisplayFormat.h"
#include "store/DatabaseFolder.h"

#include <QLocale>
#include <QString>
#include <memory>
#include <optional>

namespace dovrin {
class DiskTable;
class Progress;
} // namespace dovrin

namespace dovrin::search {

struct FoundChunk;

// Finds files, folders, disks and comments across every disk of the loaded database.
// The file-list and tree files are read on worker threads, a disk each; the caller's thread
// takes their findings disk by disk in table order and hands the rows on exactly as one
// thread reading the disks in turn would: the same rows in the same order, and the same
// yields to the caller through the progress, at each folder line of a file-list file (name,
// extension, whole-name and start searches), after every 100th row when listing
// everything, after each comment entry and after each line of a tree file. Status texts go
// to progress line 0; those that wait for the next yield are handed over just before it.
// While it waits for a worker the caller stays responsive (Progress::stayResponsive()).
class SearchEngine
{
public:
    enum class End
    {
        Completed,
        Stopped,
        Refused
    };

    SearchEngine(const DatabaseFolder& folder, const DiskTable& disks,
                 const QLocale& locale = QLocale());
    ~SearchEngine();

    // One search. The text is upper-cased first (see searchText()); it may be empty only
    // when listing everything. Rows of the previous search are cleared from the sink.
    End run(SearchMode mode, const QString& text, SearchSink& sink, Progress& progress);
    // The comments for the next run, read beforehand: the command line reads them on another
    // core while it loads the disks. Without them a run reads the store when it first needs it.
    void useComments(std::unique_ptr<CommentLookup> comments)
    {
        m_comments.giveForNextRun(std::move(comments));
    }

    // The Stop command (also the window's close box during a search): shows the stop
    // message; the search stops at its next yield.
    void requestStop();

    // Worker threads for the file reading (by default one per core).
    void setThreadCount(int threads) { m_threads = threads; }

    bool isRunning() const { return m_running; }
    const QString& searchText() const { return m_text; }
    qint64 foundSize() const { return m_foundSize; }
    // Set by a search that lists everything, cleared when the next search starts.
    bool listAll() const { return m_listAll; }
    const DisplayFormat& format() const { return m_format; }

    // The rows' makers, as the search's modes call them.
    // A file row, or a folder row when name ends with "\".
    void addItem(const QString& containerKey, QString name, qint64 size, RecordDateTime modified,
                 int diskIndex);
    void addItemFC(const QString& key, const QString& comment);

private:
    class FileListWork;
    enum class Pending
    {
        None,
        PerDisk,
        FoundSoFar
    };

    void searchFileLists(SearchMode mode);
    void searchTreeFiles();
    void searchDiskNames(const TextMatcher& matcher);
    void searchComments(const TextMatcher& matcher);
    // Hands on a worker's rows of disk `diskIndex`, with the yields between them; false
    // when the search must stop.
    bool handOver(FoundChunk& chunk, int diskIndex);
    bool handOverEverything(const FoundChunk& chunk);

    // Lets the caller act `times` times in a row (none for 0); true when the search must stop.
    bool yieldToCaller(uint32_t times = 1);
    // Lets the caller act while a worker is awaited; true when the search must stop.
    bool stayResponsive();
    void showPerDisk(int diskIndex);
    void flushStatus();
    const CommentLookup& comments() { return m_comments.get(m_folder); }

    DatabaseFolder m_folder;
    const DiskTable& m_disks;
    QLocale m_locale;
    UpperCaser m_caser;
    DisplayFormat m_format;

    SearchSink* m_sink = nullptr;
    Progress* m_progress = nullptr;
    int m_threads;
    RunComments m_comments;
    SearchMode m_mode = SearchMode::Name;
    QString m_text;
    int m_foundCount = 0;
    qint64 m_foundSize = 0;
    bool m_listAll = false;
    bool m_stopFlag = false;
    bool m_running = false;
    Pending m_pending = Pending::None;
    int m_currentDisk = 0;
};

} // namespace dovrin::search
