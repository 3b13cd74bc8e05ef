#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace dovrin::comments {

// One line of FileComments.dat, taken apart without copying: "key","comment".
// Nothing inside a field is escaped, so the line is split at its one "," between the
// fields. A key may then still hold a double quote (a file name may), but never ",".
struct CommentLine
{
    enum Kind
    {
        Entry,      // a well-formed "key","comment" line
        Blank,      // nothing but blanks: holds nothing, dropped by a rewrite
        Unreadable, // anything else: no entry, but a rewrite keeps it as it is
    };
    Kind kind = Blank;
    QByteArrayView raw;     // the whole line without its line end
    QByteArrayView key;     // Entry only
    QByteArrayView comment; // Entry only
};

CommentLine parseCommentLine(QByteArrayView line);

// Appends "key","comment" and CR LF.
void appendCommentLine(QByteArray& out, QByteArrayView key, QByteArrayView comment);

// A comment as it can stand in a line: double quotes become apostrophes, line breaks blanks.
QString storableComment(QString comment);

// True when a key can be written so that it reads back whole.
bool keyIsStorable(QByteArrayView key);

} // namespace dovrin::comments
