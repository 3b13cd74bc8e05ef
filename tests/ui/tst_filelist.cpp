#include "FileIcons.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "filelist/FileListModel.h"
#include "filelist/ListView.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace dovrin;
using namespace dovrin::ui;

// A list that holds only texts, as another window may: the sorts read values from the texts.
class TextRows : public KeyedListModel
{
public:
    TextRows()
        : KeyedListModel({{QStringLiteral("Name")},
                          {QStringLiteral("Size"), ColumnSort::Value},
                          {QStringLiteral("Modified"), ColumnSort::Date}})
    {
    }
    void add(const QStringList& cells)
    {
        m_rows.append(cells);
        recordsAppended(1);
    }

protected:
    int recordCount() const override { return int(m_rows.size()); }
    QString recordText(int record, int column) const override { return m_rows[record][column]; }
    QString recordKey(int record) const override { return m_rows[record][0]; }
    QString recordTag(int) const override { return QStringLiteral("FILE"); }

private:
    QList<QStringList> m_rows;
};

// The main window's file list over the fixture database, driven offscreen.
class TestFileList : public QObject
{
    Q_OBJECT

private Q_SLOTS:

private:
    static QStringList column(const ListView& view, int column);

    QTemporaryDir m_dir;
    ListView* m_view = nullptr;
    QAbstractItemModelTester* m_tester = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        test::pinLocale();
        QVERIFY(m_dir.isValid());
        test::copyFixture(QStringLiteral("listing"), m_dir.path());
    }

    void init()
    {
        m_view = new ListView;
        m_view->setDatabaseFolder(DatabaseFolder(m_dir.path()));
        m_view->fileListModel()->setDisplayLocale(QLocale());
        m_tester = new QAbstractItemModelTester(
            m_view->fileListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_view->resize(600, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
    }

    void cleanup()
    {
        delete m_tester;
        delete m_view;
    }

    void fillShowsRowsAndTexts()
    {
        QSignalSpy summaries(m_view, &ListView::summaryTextChanged);
        QSignalSpy locations(m_view, &ListView::locationTextChanged);
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));

        QCOMPARE(m_view->rowCount(), 5);
        QCOMPARE(column(*m_view, FileListModel::SizeColumn),
                 QStringList({"", "", "100", "200", "0"}));
        // The date alone at midnight.
        QCOMPARE(column(*m_view, FileListModel::ModifiedColumn),
                 QStringList({"", "", "01/03/2026 10:15:00", "31/01/2026", "01/02/2026 08:00:00"}));
        QCOMPARE(column(*m_view, FileListModel::CommentColumn),
                 QStringList({"Game folder", "", "Read me first", "", ""}));
        const QStringList headers = {"Name", "Size", "Modified", "File comments"};
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(m_view->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);

        QCOMPARE(summaries.size(), 2);
        QCOMPARE(summaries[0][0].toString(), QStringLiteral("Please wait..."));
        QCOMPARE(summaries[1][0].toString(),
                 QStringLiteral(" 300 bytes in 5 items. (Disk free space: 1234.56MB)"));
        QCOMPARE(locations.last()[0].toString(), QStringLiteral("Holidays\\Photos\\"));

        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\Games\\")));
        QCOMPARE(column(*m_view, FileListModel::SizeColumn), QStringList({"", "", "2,048"}));
        QVERIFY(m_view->fillFileList(QStringLiteral(".\\Folders\\")));
        QCOMPARE(m_view->locationText(), QStringLiteral("\\Folders\\"));
    }

    void headerClicks_data()
    {
        // clicks: column indexes, "-" unsorts; expected: the checked column's texts; sorted: "s".
        for (const char* column : {"clicks", "checkedColumn", "expected", "sorted"})
            QTest::addColumn<QString>(column);
        // Root rows in record order: Games\, Music\, readme.txt (100), b.TXT (200), empty.dat (0).
        test::addTextRows(
            {
                "size;1;1;,,,100,200;",
                "size twice descends;11;1;200,100,,,;",
                "size twice, then name ascends;110;0;b.TXT,empty.dat,Games,Music,readme.txt;s",
                "name first ascends;0;0;b.TXT,empty.dat,Games,Music,readme.txt;s",
                "name twice descends;00;0;readme.txt,Music,Games,empty.dat,b.TXT;s",
                "modified: folders as the zero date;2;0;Games,Music,b.TXT,empty.dat,readme.txt;",
                "comments;3;3;,,,Game folder,Read me first;s",
                "unsort after sorts;10-;0;Games,Music,readme.txt,b.TXT,empty.dat;",
            },
            u';');
    }

    void headerClicks()
    {
        QFETCH(QString, clicks);
        QFETCH(QString, checkedColumn);
        QFETCH(QString, expected);
        QFETCH(QString, sorted);

        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        for (QChar click : clicks) {
            if (click == u'-')
                m_view->unsort();
            else
                m_view->columnClick(click.digitValue());
        }
        QStringList got = column(*m_view, checkedColumn.toInt());
        // Folder rows and the empty file tie at 0: their order among themselves is open.
        if (checkedColumn.toInt() == FileListModel::SizeColumn)
            got.replaceInStrings(QRegularExpression(QStringLiteral("^0$")), QString());
        QCOMPARE(got.join(u','), expected);
        QCOMPARE(m_view->fileListModel()->isSorted(), sorted == u"s");
    }

    void textSortKeepsLaterFillsSorted()
    {
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\Games\\")));
        m_view->columnClick(FileListModel::NameColumn);
        m_view->columnClick(FileListModel::NameColumn);
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        QCOMPARE(column(*m_view, 0),
                 QStringList({"readme.txt", "Music", "Games", "empty.dat", "b.TXT"}));

        // A value sort reorders once: the next folder shows in record order.
        m_view->columnClick(FileListModel::SizeColumn);
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\Games\\")));
        QCOMPARE(column(*m_view, 0), QStringList({"Old", "Saves", "game.exe"}));
    }

    void realHeaderClickShowsArrow()
    {
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        QSignalSpy sorted(m_view, &ListView::columnSorted);
        QHeaderView* header = m_view->header();
        const QPoint sizeSection(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeSection);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeSection);
        QCOMPARE(sorted.size(), 2);
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(m_view->fileListModel()->sortOrder(), Qt::DescendingOrder);
        QCOMPARE(m_view->fileListModel()->text(0, 1), QStringLiteral("200"));
        m_view->unsort();
        QVERIFY(!header->isSortIndicatorShown());
    }

    void selectionAndSignals()
    {
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        QVERIFY(m_view->selectKey(QStringLiteral("Holidays\\Photos\\b.TXT")));
        QCOMPARE(m_view->currentKey(), QStringLiteral("Holidays\\Photos\\b.TXT"));
        QVERIFY(!m_view->selectKey(QStringLiteral("Holidays\\Photos\\missing.txt")));

        // The selection follows its row through a sort.
        m_view->columnClick(FileListModel::SizeColumn);
        QCOMPARE(m_view->currentKey(), QStringLiteral("Holidays\\Photos\\b.TXT"));

        QSignalSpy menus(m_view, &ListView::rowContextMenuRequested);
        const QRect musicRect = m_view->visualRect(m_view->model()->index(
            m_view->rowOfKey(QStringLiteral("Holidays\\Photos\\Music\\")), 0));
        QTest::mousePress(m_view->viewport(), Qt::RightButton, {}, musicRect.center());
        QCOMPARE(menus.size(), 1);
        QCOMPARE(menus[0][0].toString(), QStringLiteral("Holidays\\Photos\\Music\\"));
        QCOMPARE(m_view->currentKey(), QStringLiteral("Holidays\\Photos\\Music\\"));

        QSignalSpy activated(m_view, &ListView::rowActivated);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, musicRect.center());
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated[0][0].toString(), QStringLiteral("Holidays\\Photos\\Music\\"));
    }

    void editedCommentShows()
    {
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        QVERIFY(
            m_view->setRowComment(QStringLiteral("Holidays\\Photos\\b.TXT"), QStringLiteral("B")));
        QVERIFY(!m_view->setRowComment(QStringLiteral("Holidays\\Photos\\b.TXT\\"),
                                       QStringLiteral("x")));
        QCOMPARE(m_view->fileListModel()->text(3, FileListModel::CommentColumn),
                 QStringLiteral("B"));
    }

    void fileTypeImagesAreShared()
    {
        using namespace dovrin::platform;
        BoxImages images;
        const int upper = getFileIcon(QStringLiteral("a.TXT"), FileIconKind::File, images);
        QVERIFY(upper > 0 && !images.icon(upper).isNull());
        QCOMPARE(getFileIcon(QStringLiteral("b.txt"), FileIconKind::File, images), upper);
        QCOMPARE(images.count(), 1);
        const int open = getFileIcon(QString(), FileIconKind::OpenFolder, images);
        QCOMPARE(images.key(open), QStringLiteral("open"));

        // Folder rows of the list show the shared "closed" image.
        QVERIFY(m_view->fillFileList(QStringLiteral("Holidays\\Photos\\")));
        const QIcon shown = m_view->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>();
        QCOMPARE(shown.cacheKey(), BoxImages::shared().icon(QStringLiteral("closed")).cacheKey());
    }

    void extensionKey_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        test::addTextRows({"plain|report.txt|.TXT", "last dot|a.tar.gz|.GZ", "no dot|Makefile|",
                           "hidden file|.bashrc|.BASHRC", "trailing dot|odd.|."});
    }

    void extensionKey()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QCOMPARE(platform::extensionKey(name), key);
    }

    void textOnlyListSortsByReadValues()
    {
        TextRows rows;
        QAbstractItemModelTester tester(&rows,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        rows.add({"a", "1,234", "soon"});
        rows.add({"b", "99", "01/03/2026 10:15:00"});
        rows.add({"c", "", "31/01/2026"});
        auto names = [&] {
            QStringList out;
            for (int row = 0; row < rows.rowCount(); ++row)
                out << rows.text(row, 0);
            return out;
        };
        sortByValue(rows, 2);
        QCOMPARE(names(), QStringList({"c", "b", "a"}));
        sortByDate(rows, 3);
        QCOMPARE(names(), QStringList({"c", "b", "a"})); // an unreadable date sorts last
        sortByDate(rows, 3);
        QCOMPARE(names(), QStringList({"a", "b", "c"}));

        // While sorted by text, new rows take their sorted places.
        rows.sortByText(0);
        rows.sortByText(0);
        rows.add({"bb", "", ""});
        rows.add({"z", "", ""});
        QCOMPARE(names(), QStringList({"z", "c", "bb", "b", "a"}));
        QCOMPARE(rows.rowOfKey(QStringLiteral("bb")), 2);
        // A row that sorts equal to another goes after it.
        rows.sortByText(1);
        rows.add({"d", "99", ""});
        QCOMPARE(rows.rowOfKey(QStringLiteral("d")), rows.rowOfKey(QStringLiteral("b")) + 1);
    }
};

QStringList TestFileList::column(const ListView& view, int column)
{
    QStringList out;
    for (int row = 0; row < view.rowCount(); ++row)
        out << view.fileListModel()->text(row, column);
    return out;
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
