#include "CommentEdit.h"

#include "CommentLine.h"
#include "CommentStore.h"
#include "common/Prompt.h"

namespace dovrin::comments {

QString normalizedComment(const QString& text)
{
    return storableComment(text).trimmed();
}

EditResult editComment(Prompt& prompt, CommentStore& store, const QString& key,
                       const QString& current)
{
    QString answer = current;
    if (!prompt.input(kEditTitle, kEditLabel, answer))
        answer.clear();
    answer = answer.trimmed();
    EditResult result;
    result.comment = current;
    if (answer == current)
        return result;

    const QString comment = normalizedComment(answer);
    if (comment.isEmpty() &&
        !prompt.yesNo(kQuestionTitle, kClearQuestion, PromptIcon::None, PromptAnswer::No)) {
        result.outcome = EditResult::Kept;
        return result;
    }
    if (!store.set(key, comment)) {
        result.outcome = EditResult::Failed;
        result.error = store.lastError();
        return result;
    }
    result.outcome = EditResult::Stored;
    result.comment = comment;
    return result;
}

} // namespace dovrin::comments
