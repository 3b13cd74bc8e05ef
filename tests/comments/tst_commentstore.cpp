#include "DataTable.h"
#include "FailingCalls.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "comments/CommentEdit.h"
#include "comments/CommentStore.h"
#include "comments/FolderCommentSink.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using comments::EditResult;

namespace {

// Builds store content from "key=comment" pairs, one line each.
QByteArray storeBytes(const QStringList& pairs)
{
    QByteArray out;
    for (const QString& p : pairs) {
        const qsizetype eq = p.indexOf(QLatin1Char('='));
        out += '"' + p.left(eq).toUtf8() + "\",\"" + p.mid(eq + 1).toUtf8() + "\"\r\n";
    }
    return out;
}

QStringList pairs(const QList<CommentEntry>& entries)
{
    QStringList out;
    for (const CommentEntry& e : entries)
        out << e.key + QLatin1Char('=') + e.comment;
    return out;
}

class RecordingSink final : public FolderCommentSink
{
public:
    void setComment(const QString& rowKey, const QString& comment) override
    {
        rows << rowKey + QLatin1Char('=') + comment;
    }
    QStringList rows;
};

} // namespace

class TestCommentStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void init()
    {
        test::pinLocale();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // Each row: the store before, one operation, the entries after.
    void operations_data()
    {
        const QStringList abc{"D\\a=one", "D\\b=two", "D\\c=three"};
        test::table<QStringList, QString, QStringList, QStringList>(
            {"before", "operation", "arguments", "after"},
            {
                {"set new goes last", abc, "set", QStringList{"D\\d", "four"},
                 abc + QStringList{"D\\d=four"}},
                {"set changed keeps its line", abc, "set", QStringList{"D\\b", "TWO"},
                 QStringList{"D\\a=one", "D\\b=TWO", "D\\c=three"}},
                {"set empty removes", abc, "set", QStringList{"D\\a", ""}, abc.mid(1)},
                {"set comma and quotes", QStringList{}, "set",
                 QStringList{"D\\a", "red, green \"blue\""}, QStringList{"D\\a=red, green 'blue'"}},
                {"set line break", QStringList{}, "set", QStringList{"D\\a", "one\r\ntwo"},
                 QStringList{"D\\a=one  two"}},
                {"comment ending in a space", QStringList{"D\\a=one "}, "set",
                 QStringList{"D\\b", "two "}, QStringList{"D\\a=one ", "D\\b=two "}},
                {"set case differs is another key", abc, "set", QStringList{"d\\a", "x"},
                 abc + QStringList{"d\\a=x"}},
                {"set changes every duplicate", QStringList{"k=1", "j=2", "k=3"}, "set",
                 QStringList{"k", "9"}, QStringList{"k=9", "j=2", "k=9"}},
                {"remove", abc, "remove", QStringList{"D\\b"},
                 QStringList{"D\\a=one", "D\\c=three"}},
                {"delete disk",
                 QStringList{".\\Photos\\a.txt=1", ".\\Photos2\\a.txt=2", ".\\Photos\\Games\\=3",
                             ".\\Photos\\=4"},
                 "deleteDisk", QStringList{".\\Photos\\"}, QStringList{".\\Photos2\\a.txt=2"}},
                {"rename catalogue",
                 QStringList{"Photo\\Disk1\\a.txt=1", "Photos\\Disk1\\a.txt=2", "Photo\\=3"},
                 "renameKeys", QStringList{"Photo\\", "Pictures\\"},
                 QStringList{"Pictures\\Disk1\\a.txt=1", "Photos\\Disk1\\a.txt=2", "Pictures\\=3"}},
            });
    }

    void operations()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, operation);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, after);
        auto run = [&](CommentStore& store) {
            return operation == u"set"          ? store.set(arguments[0], arguments[1])
                   : operation == u"remove"     ? store.remove(arguments[0])
                   : operation == u"deleteDisk" ? store.deleteDisk(arguments[0])
                                                : store.renameKeys(arguments[0], arguments[1]);
        };
        // With each call failing in turn, then with none: the store changes whole or not at
        // all, and a failure says why.
        test::forEachFailingCall(m_dir->path(), [&](test::Fault& fault) {
            test::writeFile(storePath(), storeBytes(before));
            CommentStore store{DatabaseFolder(m_dir->path())};
            const bool ok = fault.during([&] { return run(store); });
            const QByteArray where = fault.where(store.lastError());
            QVERIFY2(ok || fault.hit(), where);
            QVERIFY2(ok == store.lastError().isEmpty(), where);
            QVERIFY2(test::readFile(storePath()) == storeBytes(ok ? after : before), where);
            QVERIFY2(pairs(store.entries()) == (ok ? after : before), where);
        });
    }

    void missingStoreIsNeverCreatedByReads()
    {
        CommentStore store{DatabaseFolder(m_dir->path())};
        RecordingSink sink;
        QCOMPARE(store.get(QStringLiteral("H\\D\\a.txt")), QString());
        QVERIFY(store.entries().isEmpty());
        QVERIFY(store.loadIndex().isEmpty());
        store.showFolderComments(QStringLiteral("H\\D\\"), sink);
        QVERIFY(sink.rows.isEmpty());
        QVERIFY(store.lastError().isEmpty());
        QVERIFY(!QFile::exists(storePath()));
    }

    // A line that is not an entry is skipped by reads and kept, unchanged and in place, by a
    // rewrite; a blank line holds nothing and is dropped.
    void badLines_data()
    {
        test::table<QByteArray, bool>({"badLine", "keptByRewrite"},
                                      {{"no quotes", "H\\D\\x.txt,comment", true},
                                       {"open quote", "\"H\\D\\x.txt\",\"comment", true},
                                       {"two separators", "\"H\\D\\x\",\"a\",\"b\"", true},
                                       {"blank", "   ", false}});
    }

    void badLines()
    {
        auto [badLine, keptByRewrite] = test::fetch<QByteArray, bool>("badLine", "keptByRewrite");
        test::writeFile(storePath(), "\"k\\1\",\"one\"\r\n" + badLine + "\r\n\"k\\2\",\"two\"\n");
        CommentStore store{DatabaseFolder(m_dir->path())};
        QCOMPARE(pairs(store.entries()), (QStringList{"k\\1=one", "k\\2=two"}));
        QCOMPARE(store.unreadableLines(), keptByRewrite ? 1 : 0);
        QVERIFY(store.set(QStringLiteral("k\\3"), QStringLiteral("three")));
        QCOMPARE(store.unreadableLines(), keptByRewrite ? 1 : 0);
        const QByteArray kept = keptByRewrite ? badLine + "\r\n" : QByteArray();
        QCOMPARE(test::readFile(storePath()),
                 "\"k\\1\",\"one\"\r\n" + kept + "\"k\\2\",\"two\"\r\n\"k\\3\",\"three\"\r\n");
    }

    void keysWithQuotes()
    {
        CommentStore store{DatabaseFolder(m_dir->path())};
        // A file name may hold a double quote: the line still splits at its one "," between quotes.
        const QStringList storable{"H\\D\\say \"hi\".txt", "H\\D\\\"", "H\\D\\a\",b"};
        for (const QString& key : storable)
            QVERIFY2(store.set(key, QStringLiteral("c")), qPrintable(key));
        QCOMPARE(store.entries().size(), storable.size());
        for (const QString& key : storable)
            QCOMPARE(store.get(key), QStringLiteral("c"));
        // One that would split in two places is refused, and the store stays as it was.
        const QByteArray before = test::readFile(storePath());
        QVERIFY(!store.set(QStringLiteral("H\\D\\a\",\"b"), QStringLiteral("c")));
        QVERIFY(!store.lastError().isEmpty());
        QVERIFY(!store.set(QStringLiteral("H\\D\\a\nb"), QStringLiteral("c")));
        QCOMPARE(test::readFile(storePath()), before);
    }

    void nonUtf8BytesSurviveRewrites()
    {
        // A store written on Windows: Windows-1252 bytes, and a 2 MB comment beside it.
        const QByteArray big(2 * 1024 * 1024, 'x');
        const QByteArray latin = "\"H\\D\\caf\xe9.txt\",\"cr\xe8me\"\r\n";
        test::writeFile(storePath(), latin + "\"H\\D\\big\",\"" + big + "\"\r\n");
        CommentStore store{DatabaseFolder(m_dir->path())};
        QCOMPARE(store.get(QStringLiteral("H\\D\\caf\u00e9.txt")), QStringLiteral("cr\u00e8me"));
        QCOMPARE(store.get(QStringLiteral("H\\D\\big")).size(), big.size());
        QVERIFY(store.set(QStringLiteral("H\\D\\new"), QStringLiteral("n")));
        QVERIFY(test::readFile(storePath()).startsWith(latin)); // raw bytes kept
        QVERIFY(store.set(QStringLiteral("H\\D\\caf\u00e9.txt"),
                          QStringLiteral("cr\u00e8me br\u00fbl\u00e9e")));
        QCOMPARE(store.get(QStringLiteral("H\\D\\caf\u00e9.txt")),
                 QStringLiteral("cr\u00e8me br\u00fbl\u00e9e"));
        QCOMPARE(store.get(QStringLiteral("H\\D\\big")).size(), big.size());
    }

    void showFolderComments()
    {
        test::writeFile(storePath(), storeBytes({"H\\D\\=root", "H\\D\\a.txt=a", "H\\D\\G\\=games",
                                                 "H\\D\\G\\b.txt=b", "H\\DD\\c.txt=other disk",
                                                 "H\\D\\a.txt=second"}));
        CommentStore store{DatabaseFolder(m_dir->path())};
        RecordingSink root;
        store.showFolderComments(QStringLiteral("H\\D\\"), root);
        QCOMPARE(root.rows,
                 (QStringList{"H\\D\\a.txt=a", "H\\D\\G\\=games", "H\\D\\a.txt=second"}));
    }

    // A rewrite that renamed the store to FileComments.old first and was cut off: the backup is
    // the last complete content, whatever stands beside it.
    void recovery_data()
    {
        test::table<bool, QByteArray, bool>(
            {"storeLeft", "storeContent", "scratchLeft"},
            {{"store missing", false, "", false},
             {"store empty", true, "", false},
             {"store cut off", true, "\"k\\1\",\"one\"\r\n\"k\\", false},
             {"scratch left", true, "\"k\\1\",\"one\"\r\n", true}});
    }

    void recovery()
    {
        auto [storeLeft, storeContent, scratchLeft] =
            test::fetch<bool, QByteArray, bool>("storeLeft", "storeContent", "scratchLeft");
        const QByteArray complete = storeBytes({"k\\1=one", "k\\2=two"});
        const QString backup = m_dir->filePath(QStringLiteral("FileComments.old"));
        const QString scratch = m_dir->filePath(QStringLiteral("FileComments.new"));
        test::writeFile(backup, complete);
        if (storeLeft)
            test::writeFile(storePath(), storeContent);
        if (scratchLeft)
            test::writeFile(scratch, "\"k\\9\",\"partial");

        CommentStore store{DatabaseFolder(m_dir->path())};
        // Reads see the backup and change nothing on disk.
        QCOMPARE(pairs(store.entries()), (QStringList{"k\\1=one", "k\\2=two"}));
        QCOMPARE(store.get(QStringLiteral("k\\2")), QStringLiteral("two"));
        QVERIFY(QFile::exists(backup));
        QCOMPARE(QFile::exists(storePath()), storeLeft);

        QVERIFY2(store.set(QStringLiteral("k\\3"), QStringLiteral("three")),
                 qPrintable(store.lastError()));
        QCOMPARE(test::readFile(storePath()), storeBytes({"k\\1=one", "k\\2=two", "k\\3=three"}));
        QVERIFY(!QFile::exists(backup));
        QVERIFY(!QFile::exists(scratch));
    }

    // After a disk is catalogued again, the comments on what it no longer holds go.
    void purge_data()
    {
        const QStringList all =
            QStringLiteral("H\\D\\=root|H\\D\\a.txt=kept file|H\\DD\\a.txt=other disk|"
                           "H\\D\\gone.txt=gone|H\\D\\Games\\=folder|"
                           "H\\D\\Games\\save.dat=in folder|H\\D\\save.dat=moved|"
                           "H\\D\\Old\\=gone folder|H\\D\\Old\\x.txt=in gone folder|"
                           "H\\D\\caf\u00e9.txt=latin name|X\\D\\a.txt=other catalogue")
                .split(u'|');
        const QByteArray fileList = "\":\"\r\n\"a.txt\",10,#2026-03-01 10:15:00#\r\n"
                                    "\"caf\xe9.txt\",922337203685477.0000,#2026-03-01#\r\n"
                                    "\":\\Games\"\r\n\"save.dat\",5,#2026-03-01#\r\n"
                                    "\":\\Games\\Empty\"\r\n";
        // fileList empty: no file-list file.
        test::table<QStringList, QByteArray, bool, QStringList>(
            {"before", "fileList", "ok", "after"},
            {
                {"re-catalogued", all, fileList, true,
                 QStringList{"H\\D\\=root", "H\\D\\a.txt=kept file", "H\\DD\\a.txt=other disk",
                             "H\\D\\Games\\=folder", "H\\D\\Games\\save.dat=in folder",
                             "H\\D\\caf\u00e9.txt=latin name", "X\\D\\a.txt=other catalogue"}},
                {"folders only", all, "\":\"\r\n\":\\Games\"\r\n\":\\Old\"\r\n", true,
                 QStringList{"H\\D\\=root", "H\\DD\\a.txt=other disk", "H\\D\\Games\\=folder",
                             "H\\D\\Old\\=gone folder", "X\\D\\a.txt=other catalogue"}},
                // Without a readable file list nothing can be told stale: the store stays.
                {"no file list", all, QByteArray(), false, all},
                {"disk without comments needs no file list", QStringList{"H\\DD\\a.txt=other disk"},
                 QByteArray(), true, QStringList{"H\\DD\\a.txt=other disk"}},
            });
    }

    void purge()
    {
        auto [before, fileList, ok, after] =
            test::fetch<QStringList, QByteArray, bool, QStringList>("before", "fileList", "ok",
                                                                    "after");
        const DatabaseFolder folder(m_dir->path());
        CommentStore store(folder);
        for (const QString& p : before)
            QVERIFY(store.set(p.section(u'=', 0, 0), p.section(u'=', 1)));
        if (!fileList.isEmpty())
            test::writeFile(folder.recordFile(QStringLiteral("H\\D"), ".f"), fileList);
        QCOMPARE(store.purgeStale(QStringLiteral("H\\D\\")), ok);
        QCOMPARE(store.lastError().isEmpty(), ok);
        QCOMPARE(pairs(store.entries()), after);
    }

    // The comment box: a comment is trimmed, and clearing one asks first.
    void edit_data()
    {
        // answer: "<cancel>" cancels the box; clearAnswer: -1 when no question is expected.
        const int none = -1, yes = int(PromptAnswer::Yes), no = int(PromptAnswer::No);
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
        const QString key = QStringLiteral("H\\D\\a.txt");
        CommentStore store{DatabaseFolder(m_dir->path())};
        if (!current.isEmpty())
            QVERIFY(store.set(key, current));
        test::ScriptedPrompt prompt;
        prompt.answerInput(answer, answer != QLatin1String("<cancel>"));
        if (clearAnswer >= 0)
            prompt.answer(PromptAnswer(clearAnswer));

        const EditResult result = comments::editComment(prompt, store, key, current);
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.comment, stored);
        QCOMPARE(store.get(key), stored);

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

private:
    QString storePath() const { return m_dir->filePath(QStringLiteral("FileComments.dat")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestCommentStore)
#include "tst_commentstore.moc"
