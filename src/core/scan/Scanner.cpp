#include "Scanner.h"

#include "ExtensionList.h"
#include "FolderListings.h"
#include "FolderWalker.h"
#include "OutputFile.h"
#include "RecordNames.h"
#include "ScanContext.h"
#include "common/DisplayFormat.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "copies/FingerprintFile.h"
#include "copies/FingerprintPass.h"
#include "store/DiskRecord.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QThread>
#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace dovrin {

namespace {

using scan::OutputFile;
using scan::ScanContext;

// When the disk was catalogued: the short date, a blank and the time, in the user's locale.
QString catalogueDateText()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), timeFormatWithoutZone(locale));
}

QByteArray infoBytes(const ScanRequest& request)
{
    DiskInfo info;
    info.source = request.sourcePath;
    info.freeSpace = freeSpaceText(request.sourcePath);
    info.date = catalogueDateText();
    info.foldersOnly = request.foldersOnly ? 1 : 0;
    return infoFileBytes(info);
}

// The native names of the new record's files, and their removal on cancel or failure.
struct RecordFiles
{
    QByteArray info, work, list, tree, fingerprints;

    RecordFiles(const ScanRequest& r)
        : info(QFile::encodeName(r.database.recordFile(r.recordPath, ".i"))),
          work(QFile::encodeName(r.database.recordFile(r.recordPath, ".t.tmp"))),
          list(QFile::encodeName(r.database.recordFile(r.recordPath, ".f"))),
          tree(QFile::encodeName(r.database.recordFile(r.recordPath, ".t"))),
          fingerprints(
              QFile::encodeName(r.database.recordFile(r.recordPath, copies::kFingerprintSuffix)))
    {
    }
    void removeAll() const
    {
        for (const QByteArray* path : {&info, &work, &list, &tree, &fingerprints})
            ::unlink(path->constData());
    }
};

class Scan
{
public:
    Scan(const ScanRequest& request, Progress& progress, Prompt& prompt)
        : m_request(request), m_files(request),
          m_source(QFile::encodeName(request.sourcePath)), m_context{progress, prompt, 1, 0, {}}
    {
    }

    ~Scan()
    {
        if (m_lock >= 0)
            ::close(m_lock);
    }
    Scan(const Scan&) = delete;
    Scan& operator=(const Scan&) = delete;

    ScanOutcome run();

private:
    bool writeInfo();
    bool walkFolders();
    bool listFolders();
    ScanOutcome fingerprintFiles();
    bool writeTree();
    ScanOutcome cancel();
    ScanOutcome fail(const QByteArray& fallbackPath);

    const ScanRequest& m_request;
    RecordFiles m_files;
    QByteArray m_source;
    ScanContext m_context;
    int m_lock = -1;
    // The files of every folder, read by the walk when files are catalogued.
    std::unique_ptr<scan::FolderListings> m_listings;
    copies::PreviousFingerprintsReading m_previous;
};

ScanOutcome Scan::run()
{
    Progress& progress = m_context.progress;
    progress.setStatus(0, QStringLiteral("Starting task..."));
    if (!writeInfo())
        return fail(m_files.info);

    if (m_request.fingerprint && !m_request.foldersOnly) {
        // The record being replaced lends its fingerprints; it is read while the walk runs.
        const DatabaseFolder& database = m_request.database;
        m_previous = copies::readPreviousFingerprints(
            database.recordFile(m_request.recordPath, ".f.old"),
            database.recordFile(m_request.recordPath, copies::kFingerprintSuffix) +
                QStringLiteral(".old"));
    }
    progress.setStatus(0, QStringLiteral("Getting folders..."));
    if (!walkFolders())
        return m_context.failed() ? fail(m_files.work) : cancel();
    progress.yield();
    if (progress.stopRequested())
        return cancel();

    progress.setValue(20);
    if (!listFolders())
        return m_context.failed() ? fail(m_files.list) : cancel();
    if (m_request.fingerprint && !m_request.foldersOnly) {
        if (const ScanOutcome outcome = fingerprintFiles(); outcome != ScanOutcome::Complete)
            return outcome;
    }

    progress.setStatus(0, QStringLiteral("Cleaning up..."));
    progress.setStatus(1, QString());
    if (!writeTree())
        return fail(m_files.tree);
    // A work file left behind would mark the record unfinished at the next start.
    if (::unlink(m_files.work.constData()) != 0 && errno != ENOENT) {
        m_context.fail(errno, m_files.work);
        return fail(m_files.work);
    }
    return ScanOutcome::Complete;
}

bool Scan::writeInfo()
{
    OutputFile info;
    if (!info.create(m_files.info))
        return m_context.fail(info.error(), m_files.info);
    info.buffer() = infoBytes(m_request);
    if (!info.close())
        return m_context.fail(info.error(), m_files.info);
    // Held while the scan runs: the start-up recovery leaves a locked record alone.
    m_lock = ::open(m_files.info.constData(), O_RDONLY | O_CLOEXEC);
    if (m_lock >= 0)
        ::flock(m_lock, LOCK_EX | LOCK_NB);
    return true;
}

bool Scan::walkFolders()
{
    OutputFile work;
    if (!work.create(m_files.work))
        return m_context.fail(work.error(), m_files.work);
    // The root's line is the source path without its final "/".
    scan::appendEscapedPath(work.buffer(), QByteArrayView(m_source).chopped(1));
    work.buffer().append("\r\n");
    bool walked;
    if (m_request.foldersOnly) {
        walked = scan::FolderWalker(m_context, work).walk(m_source);
    } else {
        // Each folder is read once: the walk hands its files to workers that examine them
        // while the walk goes on; the listing pass copies their lines in the record's order.
        const ExtensionList extensions = ExtensionList::read(m_request.database);
        const scan::FileChoice choice{extensions, bool(m_request.attributeMask & 2),
                                      bool(m_request.attributeMask & 4)};
        const QByteArray& list = m_files.list;
        m_listings = std::make_unique<scan::FolderListings>(
            list.left(list.lastIndexOf('/') + 1), qMax(1, QThread::idealThreadCount() - 1));
        walked = scan::FolderWalker(m_context, work, choice, *m_listings).walk(m_source) &&
                 m_listings->finish(m_context);
        if (!walked)
            m_listings->cancel();
    }
    if (!work.close())
        return m_context.fail(work.error(), m_files.work);
    return walked;
}

bool Scan::listFolders()
{
    Progress& progress = m_context.progress;
    const qint64 count = m_context.folderCount;
    const float step = 70.0f / float(count);
    float value = 29.0f;
    progress.setValue(29);
    progress.setStatus(0, QStringLiteral("One moment..."));
    progress.setStatus(1, QString());

    scan::InputLines work;
    if (!work.open(m_files.work))
        return m_context.fail(work.error(), m_files.work);
    OutputFile out;
    if (!out.create(m_files.list))
        return m_context.fail(out.error(), m_files.list);
    const QString countText = QLatin1Char('/') + QString::number(count);

    QByteArrayView line;
    for (qint64 i = 1; i <= count && work.next(line); ++i) {
        const QByteArray path = scan::unescapePath(line);
        value += step;
        progress.setValue(int(std::nearbyint(value)));
        if (!m_request.foldersOnly) {
            progress.setStatus(0, QStringLiteral("Getting file lists... ") + QString::number(i) +
                                      countText);
            progress.setStatus(1, scan::displayPath(path));
            if (progress.yield())
                break;
        }
        QByteArray& buffer = out.buffer();
        buffer.append('"');
        scan::appendFolderKey(buffer,
                              QByteArrayView(path).sliced(qMin(path.size(), m_source.size())));
        buffer.append("\"\r\n");
        if (!m_request.foldersOnly && !m_listings->write(uint32_t(i - 1), path, m_context, out))
            return false;
        if (!out.flushIfFull())
            return m_context.fail(out.error(), m_files.list);
    }
    if (work.error() != 0)
        return m_context.fail(work.error(), m_files.work);
    if (!out.close())
        return m_context.fail(out.error(), m_files.list);
    return !progress.stopRequested();
}

ScanOutcome Scan::fingerprintFiles()
{
    copies::FingerprintPassRequest pass;
    pass.fileList = m_files.list;
    pass.workFile = m_files.work;
    pass.sideFile = m_files.fingerprints;
    pass.previous = std::move(m_previous);
    const copies::FingerprintPassResult result =
        copies::fingerprintFiles(std::move(pass), m_context.progress);
    switch (result.end) {
    case copies::FingerprintPassResult::End::Stopped:
        return cancel();
    case copies::FingerprintPassResult::End::Failed:
        m_context.fail(result.error, result.errorPath);
        return fail(m_files.fingerprints);
    case copies::FingerprintPassResult::End::Done:
        break;
    }
    if (result.unreadable > 0 && m_request.reportUnreadable)
        copies::reportUnreadable(m_context.prompt, result.unreadable);
    return ScanOutcome::Complete;
}

bool Scan::writeTree()
{
    scan::InputLines work;
    if (!work.open(m_files.work))
        return m_context.fail(work.error(), m_files.work);
    OutputFile tree;
    if (!tree.create(m_files.tree))
        return m_context.fail(tree.error(), m_files.tree);
    QByteArrayView line;
    bool root = true;
    while (work.next(line)) {
        if (root) {
            root = false;
            continue;
        }
        const QByteArray path = scan::unescapePath(line);
        scan::appendFolderKey(tree.buffer(),
                              QByteArrayView(path).sliced(qMin(path.size(), m_source.size())));
        tree.buffer().append("\r\n");
        if (!tree.flushIfFull())
            break;
    }
    if (work.error() != 0)
        return m_context.fail(work.error(), m_files.work);
    return tree.close() || m_context.fail(tree.error(), m_files.tree);
}

ScanOutcome Scan::cancel()
{
    m_files.removeAll();
    return ScanOutcome::Cancelled;
}

ScanOutcome Scan::fail(const QByteArray& fallbackPath)
{
    m_files.removeAll();
    const QByteArray& path = m_context.failurePath.isEmpty() ? fallbackPath : m_context.failurePath;
    scan::messages::scanFailed(m_context.prompt, m_context.failure, scan::displayPath(path));
    return ScanOutcome::Failed;
}

} // namespace

ScanOutcome catalogueDisk(const ScanRequest& request, Progress& progress, Prompt& prompt)
{
    return Scan(request, progress, prompt).run();
}

QString freeSpaceText(const QString& path)
{
    struct statvfs fs;
    double megabytes = 0;
    if (::statvfs(QFile::encodeName(path).constData(), &fs) == 0)
        megabytes = double(fs.f_bavail) * double(fs.f_frsize) / 1024.0 / 1024.0;
    QString text = QString::number(megabytes, 'f', 2);
    text.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return text + QStringLiteral("MB");
}

} // namespace dovrin
