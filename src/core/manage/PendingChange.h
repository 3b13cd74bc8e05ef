#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace dovrin {

// A change of the database that touches several files and the comment store, and must end
// up done or undone as a whole. It is written to PendingChange.dat before the first file
// changes and removed after the last step, so a kill or a power cut in between leaves the
// means to finish it or roll it back (ChangeJournal).
struct PendingChange
{
    enum class Kind
    {
        MoveDisk,        // a disk renamed or moved: from and to are record paths
        DeleteDisk,      // from is the record path; to is empty
        RenameCatalogue, // from and to are catalogue names
    };

    Kind kind = Kind::MoveDisk;
    QString from;
    QString to;
    // The record files the change handles, by suffix, in the order it handles them: those
    // the record had when the change began. Empty for a catalogue.
    QStringList suffixes;

    // The comment keys that follow the change: a disk's or catalogue's key.
    QString fromKey() const { return from + u'\\'; }
    QString toKey() const { return to + u'\\'; }
    bool isDiskChange() const { return kind != Kind::RenameCatalogue; }

    friend bool operator==(const PendingChange&, const PendingChange&) = default;
};

// The file's text: a header line, the kind, from, to, the suffixes separated by blanks, and
// "end", each line ending with CR LF; names in UTF-8.
QByteArray formatPendingChange(const PendingChange& change);

// The change written in `bytes`, or nothing when they are not exactly one whole change of
// this format with sound names: record paths of two valid names (the catalogue may be "."),
// catalogue names that are valid and not "." or "..", suffixes of a dot and letters or
// digits, the info file among a disk's. Depends on nothing but the bytes.
std::optional<PendingChange> parsePendingChange(QByteArrayView bytes);

} // namespace dovrin
