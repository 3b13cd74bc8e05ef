#include "DataTable.h"
#include "Fixtures.h"
#include "RecordingProgress.h"
#include "TestFiles.h"
#include "search/CommentLookup.h"
#include "search/FileListScanner.h"
#include "search/SearchEngine.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using namespace dovrin;
using namespace dovrin::search;
using dovrin::test::addDisk;
using dovrin::test::fileLine;
using dovrin::test::folderLine;

namespace {

// Disks whose files take very different times to read: the first is large, so later disks
// are done first by the other workers. Every disk holds "hit" files in two folders; the
// disk named in `vanished` loses its record files after loading.
struct ManyDisks
{
    QTemporaryDir dir;
    DatabaseFolder folder{dir.path()};
    DiskTable disks;
    QStringList fileKeys;   // every hit file, in disk order
    QStringList folderKeys; // every folder named Hits, in disk order

    explicit ManyDisks(int count, int vanished = 0)
    {
        for (int d = 1; d <= count; ++d) {
            const QString path = QStringLiteral("Cat\\D%1").arg(d);
            QList<QByteArray> lines{folderLine(":")};
            const int padding = d == 1 ? 200000 : d % 3;
            for (int i = 0; i < padding; ++i)
                lines.append(fileLine("pad" + QByteArray::number(i), i));
            lines.append(fileLine("hit-root", 1));
            lines.append(folderLine(":\\Hits"));
            lines.append(fileLine("hit-a", 2));
            lines.append(fileLine("HIT-b", 3));
            addDisk(folder, disks, path, {":\\Hits"}, lines);
            if (d == vanished) {
                QFile::remove(folder.recordFile(path, ".f"));
                QFile::remove(folder.recordFile(path, ".t"));
                continue;
            }
            for (const char* name : {"hit-root", "Hits\\hit-a", "Hits\\HIT-b"})
                fileKeys.append(path + u'\\' + QLatin1String(name));
            folderKeys.append(path + QStringLiteral("\\Hits\\"));
        }
    }
};

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void initTestCase()
    {
        test::pinLocale();
        QVERIFY(m_dir.isValid());
        m_folder = DatabaseFolder(m_dir.path());
        addDisk(m_folder, m_disks, QStringLiteral("Holidays\\Photos"),
                {":\\Games", ":\\Games\\Saves", ":\\Games\\OldSaves", ":\\Games\\Savestates"},
                {folderLine(":"), fileLine("README", 100), fileLine("Readme.TXT", 1470716),
                 fileLine("a.txt", 10), folderLine(":\\Games"),
                 fileLine("my_README_old.doc", 100000), fileLine("B.TXT", 20),
                 fileLine("my.file.txt", 30), fileLine("archive.txt.gz", 40),
                 fileLine("notxt", 512), fileLine(".profile", 60), folderLine(":\\Games\\Saves"),
                 folderLine(":\\Games\\OldSaves"), fileLine("Été.txt", 70),
                 folderLine(":\\Games\\Savestates"), fileLine("Straße.doc", 80, "#2026-01-31#")});
        // A record from Windows: été.doc in Windows-1252.
        addDisk(m_folder, m_disks, QStringLiteral(".\\Misc"), {},
                {folderLine(":"), fileLine("\xe9t\xe9.doc", 5), fileLine("zero.bin", 0),
                 fileLine("minus.half", -512), fileLine("Paſta", 1), fileLine("oﬃce", 1),
                 fileLine("beﬆ", 1), fileLine("ınk", 1), fileLine("ǰob", 1), fileLine("ẖat", 1),
                 fileLine("ŉame", 1), fileLine("gro\xdf", 1),
                 fileLine("big.iso", std::numeric_limits<qint64>::max()),
                 fileLine("bigger.iso", std::numeric_limits<qint64>::max())});
        // A file list that starts with a blank line holds nothing.
        addDisk(m_folder, m_disks, QStringLiteral("C\\Blank"), {},
                {"", folderLine(":"), fileLine("readme.blank", 1)});
        // Loaded, then its record files vanished.
        addDisk(m_folder, m_disks, QStringLiteral("Holidays\\Beach"), {},
                {folderLine(":"), fileLine("readme.gone", 1)});
        QFile::remove(m_folder.recordFile(QStringLiteral("Holidays\\Beach"), ".t"));
        QFile::remove(m_folder.recordFile(QStringLiteral("Holidays\\Beach"), ".f"));
        test::writeComments(m_folder, {{"Holidays\\Photos\\README", "nice readme"},
                                       {"Holidays\\Photos\\Games\\", "folder of games"},
                                       {".\\Gone\\x.txt", "Nice old one"},
                                       {"Holidays\\Photos\\Games\\Saves\\", "saves folder"}});
    }

    void modes_data()
    {
        const QString p = QStringLiteral("Holidays\\Photos\\");
        const QString games = p + QStringLiteral("Games\\");
        const QString misc = QStringLiteral(".\\Misc\\");
        test::table<SearchMode, QString, QStringList>(
            {"mode", "text", "keys"},
            {
                {"name: any part, any case", SearchMode::Name, "readme",
                 QStringList{p + "README", p + "Readme.TXT", games + "my_README_old.doc"}},
                {"name: É finds é, also in a Windows record", SearchMode::Name, QStringLiteral("é"),
                 QStringList{games + QStringLiteral("OldSaves\\Été.txt"),
                             misc + QStringLiteral("été.doc")}},
                {"name: ß upper-cases to SS", SearchMode::Name, "strasse",
                 QStringList{games + QStringLiteral("Savestates\\Straße.doc")}},
                {"name: ſ upper-cases to S", SearchMode::Name, "pasta",
                 QStringList{misc + QStringLiteral("Paſta")}},
                {"name: ﬃ upper-cases to FFI", SearchMode::Name, "office",
                 QStringList{misc + QStringLiteral("oﬃce")}},
                {"name: ﬆ, the last ligature, upper-cases to ST", SearchMode::Name, "best",
                 QStringList{misc + QStringLiteral("beﬆ")}},
                {"name: ı upper-cases to I", SearchMode::Name, "ink",
                 QStringList{misc + QStringLiteral("ınk")}},
                {"name: ß in a Windows record upper-cases to SS", SearchMode::Name, "gross",
                 QStringList{misc + QStringLiteral("groß")}},
                {"name: ŉ upper-cases to a mark and N", SearchMode::Name, "name",
                 QStringList{misc + QStringLiteral("ŉame")}},
                {"name: ǰ upper-cases to J and a mark", SearchMode::Name, "j",
                 QStringList{misc + QStringLiteral("ǰob")}},
                {"name: ẖ upper-cases to H and a mark", SearchMode::Name, "h",
                 QStringList{games + "archive.txt.gz", misc + "minus.half",
                             misc + QStringLiteral("ẖat")}},
                {"name: folder keys are not names", SearchMode::Name, "Games", QStringList{}},
                {"extension after the last dot", SearchMode::Extension, "txt",
                 QStringList{p + "Readme.TXT", p + "a.txt", games + "B.TXT", games + "my.file.txt",
                             games + QStringLiteral("OldSaves\\Été.txt")}},
                {"extension with its dot finds nothing", SearchMode::Extension, ".txt",
                 QStringList{}},
                {"extension of a name whose ß upper-cases to ASCII", SearchMode::Extension, "DOC",
                 QStringList{games + "my_README_old.doc",
                             games + QStringLiteral("Savestates\\Straße.doc"),
                             misc + QStringLiteral("été.doc")}},
                {"extension of a dot file", SearchMode::Extension, "profile",
                 QStringList{games + ".profile"}},
                {"whole name", SearchMode::Whole, "readme", QStringList{p + "README"}},
                {"start of the name", SearchMode::Start, "readme",
                 QStringList{p + "README", p + "Readme.TXT"}},
                {"start is not any part", SearchMode::Start, "eadme", QStringList{}},
                {"folder name with its backslash", SearchMode::Folder, "saves\\",
                 QStringList{games + "Saves\\", games + "OldSaves\\"}},
                {"every folder", SearchMode::Folder, "\\",
                 QStringList{games, games + "Saves\\", games + "OldSaves\\",
                             games + "Savestates\\"}},
                {"disk: a catalogue's name", SearchMode::DiskName, "holidays",
                 QStringList{"Holidays\\Photos", "Holidays\\Beach"}},
                {"disk: the pseudo-catalogue", SearchMode::DiskName, ".", QStringList{".\\Misc"}},
                {"comments in store order, gone disks too", SearchMode::Comments, "NICE",
                 QStringList{p + "README", ".\\Gone\\x.txt"}},
            });
    }

    void modes()
    {
        auto [mode, text, keys] =
            test::fetch<SearchMode, QString, QStringList>("mode", "text", "keys");
        test::RowList rows;
        test::RecordingProgress progress;
        QCOMPARE(search(mode, text, rows, progress), SearchEngine::End::Completed);
        QCOMPARE(rows.keys(), keys);
    }

    void endTexts_data()
    {
        test::table<SearchMode, QString, QString>(
            {"mode", "text", "status"},
            {
                {"KB listed", SearchMode::Name, "readme", " 3 item(s) found,   1,534 KB listed"},
                {"half a KB rounds up", SearchMode::Name, "notxt",
                 " 1 item(s) found,   1 KB listed"},
                {"zero bytes: no KB part", SearchMode::Name, "zero", " 1 item(s) found."},
                {"minus half a KB rounds away from zero", SearchMode::Name, "minus.half",
                 " 1 item(s) found,   -1 KB listed"},
                {"folders: no KB part", SearchMode::Folder, "saves", " 3 item(s) found."},
            });
    }

    void endTexts()
    {
        auto [mode, text, status] =
            test::fetch<SearchMode, QString, QString>("mode", "text", "status");
        test::RowList rows;
        test::RecordingProgress progress;
        search(mode, text, rows, progress);
        QCOMPARE(progress.statuses[0].last(), status);
    }

    // The first row found, as "key|name|in folder|size|date|comment|image", "-" for no size or
    // date.
    void rowContents()
    {
        test::RowList rows;
        test::RecordingProgress progress;
        SearchEngine engine(m_folder, m_disks);
        const auto first = [&](SearchMode mode, const QString& text) {
            engine.run(mode, text, rows, progress);
            const SearchRow& r = rows.rows.first();
            return QStringList{r.key,
                               r.name,
                               r.inFolder,
                               r.hasSize ? QString::number(r.size) : "-",
                               r.hasModified ? engine.format().dateTime(r.modified) : "-",
                               r.comment,
                               QString::number(int(r.image))}
                .join(u'|');
        };
        const QString p = QStringLiteral("Holidays\\Photos\\");
        const QString file = QString::number(int(SearchRow::Image::FileType));
        const QString closed = QString::number(int(SearchRow::Image::Closed));
        QCOMPARE(first(SearchMode::Whole, "readme"),
                 p + "README|README|" + p + "|100|01/03/2026 10:15:00|nice readme|" + file);
        QCOMPARE(first(SearchMode::Folder, "games"),
                 p + "Games\\|Games|" + p + "|-|-|folder of games|" + closed);
        QCOMPARE(first(SearchMode::DiskName, "photos"),
                 "Holidays\\Photos|Photos|Holidays\\|-|-||" +
                     QString::number(int(SearchRow::Image::Disk)));
        QVERIFY(!engine.listAll());
    }

    void emptyText()
    {
        test::RowList rows;
        test::RecordingProgress progress;
        SearchEngine engine(m_folder, m_disks);
        engine.run(SearchMode::Name, QStringLiteral("readme"), rows, progress);
        progress.statuses[0].clear();

        QCOMPARE(engine.run(SearchMode::Name, QString(), rows, progress),
                 SearchEngine::End::Refused);
        QCOMPARE(progress.statuses[0], QStringList{QStringLiteral("No search text!")});
        QCOMPARE(rows.rows.size(), 3); // the previous results stay

        QCOMPARE(engine.run(SearchMode::Everything, QString(), rows, progress),
                 SearchEngine::End::Completed);
        QCOMPARE(rows.rows.size(), 24);
        QVERIFY(engine.listAll());
    }

    void stopAtYield_data()
    {
        // Name searches yield at each folder line: five on the first disk, one on the second.
        // Folder searches yield after each tree line, comment searches before each entry.
        test::table<SearchMode, QString, int, int, int>(
            {"mode", "text", "stopAt", "rowsKept", "yieldsInAll"},
            {
                {"name, second folder line", SearchMode::Name, "readme", 2, 2, 6},
                {"folder, after its third line", SearchMode::Folder, "saves\\", 3, 2, 4},
                {"comments, second entry", SearchMode::Comments, "nice", 2, 1, 4},
            });
    }

    void stopAtYield()
    {
        auto [mode, text, stopAt, rowsKept, yieldsInAll] =
            test::fetch<SearchMode, QString, int, int, int>("mode", "text", "stopAt", "rowsKept",
                                                            "yieldsInAll");

        test::RecordingProgress unstopped;
        test::RowList rows;
        search(mode, text, rows, unstopped);
        QCOMPARE(unstopped.yieldCount(), yieldsInAll);

        test::RecordingProgress progress;
        progress.stopAtYield(stopAt);
        QCOMPARE(search(mode, text, rows, progress), SearchEngine::End::Stopped);
        QCOMPARE(rows.rows.size(), rowsKept);
        QCOMPARE(progress.yieldCount(), stopAt);
        QCOMPARE(progress.statuses[0].last(),
                 QStringLiteral("Aborted. %1 item(s) found.").arg(rowsKept));
    }

    void stopCommandFromTheWindow()
    {
        test::RowList rows;
        test::RecordingProgress progress;
        SearchEngine engine(m_folder, m_disks);
        QString shownBeforeStop;
        progress.onYield = [&](int n) {
            if (n == 2) {
                shownBeforeStop = progress.statuses[0].last();
                engine.requestStop();
            }
            return false;
        };
        QCOMPARE(engine.run(SearchMode::Name, QStringLiteral("readme"), rows, progress),
                 SearchEngine::End::Stopped);
        QCOMPARE(shownBeforeStop,
                 QStringLiteral("Searching, 2 found so far... (Currently searching disk 1 of 4)"));
        QCOMPARE(progress.statuses[0].last(), QStringLiteral("Aborted. 2 item(s) found."));
        QVERIFY(!engine.isRunning());
        // The flag is cleared: the next search runs to its end.
        progress.onYield = nullptr;
        QCOMPARE(engine.run(SearchMode::Name, QStringLiteral("readme"), rows, progress),
                 SearchEngine::End::Completed);
    }

    // Lines that cross the reader's blocks, bare LF line ends and a last line without one.
    void largeFileAcrossBlocks()
    {
        QTemporaryDir dir;
        const DatabaseFolder folder(dir.path());
        DiskTable disks;
        QByteArray data = "\":\"\n";
        int expected = 0;
        QStringList expectedKeys;
        for (int i = 0; i < 40000; ++i) {
            if (i % 1000 == 0)
                data += "\":\\Folder" + QByteArray::number(i) + "\"\n";
            const bool hit = i % 997 == 0;
            const QByteArray name =
                (hit ? "some_Needle_" : "plain_name_") + QByteArray::number(i) + ".dat";
            // A hit's line ends in its size, the last byte before the line end.
            data += (hit ? '"' + name + "\"," + QByteArray::number(i) : fileLine(name, i)) +
                    (i == 39999 ? "" : "\n");
            // The text also stands outside the names, where it must not count.
            if (i % 5 == 0)
                data += folderLine(":\\needle" + QByteArray::number(i)) + "\n";
            if (hit) {
                ++expected;
                expectedKeys.append(QStringLiteral("C\\Big\\%1").arg(QString::fromLatin1(name)));
            }
        }
        QVERIFY(data.size() > 4 * 256 * 1024);
        test::writeFile(folder.recordFile(QStringLiteral("C\\Big"), ".f"), data);
        DiskEntry entry;
        entry.path = QStringLiteral("C\\Big");
        disks.append(entry);

        SearchEngine engine(folder, disks);
        test::RowList rows;
        test::RecordingProgress progress;
        engine.run(SearchMode::Name, QStringLiteral("NEEDLE_"), rows, progress);
        QCOMPARE(rows.rows.size(), expected);
        QCOMPARE(rows.rows.first().inFolder, QStringLiteral("C\\Big\\Folder0\\"));
        QCOMPARE(rows.rows.last().size, 39880);
        QVERIFY(rows.rows.last().key.endsWith(QStringLiteral("some_Needle_39880.dat")));

        // A blank line that is the last line of a block still ends the list.
        QByteArray edge = data.left(FileListScanner::kBlockSize - 40);
        edge.truncate(edge.lastIndexOf('\n') + 1);
        edge += QByteArray(FileListScanner::kBlockSize - 2 - edge.size(), 'x') + "\n\n" +
                fileLine("after_needle_", 1);
        test::writeFile(folder.recordFile(QStringLiteral("C\\Big"), ".f"), edge);
        test::RowList before;
        SearchEngine(folder, disks)
            .run(SearchMode::Name, QStringLiteral("NEEDLE_"), before, progress);
        QCOMPARE(before.rows.size(), edge.count("some_Needle_"));
    }

    // Each disk is read by whichever worker is free; the rows still come in disk order, with a
    // vanished disk skipped in its place.
    void workersKeepDiskOrder_data()
    {
        // The first disk takes longest, so later ones finish first; one disk is gone.
        test::table<SearchMode, int>(
            {"mode", "vanished"},
            {{"names", SearchMode::Name, 5}, {"folder names", SearchMode::Folder, 7}});
    }

    void workersKeepDiskOrder()
    {
        auto [mode, vanished] = test::fetch<SearchMode, int>("mode", "vanished");
        ManyDisks data(12, vanished);
        SearchEngine engine(data.folder, data.disks);
        engine.setThreadCount(4);
        test::RowList rows;
        test::RecordingProgress progress;
        QCOMPARE(engine.run(mode, QStringLiteral("hit"), rows, progress),
                 SearchEngine::End::Completed);
        QCOMPARE(rows.keys(), mode == SearchMode::Folder ? data.folderKeys : data.fileKeys);
    }

    // A stop while the workers are ahead: the rows handed over before the stop stay, nothing
    // after it arrives, and the workers are gone before run() returns.
    void stopWithWorkersBusy()
    {
        ManyDisks data(40);
        SearchEngine engine(data.folder, data.disks);
        engine.setThreadCount(4);
        test::RowList rows;
        test::RecordingProgress progress;
        progress.stopAtYield(9); // the first folder line of the fifth disk
        QCOMPARE(engine.run(SearchMode::Name, QStringLiteral("hit"), rows, progress),
                 SearchEngine::End::Stopped);
        QCOMPARE(rows.keys(), data.fileKeys.mid(0, 12));
        QCOMPARE(progress.statuses[0].last(), QStringLiteral("Aborted. 12 item(s) found."));

        test::RecordingProgress stopping;
        stopping.stopAtYield(300); // listing everything: a yield every 100 rows
        QCOMPARE(engine.run(SearchMode::Everything, QString(), rows, stopping),
                 SearchEngine::End::Stopped);
        QCOMPARE(
            stopping.statuses[0].at(2),
            QStringLiteral("Please wait while I build the list.  100 entries added so far..."));
        QCOMPARE(rows.rows.size(), 30000);
        QCOMPARE(rows.rows.last().key, QStringLiteral("Cat\\D1\\pad29999"));
    }

    void commentLookup()
    {
        QTemporaryDir dir;
        const DatabaseFolder folder(dir.path());
        test::writeFile(folder.nativePath(QStringLiteral("FileComments.dat")),
                        "\".\\A\\a.txt\",\"first\"\r\n"
                        "not an entry\r\n"
                        "\".\\A\\a.txt\",\"second\"\r\n"
                        "\".\\A\\\xe9t\xe9.doc\",\"from Windows\"\r\n");
        const CommentLookup lookup(folder);
        QCOMPARE(lookup.find(QStringLiteral(".\\A\\a.txt")), QStringLiteral("first"));
        QCOMPARE(lookup.find(QStringLiteral(".\\A\\été.doc")), QStringLiteral("from Windows"));
        QCOMPARE(lookup.find(QStringLiteral(".\\A\\A.txt")), QString());
        // A backup left by an interrupted rewrite is the store's content.
        test::writeFile(folder.nativePath(QStringLiteral("FileComments.old")),
                        "\".\\A\\a.txt\",\"backup\"\r\n");
        QCOMPARE(CommentLookup(folder).find(QStringLiteral(".\\A\\a.txt")),
                 QStringLiteral("backup"));
        // Old stores may end their lines with CR alone: the table grows past its first guess.
        QByteArray crOnly;
        for (int i = 0; i < 100; ++i)
            crOnly +=
                "\".\\A\\" + QByteArray::number(i) + "\",\"c" + QByteArray::number(i) + "\"\r";
        test::writeFile(folder.nativePath(QStringLiteral("FileComments.old")), crOnly);
        const CommentLookup grown(folder);
        for (int i : {0, 57, 99})
            QCOMPARE(grown.find(QStringLiteral(".\\A\\%1").arg(i)), QStringLiteral("c%1").arg(i));
    }

private:
    SearchEngine::End search(SearchMode mode, const QString& text, test::RowList& rows,
                             test::RecordingProgress& progress);

    QTemporaryDir m_dir;
    DatabaseFolder m_folder;
    DiskTable m_disks;
};

SearchEngine::End TestSearchEngine::search(SearchMode mode, const QString& text,
                                           test::RowList& rows, test::RecordingProgress& progress)
{
    SearchEngine engine(m_folder, m_disks);
    return engine.run(mode, text, rows, progress);
}

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
