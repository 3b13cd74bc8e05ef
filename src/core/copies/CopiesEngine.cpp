#include "CopiesEngine.h"

#include "FingerprintFile.h"
#include "ListLines.h"
#include "ParallelItems.h"
#include "common/Progress.h"
#include "search/CommentLookup.h"
#include "search/LargeBuffer.h"
#include "store/DiskTable.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

#include <QFile>
#include <QThread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace dovrin::copies {

namespace {

constexpr int kBucketBits = 10;
constexpr size_t kBuckets = size_t(1) << kBucketBits;
constexpr qint64 kYieldEveryMs = 15;
constexpr int kLinesBetweenChecks = 4096;

// Sizes of the disk whose unique files are wanted, as bits of a table: a file of another disk
// whose size is not there is no copy, whatever its name, and is not looked at. The table is
// looked up for every file line of every other disk, so it is made as small as keeps few
// sizes passing by chance: 16 bits a size, from 4 KB up to 512 KB; a table that stays in
// the processor's cache costs a few cycles a line where one in memory costs a hundred.
class SizeFilter
{
public:
    explicit SizeFilter(const std::vector<qint64>& sizes)
    {
        int bits = 15;
        while (bits < 22 && (size_t(1) << bits) < sizes.size() * 16)
            ++bits;
        m_shift = 64 - bits;
        m_bits.assign((size_t(1) << bits) / 64, 0);
        for (const qint64 size : sizes)
            m_bits[slot(size) / 64] |= uint64_t(1) << (slot(size) % 64);
    }
    bool mayHold(qint64 size) const { return m_bits[slot(size) / 64] >> (slot(size) % 64) & 1; }

private:
    uint64_t slot(qint64 size) const { return (uint64_t(size) * kGolden) >> m_shift; }
    int m_shift = 0;
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
    return print.low ^ (uint64_t(size) * kGolden);
}

} // namespace

struct CopiesEngine::Entry
{
    uint64_t key;
    uint32_t disk;
    uint32_t line; // the file line's number in its file-list file, from 0
};

struct CopiesEngine::Found
{
    uint32_t disk;
    uint32_t line;
    QByteArray exact;
    search::SearchRow row;
};

// Where every 64th file line of a disk begins, and the folder line before it: the second
// reading jumps to the mark before each line it wants instead of walking every line again.
struct CopiesEngine::LineMark
{
    static constexpr uint32_t kEvery = 64;
    static constexpr uint32_t kNoFolder = UINT32_MAX;
    uint32_t line;   // the byte offset of the file line
    uint32_t folder; // of its folder line, or kNoFolder
};

struct CopiesEngine::DiskMarks
{
    qsizetype fileSize = -1; // the file-list file's size when the marks were taken
    std::vector<LineMark> marks;
};

// One disk's file-list file, and in the content criterion its fingerprints, walked file line
// by file line with the container key of each.
class CopiesEngine::Reader
{
public:
    // `file` is the buffer the caller reuses from disk to disk. With `marks`, the walk takes
    // them.
    Reader(const CopiesEngine& engine, int disk, WholeFile& file, DiskMarks* marks = nullptr)
        : m_engine(engine), m_disk(disk), m_marks(marks)
    {
        const QString& recordPath = engine.m_disks.at(disk).path;
        if (!file.read(engine.m_folder.recordFile(recordPath, ".f")))
            return; // vanished since loading: no files
        m_data = file.data();
        m_lines.emplace(m_data);
        if (m_marks)
            m_marks->fileSize = m_data.size();
        if (engine.m_query.criterion == Criterion::Content)
            m_prints = readFingerprintFile(
                engine.m_folder.recordFile(recordPath, kFingerprintSuffix), m_data);
    }

    // The next file line; `line` counts them from 0.
    bool next(ListLine& file)
    {
        if (!m_lines)
            return false;
        for (;;) {
            const size_t at = m_lines->offset();
            if (!m_lines->next(file))
                return false;
            if (!file.folder) {
                ++m_line;
                if (m_marks && m_line % LineMark::kEvery == 0 && at < LineMark::kNoFolder)
                    m_marks->marks.push_back(LineMark{uint32_t(at), m_folderAt});
                return true;
            }
            m_folderKey = file.name;
            m_folderAt = at < LineMark::kNoFolder ? uint32_t(at) : LineMark::kNoFolder;
        }
    }
    // Jumps ahead to the mark before file line `line` when that is further on than the next
    // line; marks taken from a file of another size are not used.
    void skipTowards(uint32_t line, const DiskMarks& marks)
    {
        const size_t k = line / LineMark::kEvery;
        if (!m_lines || marks.fileSize != m_data.size() || k >= marks.marks.size() ||
            qint64(k) * LineMark::kEvery <= m_line + 1)
            return;
        const LineMark& mark = marks.marks[k];
        m_folderKey = {};
        if (mark.folder != LineMark::kNoFolder) {
            ListLines folderLine(m_data.sliced(mark.folder));
            ListLine folder;
            if (folderLine.next(folder) && folder.folder)
                m_folderKey = folder.name;
        }
        m_lines.emplace(m_data.sliced(mark.line));
        m_line = qint64(k) * LineMark::kEvery - 1;
    }
    uint32_t line() const { return uint32_t(m_line); }
    const Fingerprint* fingerprint() const
    {
        if (!m_prints || size_t(m_line) >= m_prints->size() || !(*m_prints)[size_t(m_line)])
            return nullptr;
        return &*(*m_prints)[size_t(m_line)];
    }

    // The key of the folder holding the current line: "P\", "P\Games\Saves\".
    QString container() const { return m_engine.containerKey(m_disk, m_folderKey); }

private:
    const CopiesEngine& m_engine;
    int m_disk;
    DiskMarks* m_marks;
    QByteArrayView m_data;
    std::optional<ListLines> m_lines;
    std::optional<Fingerprints> m_prints;
    QByteArrayView m_folderKey;
    uint32_t m_folderAt = LineMark::kNoFolder;
    qint64 m_line = -1;
};

// One worker's keys by bucket (the key's top bits), in blocks of 4 KB cut from large slabs:
// ten million keys grow neither by copying nor by a page fault every 4 KB. An entry takes
// eight bytes: the 32 key bits below the bucket's, the disk and the line. The key keeps 42
// of its bits so; two files it takes for copies by mistake are told apart by the exact
// comparison that follows. Lines past the fourth million of a disk are kept whole apart.
class CopiesEngine::Buckets
{
public:
    static constexpr int kKeyShift = 64 - kBucketBits - 32;
    static constexpr uint32_t kLineBits = 22;
    static constexpr uint32_t kDiskLimit = uint32_t(1) << (32 - kLineBits);

    Buckets() : m_first(kBuckets, nullptr), m_last(kBuckets, nullptr), m_whole(kBuckets) {}

    // The key as the table keeps it: the bucket's and the 32 kept bits, the rest zero.
    static uint64_t kept(uint64_t key) { return key & ~((uint64_t(1) << kKeyShift) - 1); }

    void add(const Entry& entry)
    {
        const size_t bucket = size_t(entry.key >> (64 - kBucketBits));
        if (entry.line >> kLineBits != 0 || entry.disk >= kDiskLimit) {
            m_whole[bucket].push_back(Entry{kept(entry.key), entry.disk, entry.line});
            return;
        }
        // Entries wait in a cache line of their bucket and go to its block eight at a time:
        // the lines of all buckets stay in the cache where a thousand blocks would not.
        Stage& stage = m_stages[bucket];
        uint8_t& staged = m_staged[bucket];
        stage.entries[staged++] =
            Packed{uint32_t(entry.key >> kKeyShift), entry.disk << kLineBits | entry.line};
        if (staged < kStaged)
            return;
        Block* block = m_last[bucket];
        uint32_t& filled = m_filled[bucket];
        if (!block || filled == kBlockEntries) {
            Block* fresh = newBlock();
            (block ? block->next : m_first[bucket]) = fresh;
            m_last[bucket] = block = fresh;
            filled = 0;
        }
#if defined(__SSE2__)
        // Written past the cache: the line would only push out the stages before it is read.
        const __m128i* from = reinterpret_cast<const __m128i*>(stage.entries);
        __m128i* to = reinterpret_cast<__m128i*>(block->entries + filled);
        for (int i = 0; i < 4; ++i)
            _mm_stream_si128(to + i, _mm_load_si128(from + i));
#else
        std::memcpy(block->entries + filled, stage.entries, sizeof stage.entries);
#endif
        filled += kStaged;
        staged = 0;
    }
    // Makes the blocks written so far whole for other threads: the writes past the cache are
    // not ordered by the locks and atomics that hand the work over.
    static void finishWrites()
    {
#if defined(__SSE2__)
        _mm_sfence();
#endif
    }
    template <typename F> void forEach(size_t bucket, F&& f) const
    {
        const uint64_t top = uint64_t(bucket) << (64 - kBucketBits);
        for (const Block* block = m_first[bucket]; block; block = block->next) {
            const uint32_t count = block == m_last[bucket] ? m_filled[bucket] : kBlockEntries;
            for (uint32_t i = 0; i < count; ++i)
                f(unpack(top, block->entries[i]));
        }
        const Stage& stage = m_stages[bucket];
        for (uint32_t i = 0; i < m_staged[bucket]; ++i)
            f(unpack(top, stage.entries[i]));
        for (const Entry& e : m_whole[bucket])
            f(e);
    }

private:
    struct Packed
    {
        uint32_t key;
        uint32_t place; // disk and line
    };
    static Entry unpack(uint64_t top, const Packed& p)
    {
        return Entry{top | uint64_t(p.key) << kKeyShift, p.place >> kLineBits,
                     p.place & ((uint32_t(1) << kLineBits) - 1)};
    }
    static constexpr uint32_t kStaged = 8;
    static constexpr uint32_t kBlockEntries = 63 * kStaged; // a block of 4 KB less a line
    struct alignas(64) Stage
    {
        Packed entries[kStaged];
    };
    struct alignas(64) Block // full but for the last of its bucket, whose count is kept apart
    {
        Packed entries[kBlockEntries];
        Block* next;
    };
    static constexpr size_t kSlabBytes = size_t(32) << 20;

    Block* newBlock()
    {
        if (size_t(m_end - m_free) < sizeof(Block)) { // both null before the first slab
            m_slabs.emplace_back(kSlabBytes);
            m_free = m_slabs.back().data();
            m_end = m_free + kSlabBytes;
        }
        Block* block = new (m_free) Block; // the slab comes zeroed: no next, no entries
        m_free += sizeof(Block);
        return block;
    }

    std::vector<Stage> m_stages{kBuckets};
    std::vector<uint8_t> m_staged = std::vector<uint8_t>(kBuckets, 0);
    std::vector<uint32_t> m_filled = std::vector<uint32_t>(kBuckets, 0); // of the last block
    std::vector<Block*> m_first;
    std::vector<Block*> m_last;
    std::vector<std::vector<Entry>> m_whole;
    std::vector<search::LargeBuffer> m_slabs;
    char* m_free = nullptr;
    char* m_end = nullptr;
};

// What each worker thread keeps for itself.
struct CopiesEngine::Worker
{
    explicit Worker(const search::UpperCaser& upper) : caser(upper), folder(caser) {}
    search::UpperCaser caser;
    NameFolder folder;
    QByteArray scratch;
    WholeFile file;
    Buckets buckets;
    qint64 withoutFingerprint = 0;
    std::vector<Entry> candidates;
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
    sink.clear();

    m_comments.beginRun();
    m_marks.assign(size_t(m_disks.count()) + 1, DiskMarks{});
    Workers workers;
    const int threads = qMax(1, QThread::idealThreadCount());
    for (int i = 0; i < threads; ++i)
        workers.push_back(std::make_unique<Worker>(m_caser));
    readDisks(workers);
    std::vector<Entry> candidates;
    if (!m_stop)
        findCandidates(workers, candidates);
    workers.clear();
    std::vector<Found> found;
    if (!m_stop)
        materialize(candidates, found);
    if (!m_stop) {
        if (m_query.onlyOnDisk > 0)
            emitOnlyOn(found);
        else
            emitGroups(found);
    }

    m_marks = {};
    m_comments.endRun();
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

// Puts the key of every file that may have a copy into the workers' buckets. For "only on",
// that disk's files go first and the other disks' files only when their size is one of its
// sizes.
void CopiesEngine::readDisks(Workers& workers)
{
    const Criterion criterion = m_query.criterion;
    const bool withDate = criterion == Criterion::NameSizeAndDate;
    const qint64 smallest = qMax<qint64>(m_query.minimumSize, 1);
    const int target = m_query.onlyOnDisk;
    std::vector<qint64> targetSizes;
    std::optional<SizeFilter> sizes; // made once the target is read, before any other disk

    const auto readDisk = [&](Worker& worker, int disk) {
        const bool filtered = target > 0 && disk != target;
        const bool counted = target == 0 || disk == target;
        Reader reader(*this, disk, worker.file, &m_marks[size_t(disk)]);
        ListLine file;
        int sinceCheck = 0;
        while (reader.next(file)) {
            if (++sinceCheck == kLinesBetweenChecks) {
                sinceCheck = 0;
                if (m_stop.load(std::memory_order_relaxed))
                    return;
            }
            const qint64 size = sizeOf(file.rest);
            if (size < smallest || (filtered && !sizes->mayHold(size)))
                continue;
            if (disk == target)
                targetSizes.push_back(size);
            uint64_t key;
            if (criterion == Criterion::Content) {
                const Fingerprint* print = reader.fingerprint();
                if (!print) {
                    worker.withoutFingerprint += counted ? 1 : 0;
                    continue;
                }
                key = contentKey(*print, size);
            } else {
                const RecordDateTime modified = withDate ? modifiedOf(file.rest) : RecordDateTime();
                key = worker.folder.key(file.name, size, modified, withDate, worker.scratch);
            }
            worker.buckets.add(Entry{key, uint32_t(disk), reader.line()});
        }
        Buckets::finishWrites();
    };

    std::vector<int> others;
    for (int disk = 1; disk <= m_disks.count(); ++disk) {
        if (disk != target)
            others.push_back(disk);
    }
    int shown = 0;
    if (target > 0) {
        showReading(++shown);
        if (pause())
            return;
        readDisk(*workers.front(), target);
        sizes.emplace(targetSizes);
    }
    std::atomic<int> done{0};
    runParallel(
        int(workers.size()), others.size(),
        [&](int worker, size_t item) {
            readDisk(*workers[size_t(worker)], others[item]);
            done.fetch_add(1, std::memory_order_relaxed);
        },
        [&] {
            showReading(shown + qMin(done.load() + 1, int(others.size())));
            return pause();
        });
    for (const auto& worker : workers)
        m_summary.withoutFingerprint += worker->withoutFingerprint;
}

// The entries whose keys meet: any two for copies; for "only on", those that meet an entry of
// the disk and one of another disk. Bucket by bucket: two maps of 17 key bits each, which stay
// in the nearest cache, first pass the entries whose bits meet (most keys are alone, and go no
// further); a table of their whole keys then finds which of those meet.
void CopiesEngine::findCandidates(Workers& workers, std::vector<Entry>& candidates)
{
    m_progress->setStatus(0, QStringLiteral("Comparing..."));
    const uint32_t target = uint32_t(m_query.onlyOnDisk);
    struct Slot
    {
        uint64_t key;
        uint32_t count;
        bool used;
        bool ofTarget;
        bool ofOther;
    };
    constexpr int kMapBits = 17;
    constexpr size_t kMapWords = (size_t(1) << kMapBits) / 64;
    struct Scratch
    {
        std::vector<Entry> meeting;
        std::vector<Slot> table;
        // Copies: a bit seen, seen again. Only on: seen on the disk, seen on another.
        std::vector<uint64_t> first = std::vector<uint64_t>(kMapWords);
        std::vector<uint64_t> second = std::vector<uint64_t>(kMapWords);
    };
    std::vector<Scratch> scratches(workers.size());
    const auto bitOf = [](uint64_t key) {
        return size_t(key >> Buckets::kKeyShift) & ((size_t(1) << kMapBits) - 1);
    };

    runParallel(
        int(workers.size()), kBuckets,
        [&](int w, size_t bucket) {
            Scratch& scratch = scratches[size_t(w)];
            std::fill(scratch.first.begin(), scratch.first.end(), 0);
            std::fill(scratch.second.begin(), scratch.second.end(), 0);
            uint64_t* first = scratch.first.data();
            uint64_t* second = scratch.second.data();
            const auto forEach = [&workers, bucket](auto&& f) {
                for (const auto& worker : workers)
                    worker->buckets.forEach(bucket, f);
            };
            forEach([&](const Entry& e) {
                const size_t bit = bitOf(e.key);
                const uint64_t mask = uint64_t(1) << (bit % 64);
                if (target == 0) {
                    second[bit / 64] |= first[bit / 64] & mask;
                    first[bit / 64] |= mask;
                } else {
                    (e.disk == target ? first : second)[bit / 64] |= mask;
                }
            });
            std::vector<Entry>& meeting = scratch.meeting;
            meeting.clear();
            forEach([&](const Entry& e) {
                const size_t bit = bitOf(e.key);
                const uint64_t both = first[bit / 64] & second[bit / 64];
                if ((target == 0 ? second[bit / 64] : both) >> (bit % 64) & 1)
                    meeting.push_back(e);
            });
            if (meeting.size() < 2)
                return;

            size_t capacity = 16;
            while (capacity < meeting.size() * 2)
                capacity *= 2;
            std::vector<Slot>& table = scratch.table;
            table.assign(capacity, Slot{});
            const size_t mask = capacity - 1;
            const auto slotOf = [&table, mask](uint64_t key) -> Slot& {
                size_t i = size_t(key >> Buckets::kKeyShift) & mask;
                while (table[i].used && table[i].key != key)
                    i = (i + 1) & mask;
                return table[i];
            };
            for (const Entry& e : meeting) {
                Slot& slot = slotOf(e.key);
                slot.used = true;
                slot.key = e.key;
                ++slot.count;
                (e.disk == target ? slot.ofTarget : slot.ofOther) = true;
            }
            std::vector<Entry>& out = workers[size_t(w)]->candidates;
            for (const Entry& e : meeting) {
                const Slot& slot = slotOf(e.key);
                if (target == 0 ? slot.count > 1 : slot.ofTarget && slot.ofOther)
                    out.push_back(e);
            }
        },
        [this] { return pause(); });
    for (const auto& worker : workers)
        candidates.insert(candidates.end(), worker->candidates.begin(), worker->candidates.end());
}

// Reads the candidates' lines again, disk by disk on the workers, into rows with their exact
// keys.
void CopiesEngine::materialize(std::vector<Entry>& candidates, std::vector<Found>& found)
{
    std::sort(candidates.begin(), candidates.end(), [](const Entry& a, const Entry& b) {
        return a.disk != b.disk ? a.disk < b.disk : a.line < b.line;
    });
    struct Range
    {
        size_t begin;
        size_t end;
        std::vector<Found> found;
    };
    std::vector<Range> ranges;
    for (size_t i = 0; i < candidates.size();) {
        size_t end = i + 1;
        while (end < candidates.size() && candidates[end].disk == candidates[i].disk)
            ++end;
        ranges.push_back(Range{i, end, {}});
        i = end;
    }

    const int threads = qMax(1, QThread::idealThreadCount());
    std::vector<std::unique_ptr<Worker>> workers;
    for (int i = 0; i < threads; ++i)
        workers.push_back(std::make_unique<Worker>(m_caser));
    runParallel(
        threads, ranges.size(),
        [&](int w, size_t r) {
            Worker& worker = *workers[size_t(w)];
            Range& range = ranges[r];
            const Entry* begin = candidates.data() + range.begin;
            const Entry* end = candidates.data() + range.end;
            if (m_query.criterion == Criterion::Content ||
                !readMarkedRuns(worker, begin, end, range.found)) {
                range.found.clear();
                readWhole(worker, begin, end, range.found);
            }
        },
        [this] { return pause(); });
    if (m_stop)
        return;

    found.reserve(candidates.size());
    for (Range& range : ranges) {
        for (Found& f : range.found)
            found.push_back(std::move(f));
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.exact != b.exact)
            return a.exact < b.exact;
        return a.disk != b.disk ? a.disk < b.disk : a.line < b.line;
    });
}

// The row and exact key of a candidate's file line.
CopiesEngine::Found CopiesEngine::foundLine(Worker& worker, uint32_t disk, uint32_t line,
                                            const ListLine& file, QString container) const
{
    Found f{disk, line, {}, {}};
    const qint64 size = sizeOf(file.rest);
    const RecordDateTime modified = modifiedOf(file.rest);
    const bool withDate = m_query.criterion == Criterion::NameSizeAndDate;
    f.exact = exactKey(worker.folder.fold(file.name, worker.scratch), size,
                       withDate ? modified.seconds() : 0);
    search::SearchRow& row = f.row;
    row.name = text::decode(file.name);
    row.inFolder = std::move(container);
    row.key = row.inFolder + row.name;
    row.size = size;
    row.hasSize = true;
    row.modified = modified;
    row.hasModified = true;
    return f;
}

QString CopiesEngine::containerKey(int disk, QByteArrayView folderKey) const
{
    QString key = m_disks.at(disk).path + u'\\';
    if (folderKey.size() > 2)
        key += text::decode(folderKey.sliced(2)) + u'\\';
    return key;
}

namespace {

// Reads `length` bytes from `at`, or fewer at the end of the file; false on an error.
bool readAt(int fd, qint64 at, qint64 length, QByteArray& into)
{
    into.resize(length);
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, into.data() + got, size_t(length - got), off_t(at + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    into.truncate(got);
    return true;
}

} // namespace

bool CopiesEngine::readMarkedRuns(Worker& worker, const Entry* begin, const Entry* end,
                                  std::vector<Found>& found)
{
    const uint32_t disk = begin->disk;
    const DiskMarks& marks = m_marks[disk];
    const QString path = m_folder.recordFile(m_disks.at(int(disk)).path, ".f");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd == -1)
        return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && qsizetype(st.st_size) == marks.fileSize;
    QByteArray run;
    QByteArray folder;
    uint32_t folderAt = LineMark::kNoFolder;
    QByteArray folderKey;
    int sinceCheck = 0;
    for (const Entry* c = begin; ok && c < end;) {
        if (++sinceCheck == kLinesBetweenChecks / 64) {
            sinceCheck = 0;
            if (m_stop.load(std::memory_order_relaxed))
                break;
        }
        const size_t k = c->line / LineMark::kEvery;
        if (k >= marks.marks.size()) {
            ok = false;
            break;
        }
        const LineMark& mark = marks.marks[k];
        const qint64 runEnd =
            k + 1 < marks.marks.size() ? qint64(marks.marks[k + 1].line) : marks.fileSize;
        ok = readAt(fd, mark.line, runEnd - mark.line, run);
        if (ok && mark.folder != folderAt) {
            // The folder line: read a little at a time until its end is in.
            folderAt = mark.folder;
            folderKey.clear();
            for (qint64 length = 512; ok && folderAt != LineMark::kNoFolder; length *= 8) {
                ok = readAt(fd, folderAt, length, folder);
                if (!ok || (!folder.contains('\n') && folder.size() == length))
                    continue;
                ListLines lines(folder);
                ListLine line;
                if (lines.next(line) && line.folder)
                    folderKey = line.name.toByteArray();
                break;
            }
        }
        ListLines lines(run);
        ListLine file;
        uint32_t line = uint32_t(k * LineMark::kEvery) - 1;
        QByteArrayView inFolder = folderKey;
        while (ok && c < end && c->line / LineMark::kEvery == k && lines.next(file)) {
            if (file.folder) {
                inFolder = file.name;
                continue;
            }
            if (++line == c->line) {
                found.push_back(
                    foundLine(worker, disk, line, file, containerKey(int(disk), inFolder)));
                ++c;
            }
        }
        ok = ok && (c == end || c->line / LineMark::kEvery != k);
    }
    ::close(fd);
    return ok;
}

void CopiesEngine::readWhole(Worker& worker, const Entry* begin, const Entry* end,
                             std::vector<Found>& found)
{
    const uint32_t disk = begin->disk;
    Reader reader(*this, int(disk), worker.file);
    ListLine file;
    int sinceCheck = 0;
    for (const Entry* c = begin; c < end;) {
        reader.skipTowards(c->line, m_marks[disk]);
        if (!reader.next(file))
            break; // lines past the end of a file that shrank since the first reading
        if (++sinceCheck == kLinesBetweenChecks) {
            sinceCheck = 0;
            if (m_stop.load(std::memory_order_relaxed))
                return;
        }
        if (reader.line() != c->line)
            continue;
        ++c;
        if (m_query.criterion == Criterion::Content) {
            const Fingerprint* print = reader.fingerprint();
            if (!print)
                continue; // its side file changed since the first reading
            Found f = foundLine(worker, disk, reader.line(), file, reader.container());
            f.exact =
                exactKey(QByteArrayView(reinterpret_cast<const char*>(print), sizeof(Fingerprint)),
                         f.row.size, 0);
            found.push_back(std::move(f));
        } else {
            found.push_back(foundLine(worker, disk, reader.line(), file, reader.container()));
        }
    }
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
    const search::CommentLookup& comments = m_comments.get(m_folder);
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
    const search::CommentLookup& comments = m_comments.get(m_folder);
    const bool content = m_query.criterion == Criterion::Content;
    WholeFile buffer;
    Reader reader(*this, int(target), buffer);
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
