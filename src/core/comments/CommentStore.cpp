#include "CommentStore.h"

#include "CommentLine.h"
#include "FolderCommentSink.h"
#include "ListedKeys.h"
#include "StoreFile.h"
#include "common/FileLock.h"
#include "store/Keys.h"
#include "store/RecordText.h"
#include "store/TextCodec.h"

namespace dovrin {

using comments::CommentLine;

namespace {

// Another process's change is one rewrite: a few milliseconds, or seconds for a huge store.
constexpr int kLockWaitMs = 20000;

// Decodes a key, sparing the copy's checks when the bytes are plain UTF-8 equal to `wanted`.
bool keyEquals(QByteArrayView keyBytes, const QByteArray& wantedUtf8, const QString& wanted)
{
    if (keyBytes == QByteArrayView(wantedUtf8))
        return true;
    // Bytes that are not UTF-8 decode another way and may still name the same key.
    return !text::isValidUtf8(keyBytes) && text::decode(keyBytes) == wanted;
}

} // namespace

CommentIndex::CommentIndex(const QList<CommentEntry>& entries)
{
    m_byKey.reserve(entries.size());
    for (const CommentEntry& e : entries)
        add(e.key, e.comment);
}

void CommentIndex::add(const QString& key, const QString& comment)
{
    if (!m_byKey.contains(key))
        m_byKey.insert(key, comment);
}

CommentStore::CommentStore(const DatabaseFolder& folder) : m_folder(folder) {}

bool CommentStore::read(QByteArray& content, bool& exists) const
{
    m_lastError.clear();
    m_unreadableLines = 0;
    return comments::StoreFile(m_folder).read(content, exists, m_lastError);
}

template <typename Visit>
void CommentStore::forEachEntry(const QByteArray& content, Visit&& visit) const
{
    LineReader lines(content);
    QByteArrayView line;
    while (lines.next(line)) {
        const CommentLine parsed = comments::parseCommentLine(line);
        if (parsed.kind == CommentLine::Entry)
            visit(parsed);
        else if (parsed.kind == CommentLine::Unreadable)
            ++m_unreadableLines;
    }
}

QList<CommentEntry> CommentStore::entries() const
{
    QByteArray content;
    bool exists = false;
    QList<CommentEntry> result;
    if (!read(content, exists))
        return result;
    forEachEntry(content, [&](const CommentLine& line) {
        result.append({text::decode(line.key), text::decode(line.comment)});
    });
    return result;
}

CommentIndex CommentStore::loadIndex() const
{
    QByteArray content;
    bool exists = false;
    CommentIndex index;
    if (!read(content, exists))
        return index;
    index.reserve(content.count('\n') + 1);
    forEachEntry(content, [&](const CommentLine& line) {
        index.add(text::decode(line.key), text::decode(line.comment));
    });
    return index;
}

QString CommentStore::get(const QString& key) const
{
    QByteArray content;
    bool exists = false;
    if (!read(content, exists))
        return {};
    const QByteArray wanted = text::encode(key);
    LineReader lines(content);
    QByteArrayView line;
    while (lines.next(line)) {
        const CommentLine parsed = comments::parseCommentLine(line);
        if (parsed.kind == CommentLine::Entry && keyEquals(parsed.key, wanted, key))
            return text::decode(parsed.comment);
    }
    return {};
}

void CommentStore::showFolderComments(const QString& folderKey, FolderCommentSink& sink) const
{
    QByteArray content;
    bool exists = false;
    if (!read(content, exists))
        return;
    const QByteArray folderBytes = text::encode(folderKey);
    forEachEntry(content, [&](const CommentLine& line) {
        // Only keys that begin with the folder's key can have it as their parent.
        if (text::isValidUtf8(line.key) && !line.key.startsWith(folderBytes))
            return;
        const QString key = text::decode(line.key);
        if (keys::parent(key) == folderKey)
            sink.setComment(key, text::decode(line.comment));
    });
}

bool CommentStore::fail(const QString& why)
{
    m_lastError = QStringLiteral("The file comments were not changed. ") + why;
    return false;
}

bool CommentStore::locked(const std::function<bool()>& change)
{
    m_lastError.clear();
    FileLock lock(comments::StoreFile(m_folder).lockPath(), kLockWaitMs);
    if (!lock.isLocked())
        return fail(lock.error());
    return change();
}

bool CommentStore::rewrite(const EntryWriter& writeEntry, const TailWriter& writeTail)
{
    m_lastError.clear();
    m_unreadableLines = 0;
    comments::StoreFile file(m_folder);
    QString error;
    if (!file.recover(error))
        return fail(error);
    QByteArray content;
    bool exists = false;
    if (!file.read(content, exists, error))
        return fail(error);

    QByteArray out;
    out.reserve(content.size() + 256);
    LineReader lines(content);
    QByteArrayView line;
    while (lines.next(line)) {
        const CommentLine parsed = comments::parseCommentLine(line);
        switch (parsed.kind) {
        case CommentLine::Entry:
            writeEntry(parsed, text::decode(parsed.key), out);
            break;
        case CommentLine::Unreadable:
            ++m_unreadableLines;
            write::plainLine(out, parsed.raw);
            break;
        case CommentLine::Blank:
            break;
        }
    }
    if (writeTail)
        writeTail(out);
    if (exists && out == content)
        return true;
    if (!file.replace(out, error))
        return fail(error);
    return true;
}

bool CommentStore::set(const QString& key, const QString& comment)
{
    if (comment.isEmpty())
        return remove(key);
    const QByteArray keyBytes = text::encode(key);
    if (!comments::keyIsStorable(keyBytes)) {
        m_lastError = QStringLiteral("The name %1 cannot be given a file comment: it holds a "
                                     "line break or a quoted comma.")
                          .arg(key);
        return false;
    }
    const QByteArray commentBytes = text::encode(comments::storableComment(comment));
    bool found = false;
    return locked([&] {
        return rewrite(
            [&](const CommentLine& line, const QString& lineKey, QByteArray& out) {
                if (lineKey == key) {
                    found = true;
                    comments::appendCommentLine(out, line.key, commentBytes);
                } else {
                    write::plainLine(out, line.raw);
                }
            },
            [&](QByteArray& out) {
                if (!found)
                    comments::appendCommentLine(out, keyBytes, commentBytes);
            });
    });
}

bool CommentStore::remove(const QString& key)
{
    return locked([&] {
        return rewrite([&](const CommentLine& line, const QString& lineKey, QByteArray& out) {
            if (lineKey != key)
                write::plainLine(out, line.raw);
        });
    });
}

bool CommentStore::deleteDisk(const QString& diskKey)
{
    return locked([&] {
        return rewrite([&](const CommentLine& line, const QString& lineKey, QByteArray& out) {
            if (!lineKey.startsWith(diskKey))
                write::plainLine(out, line.raw);
        });
    });
}

bool CommentStore::renameKeys(const QString& oldPrefix, const QString& newPrefix)
{
    if (!comments::keyIsStorable(text::encode(newPrefix))) {
        m_lastError = QStringLiteral("The name %1 cannot hold file comments: it holds a line "
                                     "break or a quoted comma.")
                          .arg(newPrefix);
        return false;
    }
    return locked([&] {
        return rewrite([&](const CommentLine& line, const QString& lineKey, QByteArray& out) {
            if (lineKey.startsWith(oldPrefix)) {
                const QString renamed = newPrefix + lineKey.sliced(oldPrefix.size());
                comments::appendCommentLine(out, text::encode(renamed), line.comment);
            } else {
                write::plainLine(out, line.raw);
            }
        });
    });
}

bool CommentStore::purgeStale(const QString& diskKey)
{
    // Locked from the first read, so that a comment set meanwhile is not dropped unread.
    return locked([&] { return purgeStaleLocked(diskKey); });
}

bool CommentStore::purgeStaleLocked(const QString& diskKey)
{
    // Only the disk's own keys are looked for, so a disk without comments reads no file list.
    comments::ListedKeys listed;
    for (const CommentEntry& e : entries()) {
        if (e.key.startsWith(diskKey))
            listed.want(e.key.sliced(diskKey.size()));
    }
    if (!m_lastError.isEmpty())
        return fail(m_lastError);
    if (listed.isEmpty())
        return true; // nothing of the disk's to drop: no rewrite of the whole store
    QString error;
    const QString fileList = m_folder.recordFile(keys::recordPath(diskKey), ".f");
    if (!listed.scan(fileList, error))
        return fail(error);
    return rewrite([&](const CommentLine& line, const QString& lineKey, QByteArray& out) {
        if (!lineKey.startsWith(diskKey) || listed.isListed(lineKey.sliced(diskKey.size())))
            write::plainLine(out, line.raw);
    });
}

} // namespace dovrin
