// FileComments.dat: its lines, the store's reads, its edits, and the search's view of it.
// Input: the store, then (after NUL bytes) a key, a comment and a new key prefix.
#include "FuzzSupport.h"
#include "comments/CommentLine.h"
#include "comments/CommentStore.h"
#include "search/CommentLookup.h"
#include "store/TextCodec.h"

using namespace dovrin;

namespace {

// The entries a reader must see: the first of each key, in store order.
QList<CommentEntry> firstOfEachKey(const QList<CommentEntry>& entries)
{
    QList<CommentEntry> firsts;
    QSet<QString> seen;
    for (const CommentEntry& e : entries) {
        if (!seen.contains(e.key)) {
            seen.insert(e.key);
            firsts.append(e);
        }
    }
    return firsts;
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    const QList<QByteArrayView> parts = fuzz::split(data, '\0', 4);
    fuzz::ScratchFolder& scratch = fuzz::ScratchFolder::instance();
    scratch.clear();
    scratch.write(QStringLiteral("FileComments.dat"), parts[0]);
    CommentStore store(scratch.database());

    const QList<CommentEntry> entries = store.entries();
    const CommentIndex index = store.loadIndex();
    const search::CommentLookup lookup(scratch.database());
    size_t position = 0;
    search::CommentLookup::Entry entry;
    qsizetype seen = 0;
    for (; lookup.next(position, entry); ++seen) {
        fuzz::require(seen < entries.size(), "the search sees more entries");
        fuzz::require(text::decode(entry.key) == entries[seen].key, "the search sees another key",
                      entries[seen].key);
    }
    fuzz::require(seen == entries.size(), "the search sees fewer entries");
    for (const CommentEntry& e : firstOfEachKey(entries)) {
        fuzz::require(index.find(e.key) == e.comment, "the index gives another comment", e.key);
        fuzz::require(lookup.find(e.key) == e.comment, "the search gives another comment", e.key);
        fuzz::require(store.get(e.key) == e.comment, "a lookup gives another comment", e.key);
    }

    if (parts.size() < 3)
        return;
    const QString key = text::decode(parts[1]);
    const QString comment = text::decode(parts[2]);
    // A change touches only its own key's entry: the others stay, in their order.
    if (store.set(key, comment)) {
        QList<CommentEntry> others;
        for (const CommentEntry& e : entries) {
            if (e.key != key)
                others.append(e);
        }
        QList<CommentEntry> after;
        QString stored;
        bool found = false;
        for (const CommentEntry& e : store.entries()) {
            if (e.key != key) {
                after.append(e);
            } else if (!found) {
                found = true;
                stored = e.comment;
            }
        }
        fuzz::require(after == others, "a change touched other entries", key);
        const QString expected = comments::storableComment(comment);
        fuzz::require(found == !comment.isEmpty() && (comment.isEmpty() || stored == expected),
                      "a set comment reads back otherwise", key + u'|' + comment);
    }

    if (parts.size() < 4 || entries.isEmpty())
        return;
    // Renaming a prefix and back restores every key that began with it.
    const QString oldPrefix = entries.first().key.left(parts[3].size() % 8 + 1);
    const QString newPrefix = text::decode(parts[3]);
    const QList<CommentEntry> before = store.entries();
    if (!store.renameKeys(oldPrefix, newPrefix))
        return;
    const QList<CommentEntry> renamed = store.entries();
    fuzz::require(renamed.size() == before.size(), "a rename lost or made entries",
                  oldPrefix + u'|' + newPrefix);
    for (const CommentEntry& e : renamed) {
        bool known = false;
        for (const CommentEntry& b : before)
            known = known || e.key == b.key ||
                    (b.key.startsWith(oldPrefix) &&
                     e.key == newPrefix + b.key.sliced(oldPrefix.size()));
        fuzz::require(known, "a rename made a key from nothing", e.key);
    }
    store.deleteDisk(newPrefix);
    for (const CommentEntry& e : store.entries())
        fuzz::require(!e.key.startsWith(newPrefix), "a deleted prefix stayed", e.key);
}
