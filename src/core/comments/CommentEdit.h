#pragma once

#include <QString>

namespace dovrin {

class CommentStore;
class Prompt;

namespace comments {

inline const QString kEditTitle = QStringLiteral("File comment");
inline const QString kEditLabel =
    QStringLiteral("Enter a file comment or delete anything present to clear the file comment.");
inline const QString kClearQuestion = QStringLiteral("Clear the file comment?");
inline const QString kQuestionTitle = QStringLiteral("Question");

// What the edit command did, and the comment the row shows afterwards.
struct EditResult
{
    enum Outcome
    {
        Unchanged, // the answer was the current comment: nothing asked, nothing stored
        Kept,      // the user would not clear the comment
        Stored,    // the store holds the new comment (or no entry, for an empty one)
        Failed,    // the store could not be written: `error` says why, the row keeps its text
    };
    Outcome outcome = Unchanged;
    QString comment;
    QString error;
};

// The comment as stored: trimmed, double quotes as apostrophes, line breaks as blanks.
QString normalizedComment(const QString& text);

// The "Edit file comment" command for the row `key` that shows `current`: asks for the new
// comment in an input box (cancelling answers the empty text), asks before clearing, and
// stores the result.
EditResult editComment(Prompt& prompt, CommentStore& store, const QString& key,
                       const QString& current);

} // namespace comments
} // namespace dovrin
