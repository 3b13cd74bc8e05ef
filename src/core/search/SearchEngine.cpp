#include "SearchEngine.h"

#include "CommentLookup.h"
#include "DiskWorkers.h"
#include "FileListScanner.h"
#include "SearchTexts.h"
#include "common/Interrupted.h"
#include "common/Progress.h"
#include "store/DiskTable.h"
#include "store/Keys.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace dovrin::search {

namespace {

constexpr QChar kBackslash = u'\\';

// The size and modified fields of a file line (its second and third fields).
void readSizeAndDate(QByteArrayView line, qint64& size, RecordDateTime& modified)
{
    FieldReader reader(line);
    FieldReader::Field field;
    size = 0;
    modified = RecordDateTime::zero();
    if (!reader.next(field) || !reader.next(field))
        return;
    fields::parseSize(field.bytes, size);
    if (reader.next(field)) {
        if (const auto parsed = RecordDateTime::parse(field.bytes))
            modified = *parsed;
    }
}

qint64 readSize(QByteArrayView line)
{
    FieldReader reader(line);
    FieldReader::Field field;
    qint64 size = 0;
    if (reader.next(field) && reader.next(field))
        fields::parseSize(field.bytes, size);
    return size;
}

} // namespace

// One worker's walk of file-list files for the four file-name searches and for listing
// everything: the matching rows of a disk, in chunks, with the folder lines passed before
// each (the caller yields once for each).
class SearchEngine::FileListWork final : public FileListScanner::Handler
{
public:
    FileListWork(SearchMode mode, const QString& upperText, const QLocale& locale)
        : m_caser(locale), m_matcher(mode, upperText, m_caser),
          m_everything(mode == SearchMode::Everything)
    {
        m_filter = filterFor(m_matcher, m_everything);
    }

    void searchDisk(const QString& recordPath, const QByteArray& file, DiskWorkers::Output& output)
    {
        m_recordPath = recordPath;
        m_output = &output;
        m_folderKey.clear();
        m_container.clear(); // a file before any folder line has the empty container key
        m_containerReady = true;
        m_folderInChunk = false;
        m_yields = 0;
        // A disk whose file vanished since loading is skipped.
        m_scanner.scan(file, m_filter, *this);
        flush();
        m_output = nullptr;
    }

    bool folderLines(qsizetype count) override
    {
        if (!m_everything)
            m_yields += uint32_t(count);
        if (m_yields >= kChunkYields)
            flush();
        return !m_output->cancelled();
    }

    void folderKey(QByteArrayView key) override
    {
        m_folderKey.assign(key.data(), size_t(key.size()));
        m_containerReady = false;
        m_folderInChunk = false;
    }

    bool fileLine(QByteArrayView line, QByteArrayView name) override
    {
        if (m_everything) {
            beginFolder();
            m_chunk.rows.addReducedFile(name, readSize(line));
        } else {
            if (!m_matcher.matches(name))
                return true;
            qint64 size;
            RecordDateTime modified;
            readSizeAndDate(line, size, modified);
            beginFolder();
            m_chunk.rows.addFile(name, size, modified);
            m_chunk.yieldsBefore.push_back(m_yields);
            m_yields = 0;
        }
        if (m_chunk.rows.size() >= kChunkRows) {
            flush();
            return !m_output->cancelled();
        }
        return true;
    }

private:
    static constexpr size_t kChunkRows = 4096;
    static constexpr uint32_t kChunkYields = 4096;

    static FileListScanner::Filter filterFor(const TextMatcher& matcher, bool everything)
    {
        FileListScanner::Filter filter;
        if (everything || !matcher.asciiNamesFast()) {
            filter.allFiles = true; // every name needs a look
            return filter;
        }
        // ASCII names can only match when they hold the text's bytes; a name with other
        // bytes is upper-cased by the locale before the test (ß holds "SS", for example).
        if (matcher.asciiNamesCanMatch())
            filter.asciiNeedle =
                QByteArray(matcher.asciiNeedle().data(), matcher.asciiNeedle().size());
        filter.nonAsciiNames = true;
        // An ASCII text stands in another name where the name's ASCII bytes hold it, found as
        // in ASCII names, or where a character upper-cases to ASCII letters.
        filter.upperToAsciiOnly = matcher.asciiNamesCanMatch();
        // A quote or a line end never stands in a name: only other names may match.
        if (filter.asciiNeedle.contains('"') || filter.asciiNeedle.contains('\n') ||
            filter.asciiNeedle.contains('\r'))
            filter.asciiNeedle.clear();
        return filter;
    }

    // The record path, "\", and the folder key with "\" appended and its first two
    // characters removed: ":" gives "P\", ":\Games\Saves" gives "P\Games\Saves\".
    void beginFolder()
    {
        if (!m_containerReady) {
            m_container = m_recordPath + kBackslash;
            if (m_folderKey.size() > 2) {
                m_container += text::decode(QByteArrayView(m_folderKey).sliced(2));
                m_container += kBackslash;
            }
            m_containerReady = true;
        }
        if (!m_folderInChunk) {
            m_chunk.rows.beginFolder(m_container);
            m_folderInChunk = true;
        }
    }

    void flush()
    {
        m_chunk.yieldsAfter = m_yields;
        m_yields = 0;
        m_output->push(std::move(m_chunk));
        m_chunk = FoundChunk();
        m_folderInChunk = false;
    }

    UpperCaser m_caser;
    TextMatcher m_matcher;
    const bool m_everything;
    FileListScanner::Filter m_filter;
    FileListScanner m_scanner; // one reading buffer per worker, reused for every disk
    DiskWorkers::Output* m_output = nullptr;
    QString m_recordPath;
    std::string m_folderKey;
    QString m_container;
    bool m_containerReady = true;
    bool m_folderInChunk = false;
    FoundChunk m_chunk;
    uint32_t m_yields = 0;
};

namespace {

// One worker's reading of tree files for the folder-name search: a row for each matching
// folder, and a yield after every line.
class TreeFileWork
{
public:
    TreeFileWork(const QString& upperText, const QLocale& locale)
        : m_caser(locale), m_matcher(SearchMode::Folder, upperText, m_caser)
    {
    }

    void searchDisk(const QString& recordPath, const QByteArray& file, DiskWorkers::Output& output)
    {
        FoundChunk chunk;
        if (!readWhole(file)) {
            output.push(std::move(chunk)); // vanished since loading
            return;
        }
        LineReader lines(QByteArrayView(m_data.data(), qsizetype(m_data.size())));
        QByteArrayView line;
        uint32_t yields = 0;
        while (lines.next(line) && !line.isEmpty()) {
            // :\Games\Saves -> folder part Games\, name Saves
            const QByteArrayView relative = line.size() > 2 ? line.sliced(2) : QByteArrayView();
            qsizetype cut = relative.size();
            while (cut > 0 && relative[cut - 1] != '\\')
                --cut;
            const QByteArrayView leaf = relative.sliced(cut);
            m_name.truncate(0);
            m_name.append(leaf.data(), leaf.size());
            m_name.append('\\');
            if (m_matcher.matches(QByteArrayView(m_name))) {
                chunk.rows.beginFolder(recordPath + kBackslash + text::decode(relative.first(cut)));
                chunk.rows.addFolder(leaf);
                chunk.yieldsBefore.push_back(yields);
                yields = 0;
            }
            ++yields; // after each line, whether it matched or not
            if (yields >= 4096 || chunk.rows.size() >= 4096) {
                chunk.yieldsAfter = yields;
                yields = 0;
                output.push(std::move(chunk));
                chunk = FoundChunk();
                if (output.cancelled())
                    return;
            }
        }
        chunk.yieldsAfter = yields;
        output.push(std::move(chunk));
    }

private:
    // Reads the file into the worker's buffer, reused from disk to disk.
    bool readWhole(const QByteArray& path)
    {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd == -1)
            return false;
        size_t used = 0;
        for (;;) {
            if (m_data.size() - used < 65536)
                m_data.resize(qMax<size_t>(m_data.size() * 2, 262144));
            const ssize_t got = retryInterrupted(
                [&] { return ::read(fd, m_data.data() + used, m_data.size() - used); });
            if (got <= 0) {
                ::close(fd);
                if (got < 0)
                    return false;
                break;
            }
            used += size_t(got);
        }
        m_data.resize(used);
        return true;
    }

    UpperCaser m_caser;
    TextMatcher m_matcher;
    std::vector<char> m_data;
    QByteArray m_name;
};

} // namespace

SearchEngine::SearchEngine(const DatabaseFolder& folder, const DiskTable& disks,
                           const QLocale& locale)
    : m_folder(folder), m_disks(disks), m_locale(locale), m_caser(locale), m_format(locale),
      m_threads(DiskWorkers::defaultThreadCount())
{
}

SearchEngine::~SearchEngine() = default;

SearchEngine::End SearchEngine::run(SearchMode mode, const QString& text, SearchSink& sink,
                                    Progress& progress)
{
    if (m_running)
        return End::Refused;
    m_listAll = false;
    if (text.isEmpty() && mode != SearchMode::Everything) {
        progress.setStatus(0, texts::kNoSearchText);
        return End::Refused;
    }
    m_text = m_caser.upper(text);
    m_mode = mode;
    m_foundCount = 0;
    m_foundSize = 0;
    m_stopFlag = false;
    m_pending = Pending::None;
    m_comments.beginRun();
    m_sink = &sink;
    m_progress = &progress;
    m_running = true;

    progress.setStatus(0, texts::kClearing);
    sink.clear();
    progress.setStatus(0, texts::kSearching);

    const TextMatcher matcher(mode, m_text, m_caser);
    switch (mode) {
    case SearchMode::Name:
    case SearchMode::Extension:
    case SearchMode::Whole:
    case SearchMode::Start:
    case SearchMode::Everything:
        searchFileLists(mode);
        break;
    case SearchMode::Folder:
        searchTreeFiles();
        break;
    case SearchMode::DiskName:
        searchDiskNames(matcher);
        break;
    case SearchMode::Comments:
        searchComments(matcher);
        break;
    }

    const bool stopped = m_stopFlag;
    progress.setStatus(0, stopped ? texts::aborted(m_foundCount)
                                  : texts::finished(m_foundCount, m_foundSize, m_format));
    m_stopFlag = false;
    m_running = false;
    m_pending = Pending::None;
    m_comments.endRun();
    m_sink = nullptr;
    m_progress = nullptr;
    return stopped ? End::Stopped : End::Completed;
}

void SearchEngine::requestStop()
{
    if (!m_running)
        return;
    m_pending = Pending::None;
    m_progress->setStatus(0, texts::aborted(m_foundCount));
    m_stopFlag = true;
}

void SearchEngine::searchFileLists(SearchMode mode)
{
    const bool everything = mode == SearchMode::Everything;
    m_listAll = everything;

    // The workers need nothing of the engine but these.
    const int count = m_disks.count();
    std::vector<QString> recordPaths;
    std::vector<QByteArray> files;
    for (int i = 1; i <= count; ++i) {
        recordPaths.push_back(m_disks.at(i).path);
        files.push_back(QFile::encodeName(m_folder.recordFile(recordPaths.back(), ".f")));
    }
    std::vector<std::unique_ptr<FileListWork>> works;
    for (int i = 0; i < m_threads; ++i)
        works.push_back(std::make_unique<FileListWork>(mode, m_text, m_locale));
    DiskWorkers workers(count, m_threads, [&](int worker, int disk, DiskWorkers::Output& out) {
        works[size_t(worker)]->searchDisk(recordPaths[size_t(disk - 1)], files[size_t(disk - 1)],
                                          out);
    });

    const auto whileWaiting = [this] { return stayResponsive(); };
    FoundChunk chunk;
    for (int i = 1; i <= count; ++i) {
        if (!everything)
            showPerDisk(i);
        while (workers.next(i, chunk, whileWaiting)) {
            if (!(everything ? handOverEverything(chunk) : handOver(chunk, i)))
                return;
        }
        if (m_stopFlag)
            return;
    }
}

void SearchEngine::searchTreeFiles()
{
    const int count = m_disks.count();
    std::vector<QString> recordPaths;
    std::vector<QByteArray> files;
    for (int i = 1; i <= count; ++i) {
        recordPaths.push_back(m_disks.at(i).path);
        files.push_back(QFile::encodeName(m_folder.recordFile(recordPaths.back(), ".t")));
    }
    std::vector<std::unique_ptr<TreeFileWork>> works;
    for (int i = 0; i < m_threads; ++i)
        works.push_back(std::make_unique<TreeFileWork>(m_text, m_locale));
    DiskWorkers workers(count, m_threads, [&](int worker, int disk, DiskWorkers::Output& out) {
        works[size_t(worker)]->searchDisk(recordPaths[size_t(disk - 1)], files[size_t(disk - 1)],
                                          out);
    });

    const auto whileWaiting = [this] { return stayResponsive(); };
    FoundChunk chunk;
    for (int i = 1; i <= count; ++i) {
        showPerDisk(i);
        while (workers.next(i, chunk, whileWaiting)) {
            if (!handOver(chunk, i))
                return;
        }
        if (m_stopFlag)
            return;
    }
}

bool SearchEngine::handOver(FoundChunk& chunk, int diskIndex)
{
    ResultRows& rows = chunk.rows;
    for (size_t r = 0; r < rows.size(); ++r) {
        if (yieldToCaller(chunk.yieldsBefore[r]))
            return false;
        // As addItem() adds it: the comment of its key, the size to the total.
        rows.setComment(r, comments().find(rows.key(r)));
        if (rows.hasSize(r))
            m_foundSize = DisplayFormat::addSize(m_foundSize, rows.size(r));
        m_sink->addRows(rows, r, 1);
        ++m_foundCount;
        m_currentDisk = diskIndex;
        m_pending = Pending::PerDisk;
    }
    return !yieldToCaller(chunk.yieldsAfter);
}

// Reduced rows, added directly; every 100th lets the caller act.
bool SearchEngine::handOverEverything(const FoundChunk& chunk)
{
    const size_t count = chunk.rows.size();
    for (size_t r = 0; r < count;) {
        const size_t take = qMin(count - r, size_t(100 - m_foundCount % 100));
        m_sink->addRows(chunk.rows, r, take);
        m_foundCount += int(take);
        r += take;
        if (m_foundCount % 100 == 0) {
            m_progress->setStatus(0, texts::buildingList(m_foundCount));
            if (yieldToCaller())
                return false;
        }
    }
    return true;
}

void SearchEngine::searchDiskNames(const TextMatcher& matcher)
{
    // Reads no file and never yields.
    for (int i = 1; i <= m_disks.count(); ++i) {
        const QString& recordPath = m_disks.at(i).path;
        showPerDisk(i);
        if (matcher.matches(recordPath))
            addItem(keys::catalogue(recordPath), keys::lastName(recordPath), 0,
                    RecordDateTime::zero(), i);
    }
}

void SearchEngine::searchComments(const TextMatcher& matcher)
{
    m_progress->setStatus(0, texts::foundSoFar(m_foundCount));
    // Store order; a missing store has no entries. Keys are listed whether or not their
    // disk is still loaded.
    const CommentLookup& store = comments();
    size_t position = 0;
    CommentLookup::Entry entry;
    while (store.next(position, entry)) {
        if (yieldToCaller())
            return;
        if (matcher.matches(entry.comment))
            addItemFC(text::decode(entry.key), text::decode(entry.comment));
    }
}

void SearchEngine::addItem(const QString& containerKey, QString name, qint64 size,
                           RecordDateTime modified, int diskIndex)
{
    SearchRow row;
    row.key = containerKey + name;
    row.comment = comments().find(row.key);
    row.inFolder = containerKey;
    const bool folder = name.endsWith(kBackslash);
    if (folder)
        name.chop(1);
    row.name = name;
    if (m_mode == SearchMode::DiskName) {
        // A disk: shown like a folder, with the disk image.
        row.image = SearchRow::Image::Disk;
    } else if (folder) {
        row.image = SearchRow::Image::Closed;
    } else {
        row.size = size;
        row.hasSize = true;
        row.modified = modified;
        row.hasModified = true;
        m_foundSize = DisplayFormat::addSize(m_foundSize, size);
    }
    m_sink->addRow(row);
    ++m_foundCount;
    m_currentDisk = diskIndex;
    m_pending = Pending::PerDisk;
}

void SearchEngine::addItemFC(const QString& key, const QString& comment)
{
    SearchRow row;
    row.key = key;
    row.name = keys::lastName(key);
    row.inFolder = keys::parent(key);
    row.comment = comment;
    row.image = key.endsWith(kBackslash) ? SearchRow::Image::Closed : SearchRow::Image::FileType;
    m_sink->addRow(row);
    ++m_foundCount;
    m_pending = Pending::FoundSoFar;
}

bool SearchEngine::stayResponsive()
{
    if (m_progress->stayResponsive())
        m_stopFlag = true;
    return m_stopFlag;
}

bool SearchEngine::yieldToCaller(uint32_t times)
{
    if (times == 0)
        return false;
    flushStatus();
    if (m_progress->yieldMany(int(times)))
        m_stopFlag = true;
    return m_stopFlag;
}

void SearchEngine::showPerDisk(int diskIndex)
{
    m_currentDisk = diskIndex;
    m_pending = Pending::PerDisk;
}

void SearchEngine::flushStatus()
{
    switch (m_pending) {
    case Pending::None:
        return;
    case Pending::PerDisk:
        m_progress->setStatus(0, texts::perDisk(m_foundCount, m_currentDisk, m_disks.count()));
        break;
    case Pending::FoundSoFar:
        m_progress->setStatus(0, texts::foundSoFar(m_foundCount));
        break;
    }
    m_pending = Pending::None;
}

} // namespace dovrin::search
