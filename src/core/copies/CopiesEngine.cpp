#include "CopiesEngine.h"

#include "FingerprintFile.h"
#include "ListLines.h"
#include "common/Progress.h"
#include "search/CommentLookup.h"
#include "store/DiskTable.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace dovrin::copies {

namespace {

constexpr int kBuckets = 256;
constexpr qint64 kYieldEveryMs = 15;
constexpr int kLinesBetweenChecks = 4096;

// Sizes of the disk whose unique files are wanted, as bits of a 4-megabit table: a file of
// another disk whose size is not there is no copy, whatever its name, and is not looked at.
class SizeFilter
{
public:
    SizeFilter() : m_bits(kBits / 64, 0) {}
    void add(qint64 size) { m_bits[slot(size) / 64] |= uint64_t(1) << (slot(size) % 64); }
    bool mayHold(qint64 size) const { return m_bits[slot(size) / 64] >> (slot(size) % 64) & 1; }

private:
    static constexpr uint64_t kBits = uint64_t(1) << 22;
    static uint64_t slot(qint64 size) { return (uint64_t(size) * 0x9E3779B97F4A7C15ull) >> 42; }
    std::vector<uint64_t> m_bits;
};

QString kilobytes(qint64 bytes, const DisplayFormat& format)
{
    return format.size(DisplayFormat::roundedQuotient(bytes, 1024)) + QStringLiteral(" KB");
}

// The exact form of what makes files copies: the folded name, the size and maybe the date;
// or the size and the fingerprint.
QByteArray exactKey(QByteArrayView first, qint64 size, qint64 second)
{
    QByteArray key(first.data(), first.size());
    key.append(reinterpret_cast<const char*>(&size), sizeof size);
    key.append(reinterpret_cast<const char*>(&second), sizeof second);
    return key;
}

uint64_t contentKey(const Fingerprint& print, qint64 size)
{
    return print.low ^ (uint64_t(size) * 0x9E3779B97F4A7C15ull);
}

} // namespace

struct CopiesEngine::Entry
{
    uint64_t key;
    uint32_t disk;
    uint32_t line; // the file line's number in its file-list file, from 0

    bool operator<(const Entry& other) const
    {
        if (key != other.key)
            return key < other.key;
        return disk != other.disk ? disk < other.disk : line < other.line;
    }
};

struct CopiesEngine::Found
{
    uint32_t disk;
    uint32_t line;
    QByteArray exact;
    search::SearchRow row;
};

// One disk's file-list file, and in the content criterion its fingerprints, walked file line
// by file line with the container key of each.
class CopiesEngine::Reader
{
public:
    Reader(const CopiesEngine& engine, int disk) : m_engine(engine), m_disk(disk)
    {
        const QString& recordPath = engine.m_disks.at(disk).path;
        if (!m_file.read(engine.m_folder.recordFile(recordPath, ".f")))
            return; // vanished since loading: no files
        m_lines.emplace(m_file.data());
        if (engine.m_query.criterion == Criterion::Content)
            m_prints = readFingerprintFile(
                engine.m_folder.recordFile(recordPath, kFingerprintSuffix), m_file.data());
    }

    // The next file line; `line` counts them from 0.
    bool next(ListLine& file)
    {
        if (!m_lines)
            return false;
        while (m_lines->next(file)) {
            if (!file.folder) {
                ++m_line;
                return true;
            }
            m_folderKey = file.name;
        }
        return false;
    }
    uint32_t line() const { return uint32_t(m_line); }
    const Fingerprint* fingerprint() const
    {
        if (!m_prints || size_t(m_line) >= m_prints->size() || !(*m_prints)[size_t(m_line)])
            return nullptr;
        return &*(*m_prints)[size_t(m_line)];
    }

    // The key of the folder holding the current line: "P\", "P\Games\Saves\".
    QString container() const
    {
        QString key = m_engine.m_disks.at(m_disk).path + u'\\';
        if (m_folderKey.size() > 2)
            key += text::decode(m_folderKey.sliced(2)) + u'\\';
        return key;
    }

private:
    const CopiesEngine& m_engine;
    int m_disk;
    WholeFile m_file;
    std::optional<ListLines> m_lines;
    std::optional<Fingerprints> m_prints;
    QByteArrayView m_folderKey;
    qint64 m_line = -1;
};

CopiesEngine::CopiesEngine(const DatabaseFolder& folder, const DiskTable& disks,
                           const QLocale& locale)
    : m_folder(folder), m_disks(disks), m_caser(locale), m_format(locale)
{
}

CopiesEngine::~CopiesEngine() = default;

CopiesEngine::End CopiesEngine::run(const CopiesQuery& query, CopiesSink& sink, Progress& progress)
{
    m_query = query;
    m_sink = &sink;
    m_progress = &progress;
    m_summary = {};
    m_stop = false;
    m_stopped = false;
    m_running = true;
    m_sinceYield.invalidate(); // the first check lets the caller act
    m_buckets.assign(kBuckets, {});
    sink.clear();

    readDisks();
    std::vector<Entry> candidates;
    if (!m_stop)
        findCandidates(candidates);
    std::vector<Found> found;
    if (!m_stop)
        materialize(candidates, found);
    if (!m_stop) {
        if (m_query.onlyOnDisk > 0)
            emitOnlyOn(found);
        else
            emitGroups(found);
    }

    m_buckets.clear();
    m_buckets.shrink_to_fit();
    m_stopped = m_stop;
    m_running = false;
    progress.setStatus(0, summaryText());
    m_sink = nullptr;
    m_progress = nullptr;
    return m_stopped ? End::Stopped : End::Completed;
}

bool CopiesEngine::pause()
{
    if (m_stop)
        return true;
    if (m_sinceYield.isValid() && m_sinceYield.elapsed() < kYieldEveryMs)
        return false;
    if (m_progress->yield() || m_progress->stopRequested())
        m_stop = true;
    m_sinceYield.start();
    return m_stop;
}

void CopiesEngine::showReading(int disk)
{
    m_progress->setStatus(0, QStringLiteral("Reading disk") + signedNumberText(disk) +
                                 QStringLiteral(" of") + signedNumberText(m_disks.count()) +
                                 QStringLiteral("..."));
}

// Puts the key of every file that may have a copy into the buckets. For "only on", that
// disk's files go first and the other disks' files only when their size is one of its sizes.
void CopiesEngine::readDisks()
{
    const Criterion criterion = m_query.criterion;
    const bool withDate = criterion == Criterion::NameSizeAndDate;
    const qint64 smallest = qMax<qint64>(m_query.minimumSize, 1);
    const int target = m_query.onlyOnDisk;
    const NameFolder folder(m_caser);
    SizeFilter sizes;
    QByteArray scratch;

    std::vector<int> order;
    if (target > 0)
        order.push_back(target);
    for (int disk = 1; disk <= m_disks.count(); ++disk) {
        if (disk != target)
            order.push_back(disk);
    }
    int shown = 0;
    for (const int disk : order) {
        showReading(++shown);
        if (pause())
            return;
        const bool filtered = target > 0 && disk != target;
        const bool counted = target == 0 || disk == target;
        Reader reader(*this, disk);
        ListLine file;
        int sinceCheck = 0;
        while (reader.next(file)) {
            if (++sinceCheck == kLinesBetweenChecks) {
                sinceCheck = 0;
                if (pause())
                    return;
            }
            const qint64 size = sizeOf(file.rest);
            if (size < smallest || (filtered && !sizes.mayHold(size)))
                continue;
            if (disk == target)
                sizes.add(size);
            uint64_t key;
            if (criterion == Criterion::Content) {
                const Fingerprint* print = reader.fingerprint();
                if (!print) {
                    m_summary.withoutFingerprint += counted ? 1 : 0;
                    continue;
                }
                key = contentKey(*print, size);
            } else {
                const RecordDateTime modified = withDate ? modifiedOf(file.rest) : RecordDateTime();
                key = nameKey(folder.fold(file.name, scratch), size, modified, withDate);
            }
            m_buckets[key >> 56].push_back(Entry{key, uint32_t(disk), reader.line()});
        }
    }
}

// The entries whose keys meet: any two for copies; for "only on", those that meet an entry of
// the disk and one of another disk.
void CopiesEngine::findCandidates(std::vector<Entry>& candidates)
{
    m_progress->setStatus(0, QStringLiteral("Comparing..."));
    const uint32_t target = uint32_t(m_query.onlyOnDisk);
    for (std::vector<Entry>& bucket : m_buckets) {
        if (pause())
            return;
        std::sort(bucket.begin(), bucket.end());
        for (size_t i = 0; i < bucket.size();) {
            size_t end = i + 1;
            bool ofTarget = bucket[i].disk == target;
            bool ofOther = !ofTarget;
            while (end < bucket.size() && bucket[end].key == bucket[i].key) {
                ofTarget = ofTarget || bucket[end].disk == target;
                ofOther = ofOther || bucket[end].disk != target;
                ++end;
            }
            const bool wanted = target == 0 ? end - i > 1 : ofTarget && ofOther;
            if (wanted)
                candidates.insert(candidates.end(), bucket.begin() + qsizetype(i),
                                  bucket.begin() + qsizetype(end));
            i = end;
        }
        bucket.clear();
        bucket.shrink_to_fit();
    }
}

// Reads the candidates' lines again, disk by disk, into rows with their exact keys.
void CopiesEngine::materialize(std::vector<Entry>& candidates, std::vector<Found>& found)
{
    std::sort(candidates.begin(), candidates.end(), [](const Entry& a, const Entry& b) {
        return a.disk != b.disk ? a.disk < b.disk : a.line < b.line;
    });
    const bool withDate = m_query.criterion == Criterion::NameSizeAndDate;
    const NameFolder folder(m_caser);
    QByteArray scratch;
    found.reserve(candidates.size());
    for (size_t i = 0; i < candidates.size();) {
        if (pause())
            return;
        const uint32_t disk = candidates[i].disk;
        Reader reader(*this, int(disk));
        ListLine file;
        while (i < candidates.size() && candidates[i].disk == disk && reader.next(file)) {
            if (reader.line() != candidates[i].line)
                continue;
            Found f{disk, reader.line(), {}, {}};
            const qint64 size = sizeOf(file.rest);
            const RecordDateTime modified = modifiedOf(file.rest);
            if (m_query.criterion == Criterion::Content) {
                const Fingerprint* print = reader.fingerprint();
                if (!print) {
                    ++i; // its side file changed since the first reading
                    continue;
                }
                f.exact = exactKey(
                    QByteArrayView(reinterpret_cast<const char*>(print), sizeof(Fingerprint)), size,
                    0);
            } else {
                f.exact = exactKey(folder.fold(file.name, scratch), size,
                                   withDate ? modified.seconds() : 0);
            }
            search::SearchRow& row = f.row;
            row.name = text::decode(file.name);
            row.inFolder = reader.container();
            row.key = row.inFolder + row.name;
            row.size = size;
            row.hasSize = true;
            row.modified = modified;
            row.hasModified = true;
            found.push_back(std::move(f));
            ++i;
        }
        while (i < candidates.size() && candidates[i].disk == disk)
            ++i; // lines that vanished since the first reading
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.exact != b.exact)
            return a.exact < b.exact;
        return a.disk != b.disk ? a.disk < b.disk : a.line < b.line;
    });
}

void CopiesEngine::emitGroups(std::vector<Found>& found)
{
    struct Group
    {
        size_t begin;
        size_t end;
        qint64 extra;
    };
    std::vector<Group> groups;
    for (size_t i = 0; i < found.size();) {
        size_t end = i + 1;
        while (end < found.size() && found[end].exact == found[i].exact)
            ++end;
        if (end - i > 1)
            groups.push_back(Group{i, end, found[i].row.size * qint64(end - i - 1)});
        i = end;
    }
    // Largest extra space first; equal ones in the order of their first file.
    std::stable_sort(groups.begin(), groups.end(), [&found](const Group& a, const Group& b) {
        if (a.extra != b.extra)
            return a.extra > b.extra;
        const Found& x = found[a.begin];
        const Found& y = found[b.begin];
        return x.disk != y.disk ? x.disk < y.disk : x.line < y.line;
    });

    m_progress->setStatus(0, QStringLiteral("Listing copies..."));
    const search::CommentLookup comments(m_folder);
    for (const Group& group : groups) {
        if (pause())
            return;
        for (size_t i = group.begin; i < group.end; ++i) {
            search::SearchRow& row = found[i].row;
            row.comment = comments.find(row.key);
            m_sink->addRow(row, int(m_summary.groups));
        }
        ++m_summary.groups;
        m_summary.files += qint64(group.end - group.begin);
        m_summary.bytes += group.extra;
    }
}

void CopiesEngine::emitOnlyOn(const std::vector<Found>& found)
{
    // The disk's lines that meet a line of another disk exactly.
    const uint32_t target = uint32_t(m_query.onlyOnDisk);
    std::vector<uint32_t> copied;
    for (size_t i = 0; i < found.size();) {
        size_t end = i + 1;
        bool other = found[i].disk != target;
        for (; end < found.size() && found[end].exact == found[i].exact; ++end)
            other = other || found[end].disk != target;
        for (size_t k = i; other && k < end; ++k) {
            if (found[k].disk == target)
                copied.push_back(found[k].line);
        }
        i = end;
    }
    std::sort(copied.begin(), copied.end());

    m_progress->setStatus(0, QStringLiteral("Listing files..."));
    const search::CommentLookup comments(m_folder);
    const bool content = m_query.criterion == Criterion::Content;
    Reader reader(*this, int(target));
    ListLine file;
    int sinceCheck = 0;
    while (reader.next(file)) {
        if (++sinceCheck == kLinesBetweenChecks) {
            sinceCheck = 0;
            if (pause())
                return;
        }
        const qint64 size = sizeOf(file.rest);
        if (size < m_query.minimumSize ||
            std::binary_search(copied.begin(), copied.end(), reader.line()))
            continue;
        if (content && size > 0 && !reader.fingerprint())
            continue; // left out, and counted when the disk was read
        search::SearchRow row;
        row.name = text::decode(file.name);
        row.inFolder = reader.container();
        row.key = row.inFolder + row.name;
        row.size = size;
        row.hasSize = true;
        row.modified = modifiedOf(file.rest);
        row.hasModified = true;
        row.comment = comments.find(row.key);
        m_sink->addRow(row, 0);
        ++m_summary.files;
        m_summary.bytes += size;
    }
}

QString CopiesEngine::summaryText() const
{
    QString text = m_stopped ? QStringLiteral("Stopped.") : QString();
    if (m_query.onlyOnDisk > 0) {
        if (m_summary.files == 0 && !m_stopped)
            text = QStringLiteral("Every file of this disk is also on another disk.");
        else
            text += signedNumberText(m_summary.files) +
                    QStringLiteral(" file(s) only on this disk, ") +
                    kilobytes(m_summary.bytes, m_format);
    } else {
        text += signedNumberText(m_summary.groups) + QStringLiteral(" group(s) of copies,") +
                signedNumberText(m_summary.files) + QStringLiteral(" file(s), ") +
                kilobytes(m_summary.bytes, m_format) + QStringLiteral(" in extra copies");
    }
    if (m_query.criterion == Criterion::Content && m_summary.withoutFingerprint > 0)
        text += QStringLiteral(";") + signedNumberText(m_summary.withoutFingerprint) +
                QStringLiteral(" file(s) without a fingerprint left out");
    return text;
}

} // namespace dovrin::copies
