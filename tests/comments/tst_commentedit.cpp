#include "DataTable.h"
#include "ScriptedPrompt.h"
#include "comments/CommentEdit.h"
#include "comments/CommentStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using comments::EditResult;

namespace {
const QString kKey = QStringLiteral("H\\D\\a.txt");
}

class TestCommentEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void edit_data()
    {
        // "<cancel>" cancels the box
        // -1: no question expected, else PromptAnswer
        const int none = -1;
        const int yes = int(PromptAnswer::Yes);
        const int no = int(PromptAnswer::No);
        test::table<QString, QString, int, int, QString>(
            {"current", "answer", "clearAnswer", "outcome", "stored"},
            {
                {"new comment trimmed", "", "  hello  ", none, int(EditResult::Stored), "hello"},
                {"unchanged answer", "old", " old ", none, int(EditResult::Unchanged), "old"},
                {"blanks without comment", "", "   ", none, int(EditResult::Unchanged), ""},
                {"cancel asks before clearing", "old", "<cancel>", no, int(EditResult::Kept),
                 "old"},
                {"clear answered yes", "old", " ", yes, int(EditResult::Stored), ""},
            });
    }

    void edit()
    {
        auto [current, answer, clearAnswer, outcome, stored] =
            test::fetch<QString, QString, int, int, QString>("current", "answer", "clearAnswer",
                                                             "outcome", "stored");
        QTemporaryDir dir;
        CommentStore store{DatabaseFolder(dir.path())};
        if (!current.isEmpty())
            QVERIFY(store.set(kKey, current));
        test::ScriptedPrompt prompt;
        prompt.answerInput(answer, answer != QLatin1String("<cancel>"));
        if (clearAnswer >= 0)
            prompt.answer(PromptAnswer(clearAnswer));

        const EditResult result = comments::editComment(prompt, store, kKey, current);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.comment, stored);
        QCOMPARE(store.get(kKey), stored);

        QCOMPARE(prompt.requests().size(), clearAnswer >= 0 ? 2 : 1);
        const PromptRequest& box = prompt.requests().first();
        QCOMPARE(box.title, QStringLiteral("File comment"));
        QCOMPARE(box.text, QStringLiteral("Enter a file comment or delete anything present to "
                                          "clear the file comment."));
        if (clearAnswer >= 0) {
            const PromptRequest& question = prompt.requests().at(1);
            QCOMPARE(question.title, QStringLiteral("Question"));
            QCOMPARE(question.text, QStringLiteral("Clear the file comment?"));
            QCOMPARE(question.buttons, PromptButtons::YesNo);
            QCOMPARE(question.defaultAnswer, PromptAnswer::No);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommentEdit)
#include "tst_commentedit.moc"
