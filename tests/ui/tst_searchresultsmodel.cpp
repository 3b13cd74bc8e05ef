#include "TestFiles.h"
#include "search/SearchResultsModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace dovrin;
using dovrin::search::SearchRow;
using dovrin::ui::SearchResultsModel;

class TestSearchResultsModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }
    void rowsShowOnPublish();
};

namespace {

SearchRow fileRow(const QString& name, qint64 size, const QString& comment = {})
{
    SearchRow row;
    row.inFolder = QStringLiteral("Holidays\\Photos\\");
    row.name = name;
    row.key = row.inFolder + name;
    row.size = size;
    row.hasSize = true;
    row.modified = RecordDateTime::fromDateAndTime(QDate(2026, 3, 1), QTime(10, 15));
    row.hasModified = true;
    row.comment = comment;
    return row;
}

} // namespace

void TestSearchResultsModel::rowsShowOnPublish()
{
    SearchResultsModel model;
    QAbstractItemModelTester tester(&model);
    model.addRow(fileRow(QStringLiteral("b.txt"), 1234567, QStringLiteral("nice")));
    SearchRow folder;
    folder.key = QStringLiteral("Holidays\\Photos\\Games\\");
    folder.name = QStringLiteral("Games");
    folder.inFolder = QStringLiteral("Holidays\\Photos\\");
    folder.image = SearchRow::Image::Closed;
    model.addRow(folder);
    QCOMPARE(model.rowCount(), 0);
    model.publish();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.text(0, SearchResultsModel::SizeColumn), QStringLiteral("1,234,567"));
    QCOMPARE(model.text(0, SearchResultsModel::ModifiedColumn),
             QStringLiteral("01/03/2026 10:15:00"));
    QCOMPARE(model.text(0, SearchResultsModel::CommentColumn), QStringLiteral("nice"));
    QCOMPARE(model.text(1, SearchResultsModel::SizeColumn), QString());
    QCOMPARE(model.key(1), QStringLiteral("Holidays\\Photos\\Games\\"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("In Folder"));
}

QTEST_MAIN(TestSearchResultsModel)
#include "tst_searchresultsmodel.moc"
