#include "SearchEngine.h"

#include "CommentLookup.h"
#include "FileListScanner.h"
#include "SearchTexts.h"
#include "common/Progress.h"
#include "store/DiskTable.h"
#include "store/Keys.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <string>

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

// Walks the file-list files for the four file-name searches and for listing everything.
class SearchEngine::FileNameWalk final : public FileListScanner::Handler
{
public:
    FileNameWalk(SearchEngine& engine, const TextMatcher& matcher, bool everything)
        : m_engine(engine), m_matcher(matcher), m_everything(everything)
    {
    }

    void startDisk(const QString& recordPath, int diskIndex)
    {
        m_recordPath = recordPath;
        m_diskIndex = diskIndex;
        m_folderKey.clear();
        m_container.clear(); // a file before any folder line has the empty container key
        m_containerReady = true;
    }

    bool folderLine() override { return m_everything || !m_engine.yieldToCaller(); }

    void folderKey(QByteArrayView key) override
    {
        m_folderKey.assign(key.data(), size_t(key.size()));
        m_containerReady = false;
    }

    bool fileLine(QByteArrayView line, QByteArrayView name) override
    {
        if (m_everything)
            return addReducedRow(line, name);
        if (!m_matcher.matches(name))
            return true;
        qint64 size;
        RecordDateTime modified;
        readSizeAndDate(line, size, modified);
        m_engine.addItem(container(), text::decode(name), size, modified, m_diskIndex);
        return true;
    }

private:
    // The record path, "\", and the folder key with "\" appended and its first two
    // characters removed: ":" gives "P\", ":\Games\Saves" gives "P\Games\Saves\".
    const QString& container()
    {
        if (!m_containerReady) {
            m_container = m_recordPath + kBackslash;
            if (m_folderKey.size() > 2) {
                m_container += text::decode(QByteArrayView(m_folderKey).sliced(2));
                m_container += kBackslash;
            }
            m_containerReady = true;
        }
        return m_container;
    }

    // A row without date, comment or total, added directly; every 100th lets the caller act.
    bool addReducedRow(QByteArrayView line, QByteArrayView name)
    {
        SearchRow row;
        row.name = text::decode(name);
        row.inFolder = container();
        row.key = row.inFolder + row.name;
        row.size = readSize(line);
        row.hasSize = true;
        m_engine.m_sink->addRow(row);
        const int found = ++m_engine.m_foundCount;
        if (found % 100 != 0)
            return true;
        m_engine.m_progress->setStatus(0, texts::buildingList(found));
        return !m_engine.yieldToCaller();
    }

    SearchEngine& m_engine;
    const TextMatcher& m_matcher;
    const bool m_everything;
    QString m_recordPath;
    int m_diskIndex = 0;
    std::string m_folderKey;
    QString m_container;
    bool m_containerReady = true;
};

SearchEngine::SearchEngine(const DatabaseFolder& folder, const DiskTable& disks,
                           const QLocale& locale)
    : m_folder(folder), m_disks(disks), m_caser(locale), m_format(locale),
      m_scanner(std::make_unique<FileListScanner>())
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
    m_comments.reset();
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
        searchFileLists(mode, matcher);
        break;
    case SearchMode::Folder:
        searchTreeFiles(matcher);
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
    m_comments.reset();
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

void SearchEngine::searchFileLists(SearchMode mode, const TextMatcher& matcher)
{
    const bool everything = mode == SearchMode::Everything;
    m_listAll = everything;

    FileListScanner::Filter filter;
    if (everything || !matcher.asciiNamesFast()) {
        filter.allFiles = true; // every name needs a look
    } else {
        // ASCII names can only match when they hold the text's bytes; a name with other
        // bytes is upper-cased by the locale before the test (ß holds "SS", for example).
        if (matcher.asciiNamesCanMatch())
            filter.asciiNeedle =
                QByteArray(matcher.asciiNeedle().data(), matcher.asciiNeedle().size());
        filter.nonAsciiNames = true;
        // A quote or a line end never stands in a name: only other names may match.
        if (filter.asciiNeedle.contains('"') || filter.asciiNeedle.contains('\n') ||
            filter.asciiNeedle.contains('\r'))
            filter.asciiNeedle.clear();
    }

    FileNameWalk walk(*this, matcher, everything);
    for (int i = 1; i <= m_disks.count(); ++i) {
        const QString& recordPath = m_disks.at(i).path;
        if (!everything)
            showPerDisk(i);
        walk.startDisk(recordPath, i);
        // A disk whose file vanished since loading is skipped.
        m_scanner->scan(m_folder.recordFile(recordPath, ".f"), filter, walk);
        if (m_stopFlag)
            return;
    }
}

void SearchEngine::searchTreeFiles(const TextMatcher& matcher)
{
    QByteArray name;
    for (int i = 1; i <= m_disks.count(); ++i) {
        const QString& recordPath = m_disks.at(i).path;
        showPerDisk(i);
        QFile file(m_folder.recordFile(recordPath, ".t"));
        if (!file.open(QIODevice::ReadOnly))
            continue; // vanished since loading
        const QByteArray data = file.readAll();
        file.close();
        LineReader lines(data);
        QByteArrayView line;
        while (lines.next(line) && !line.isEmpty()) {
            // :\Games\Saves -> folder part Games\, name Saves
            const QByteArrayView relative = line.size() > 2 ? line.sliced(2) : QByteArrayView();
            qsizetype cut = relative.size();
            while (cut > 0 && relative[cut - 1] != '\\')
                --cut;
            const QByteArrayView leaf = relative.sliced(cut);
            name.truncate(0);
            name.append(leaf.data(), leaf.size());
            name.append('\\');
            if (matcher.matches(QByteArrayView(name))) {
                const QString container =
                    recordPath + kBackslash + text::decode(relative.first(cut));
                addItem(container, text::decode(leaf) + kBackslash, 0, RecordDateTime::zero(), i);
            }
            if (yieldToCaller())
                return;
        }
    }
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
    const CommentLookup store(m_folder);
    for (size_t i = 0; i < store.size(); ++i) {
        const CommentLookup::Entry& entry = store.entry(i);
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

bool SearchEngine::yieldToCaller()
{
    flushStatus();
    if (m_progress->yield())
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

const CommentLookup& SearchEngine::comments()
{
    if (!m_comments)
        m_comments = std::make_unique<CommentLookup>(m_folder);
    return *m_comments;
}

} // namespace dovrin::search
