#include "FingerprintPass.h"

#include "FingerprintFile.h"
#include "ListLines.h"
#include "common/DisplayFormat.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "scan/OutputFile.h"
#include "scan/RecordNames.h"
#include "store/RecordText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <xxhash.h>

namespace dovrin::copies {

namespace {

struct Job
{
    QByteArray path;
    qint64 size = 0;
    size_t slot = 0; // its file line
};

// Many readers at once only make a spinning disk seek.
bool onSpinningDisk(const QByteArray& path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return false;
    const QString device =
        QStringLiteral("/sys/dev/block/%1:%2/").arg(major(st.st_dev)).arg(minor(st.st_dev));
    for (const char* queue : {"queue/rotational", "../queue/rotational"}) {
        QFile flag(device + QLatin1String(queue));
        if (flag.open(QIODevice::ReadOnly))
            return flag.read(1) == "1";
    }
    return false;
}

QString megabytes(qint64 bytes, const DisplayFormat& format)
{
    return format.size(DisplayFormat::roundedQuotient(bytes, 1024 * 1024));
}

QString timeLeft(qint64 done, qint64 total, qint64 elapsedMs)
{
    if (done <= 0 || elapsedMs < 1000)
        return {};
    const qint64 seconds = qint64(double(total - done) * double(elapsedMs) / double(done) / 1000);
    if (seconds < 90)
        return QStringLiteral(", about %1 seconds left").arg(qMax<qint64>(seconds, 1));
    return QStringLiteral(", about %1 minutes left").arg((seconds + 30) / 60);
}

// Reads the jobs' files on `threads` threads; the calling thread reports and watches. From a
// spinning disk only the first thread reads what is not in memory: one head reads files in
// order faster than several taking turns. The others read only what memory holds, so a tree
// read just before is still read on every core, and each stops at its first file that is not
// all there, which the first thread reads at its end.
bool hashAll(std::vector<Job>& jobs, Fingerprints& prints, int threads, bool spinningDisk,
             Progress& progress, qint64& unreadable)
{
    if (jobs.empty()) { // a record catalogued again over an unchanged tree
        progress.setValue(100);
        return !(progress.yield() || progress.stopRequested());
    }
    qint64 total = 0;
    for (const Job& job : jobs)
        total += job.size;
    threads = int(qMin(size_t(threads), jobs.size())); // no more threads than files
    std::atomic<bool> stop{false};
    std::atomic<qint64> bytesDone{0};
    std::atomic<size_t> next{0};
    std::atomic<qint64> failures{0};
    std::mutex mutex;
    std::condition_variable finished;
    int running = threads;
    std::atomic<int> memoryReaders{spinningDisk ? threads - 1 : 0};
    std::vector<size_t> leftOver; // jobs that a memory reader found not all in memory

    const auto hashJob = [&](FileHasher& hasher, size_t i) {
        Job& job = jobs[i];
        Fingerprint print;
        FileHasher::Result result = hasher.hash(job.path, job.size, print);
        if (result == FileHasher::Result::Unreadable && hasher.error() == ENOENT) {
            // The record may hold a look-alike for a character of the real name.
            const qsizetype slash = job.path.lastIndexOf('/');
            const QByteArray real =
                job.path.first(slash + 1) + scan::unmappedFileName(job.path.sliced(slash + 1));
            if (real != job.path)
                result = hasher.hash(real, job.size, print);
        }
        if (result == FileHasher::Result::Done)
            prints[job.slot] = print;
        else if (result == FileHasher::Result::Unreadable)
            ++failures;
        return result;
    };
    const auto work = [&](int worker) {
        const bool memoryOnly = spinningDisk && worker > 0;
        FileHasher hasher(stop, bytesDone, memoryOnly);
        for (size_t i = next++; i < jobs.size() && !stop; i = next++) {
            if (hashJob(hasher, i) == FileHasher::Result::NotInMemory) {
                std::lock_guard lock(mutex);
                leftOver.push_back(i);
                break;
            }
        }
        if (memoryOnly) {
            --memoryReaders;
        } else if (spinningDisk) {
            while (memoryReaders > 0 && !stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (size_t k = 0; k < leftOver.size() && !stop; ++k)
                hashJob(hasher, leftOver[k]);
        }
        std::lock_guard lock(mutex);
        --running;
        finished.notify_one();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back(work, t);

    const DisplayFormat format;
    const QString of = QStringLiteral(" of ") + megabytes(total, format) + QStringLiteral(" MB");
    QElapsedTimer clock;
    clock.start();
    std::unique_lock lock(mutex);
    // Reports at least once, after the last file too, so a Cancel given at any point is seen.
    for (bool last = false; !last;) {
        if (running > 0)
            finished.wait_for(lock, std::chrono::milliseconds(40));
        last = running == 0;
        lock.unlock();
        const qint64 done = bytesDone;
        progress.setValue(total > 0 ? int(done * 100 / total) : 100);
        progress.setStatus(1,
                           megabytes(done, format) + of + timeLeft(done, total, clock.elapsed()));
        if (progress.yield() || progress.stopRequested())
            stop = true;
        lock.lock();
    }
    lock.unlock();
    for (std::thread& thread : pool)
        thread.join();
    unreadable = failures;
    return !stop;
}

} // namespace

// The fingerprints of the record being replaced, with the rest of each file line (size and
// time) that must be unchanged for one to be taken over. The new record lists the files in
// the old one's order, less those gone and with the new ones among them, so the old lines are
// walked along with the new ones; a table by folder key and name is built only for a file
// that is not next in the walk.
class PreviousFingerprints
{
public:
    PreviousFingerprints(const QString& fileList, const QString& sideFile)
    {
        if (fileList.isEmpty() || !m_file.read(fileList))
            return;
        auto prints = readFingerprintFile(sideFile, m_file.data());
        if (!prints)
            return;
        m_prints = std::move(*prints);
        m_walk.emplace(m_file.data());
    }

    const std::optional<Fingerprint>* find(QByteArrayView folder, const ListLine& line)
    {
        if (m_prints.empty())
            return nullptr;
        if (!m_hasNext)
            m_hasNext = nextOld(m_next);
        if (m_hasNext && m_next.matches(folder, line)) {
            m_hasNext = false;
            return usable(m_next.index);
        }
        if (!m_indexed)
            index();
        const auto it = m_entries.constFind(keyOf(folder, line.name));
        if (it == m_entries.cend() || !it->matches(folder, line))
            return nullptr;
        // The old lines before it are files gone since: the walk goes on after it.
        while (m_hasNext && m_next.index <= it->index)
            m_hasNext = nextOld(m_next);
        return usable(it->index);
    }

private:
    struct Entry
    {
        QByteArrayView folder;
        ListLine line;
        size_t index;
        bool matches(QByteArrayView otherFolder, const ListLine& other) const
        {
            return line.name == other.name && line.rest == other.rest && folder == otherFolder;
        }
    };

    bool nextOld(Entry& entry)
    {
        ListLine line;
        while (m_walk->next(line)) {
            if (line.folder) {
                m_walkFolder = line.name;
                continue;
            }
            entry = Entry{m_walkFolder, line, m_walkIndex++};
            return true;
        }
        return false;
    }

    void index()
    {
        m_indexed = true;
        ListLines lines(m_file.data());
        ListLine line;
        QByteArrayView folder;
        size_t index = 0;
        m_entries.reserve(m_prints.size());
        while (lines.next(line)) {
            if (line.folder) {
                folder = line.name;
                continue;
            }
            if (index < m_prints.size() && m_prints[index])
                m_entries.insert(keyOf(folder, line.name), Entry{folder, line, index});
            ++index;
        }
    }

    const std::optional<Fingerprint>* usable(size_t index) const
    {
        return index < m_prints.size() && m_prints[index] ? &m_prints[index] : nullptr;
    }

    static uint64_t keyOf(QByteArrayView folder, QByteArrayView name)
    {
        return XXH3_64bits_withSeed(name.data(), size_t(name.size()),
                                    XXH3_64bits(folder.data(), size_t(folder.size())));
    }

    WholeFile m_file;
    Fingerprints m_prints;
    std::optional<ListLines> m_walk;
    QByteArrayView m_walkFolder;
    size_t m_walkIndex = 0;
    Entry m_next;
    bool m_hasNext = false;
    bool m_indexed = false;
    QHash<uint64_t, Entry> m_entries; // a rare clash of two keys only costs a read
};

PreviousFingerprintsReading readPreviousFingerprints(const QString& fileList,
                                                     const QString& sideFile)
{
    return std::async(std::launch::async, [fileList, sideFile] {
        return std::make_shared<PreviousFingerprints>(fileList, sideFile);
    });
}

FingerprintPassResult fingerprintFiles(FingerprintPassRequest request, Progress& progress)
{
    FingerprintPassResult result;
    auto fail = [&result](int error, const QByteArray& path) {
        result.end = FingerprintPassResult::End::Failed;
        result.error = error;
        result.errorPath = path;
        return result;
    };
    progress.setStatus(0, QStringLiteral("Fingerprinting file contents..."));
    progress.setStatus(1, QString());

    WholeFile fileList;
    if (!fileList.read(QFile::decodeName(request.fileList)))
        return fail(errno, request.fileList);
    scan::InputLines work;
    if (!work.open(request.workFile))
        return fail(work.error(), request.workFile);
    const std::shared_ptr<PreviousFingerprints> previous =
        request.previous.valid() ? request.previous.get() : nullptr;

    Fingerprints prints;
    std::vector<Job> jobs;
    ListLines lines(fileList.data());
    ListLine line;
    QByteArrayView folderKey;
    QByteArray folderPath;
    QByteArray sourcePath;
    while (lines.next(line)) {
        if (line.folder) {
            QByteArrayView path;
            if (!work.next(path))
                return fail(work.error() ? work.error() : EIO, request.workFile);
            folderKey = line.name;
            folderPath = scan::unescapePath(path) + '/';
            if (sourcePath.isEmpty())
                sourcePath = folderPath;
            continue;
        }
        prints.emplace_back();
        if (const std::optional<Fingerprint>* kept =
                previous ? previous->find(folderKey, line) : nullptr) {
            prints.back() = *kept;
            continue;
        }
        jobs.push_back(
            Job{folderPath + line.name.toByteArray(), sizeOf(line.rest), prints.size() - 1});
    }

    const int threads = int(qBound(1u, std::thread::hardware_concurrency(), 8u));
    if (!hashAll(jobs, prints, threads, onSpinningDisk(sourcePath), progress, result.unreadable)) {
        result.end = FingerprintPassResult::End::Stopped;
        return result;
    }

    scan::OutputFile side;
    if (!side.create(request.sideFile))
        return fail(side.error(), request.sideFile);
    side.buffer() = fingerprintFileBytes(fileList.data(), prints);
    if (!side.close())
        return fail(side.error(), request.sideFile);
    return result;
}

void reportUnreadable(Prompt& prompt, qint64 count)
{
    prompt.message(QStringLiteral("Fingerprints"),
                   signedNumberText(count) +
                       QStringLiteral(" file(s) could not be read and have no fingerprint."),
                   PromptIcon::Exclamation);
}

} // namespace dovrin::copies
