#include "DataTable.h"
#include "Fixtures.h"
#include "MainWindowRig.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "TextRows.h"
#include "add/AddDiskDialog.h"
#include "add/MainWindowDiskBrowser.h"
#include "mainwindow/CatalogueTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace dovrin;
using namespace dovrin::ui;

// The add dialog over the real main window, on a database and a source folder in temporary
// folders. The scan runs inside the click on "Catalogue", as it does for the user.
class TestAddDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::pinLocale(); }

private:
    AddDiskDialog* openDialog();
    template <typename W> W* find(const char* name)
    {
        auto* w = m_dialog->findChild<W*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    // Catalogues the source folder as a new disk and checks that it went through.
    void catalogueNew(const QString& catalogue, const QString& name);
    QString record(const QString& relative) const { return m_db.path() + u'/' + relative; }

    QTemporaryDir m_db;
    QTemporaryDir m_source;
    test::ScriptedPrompt m_prompt;
    Settings m_settings;
    test::MainWindowRig m_rig;
    MainWindow* m_window = nullptr;
    Database* m_database = nullptr;
    std::unique_ptr<MainWindowDiskBrowser> m_browser;
    AddDiskDialog* m_dialog = nullptr;

private Q_SLOTS:
    void init()
    {
        for (QTemporaryDir* dir : {&m_db, &m_source}) {
            QDir(dir->path()).removeRecursively();
            QDir().mkpath(dir->path());
        }
        QDir(m_db.path()).mkdir(QStringLiteral("Holidays"));
        test::writeFile(m_source.path() + QStringLiteral("/a.txt"), "aaaa");
        test::writeFile(m_source.path() + QStringLiteral("/Games/b.dat"), "bb");
        m_prompt = test::ScriptedPrompt();
        m_settings = Settings();
        QVERIFY(m_rig.open(m_prompt, m_db.path(), false));
        m_window = m_rig.window.get();
        m_database = m_rig.database.get();
        m_browser = std::make_unique<MainWindowDiskBrowser>(*m_window);
    }

    void cleanup()
    {
        delete m_dialog;
        m_dialog = nullptr;
        m_browser.reset();
        m_rig.close();
    }

    void newDisk_data()
    {
        for (const char* column : {"catalogue", "recordFile", "key"})
            QTest::addColumn<QString>(column);
        test::addTextRows({"into a catalogue|Holidays|Holidays/Trip|Holidays\\Trip\\",
                           "into <no catalogue>|<no catalogue>|Trip|.\\Trip\\"});
    }

    void newDisk()
    {
        auto [catalogue, recordFile, key] =
            test::fetch<QString, QString, QString>("catalogue", "recordFile", "key");
        m_settings.treeOnly = true;
        openDialog();
        // Opening defaults.
        QCOMPARE(find<QComboBox>("cmbCatalogues")->currentText(), QStringLiteral("<no catalogue>"));
        QVERIFY(find<QComboBox>("cmbCatalogues")->findText(QStringLiteral("Holidays")) >= 0);
        QVERIFY(find<QCheckBox>("chkOnlyDirs")->isChecked());
        QVERIFY(find<QRadioButton>("Option1")->isChecked());
        QVERIFY(!find<QRadioButton>("Option2")->isEnabled()); // no disk loaded yet
        m_settings.treeOnly = false;

        catalogueNew(catalogue, QStringLiteral("Trip"));
        QCOMPARE(find<QLineEdit>("txtPath")->text(), m_source.path() + u'/');
        QVERIFY(QFile::exists(record(recordFile + QStringLiteral(".i"))));
        QVERIFY(test::readFile(record(recordFile + QStringLiteral(".f"))).contains("\"a.txt\",4,"));
        QCOMPARE(m_database->disks().count(), 1);
        QCOMPARE(m_window->tree()->selectedKey(), key);
        QVERIFY(m_window->tree()->node(key + QStringLiteral("Games\\")));
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 1 disk catalogued"));
        QVERIFY(m_window->location().contains(QStringLiteral("Trip")));

        catalogueNew(catalogue, QStringLiteral("Second"));
        QCOMPARE(m_window->statusText(1), QStringLiteral(" 2 disks catalogued"));
    }

    void refusedInput_data()
    {
        test::table<QString, bool, QString>(
            {"name", "existing", "message"},
            {{"pasted question mark", "a?b", false,
              "Disk names cannot contain the following characters: \\ / : * ? \" < > |"},
             {"no disk chosen", "", true, "You must provide a name for the disk"}});
    }

    void refusedInput()
    {
        auto [name, existing, message] =
            test::fetch<QString, bool, QString>("name", "existing", "message");
        catalogueNew(QStringLiteral("Holidays"), QStringLiteral("Old"));
        m_prompt.clear();
        openDialog();
        find<QLineEdit>("txtPath")->setText(m_source.path());
        find<QLineEdit>("txtDiskname")->setText(name);
        if (existing)
            find<QRadioButton>("Option2")->setChecked(true);
        click("cmdOk");
        QCOMPARE(m_prompt.texts(), QStringList{message});
        QCOMPARE(m_prompt.titles(), QStringList{"Error"});
        QCOMPARE(m_prompt.requests().first().icon, PromptIcon::Critical);
        QVERIFY(m_dialog->isVisible());
        QVERIFY(find<QPushButton>("cmdOk")->isEnabled());
        QCOMPARE(find<QLineEdit>("txtDiskname")->text(), name);
        QCOMPARE(m_database->disks().count(), 1);
        QCOMPARE(QDir(m_db.path()).entryList(QDir::Files), QStringList());
    }

    void typedForbiddenCharacterIsRemoved()
    {
        openDialog();
        auto* name = find<QLineEdit>("txtDiskname");
        QTest::keyClicks(name, QStringLiteral("Pho?to|s"));
        QCOMPARE(name->text(), QStringLiteral("Photos"));
        QCOMPARE(name->cursorPosition(), 6);
    }

    void nameButtons_data()
    {
        // The path typed, the button, the path and the disk name afterwards ("Old": unchanged).
        for (const char* column : {"path", "button", "pathAfter", "name"})
            QTest::addColumn<QString>(column);
        test::addTextRows({"last folder|/media/usb/Photos|cmdDir|/media/usb/Photos/|Photos",
                           "its separator kept|/media/usb/Photos/|cmdDir|/media/usb/Photos/|Photos",
                           "a folder of the root|/Photos|cmdDir|/Photos/|Photos",
                           "backslashes|D:\\Games\\Saves\\|cmdDir|D:\\Games\\Saves\\|Saves",
                           "a drive is no folder|D:\\|cmdDir|D:\\|Old", "the root|/|cmdDir|/|Old",
                           "a bare name|Photos|cmdDir|Photos/|Old",
                           "no volume without a path||cmdVol||Old",
                           "no volume where nothing is|/no/such/place|cmdVol|/no/such/place|Old"});
    }

    void nameButtons()
    {
        auto [path, button, pathAfter, name] =
            test::fetch<QString, QString, QString, QString>("path", "button", "pathAfter", "name");
        openDialog();
        find<QLineEdit>("txtDiskname")->setText(QStringLiteral("Old"));
        find<QLineEdit>("txtPath")->setText(path);
        click(button.toLatin1().constData());
        QCOMPARE(find<QLineEdit>("txtPath")->text(), pathAfter);
        QCOMPARE(find<QLineEdit>("txtDiskname")->text(), name);
    }

    void updateChosenFromTheList()
    {
        catalogueNew(QStringLiteral("<no catalogue>"), QStringLiteral("Photos"));
        QFile::remove(m_source.path() + QStringLiteral("/a.txt"));

        openDialog();
        find<QLineEdit>("txtPath")->clear();
        find<QComboBox>("cmbCatalogues")
            ->setCurrentText(QStringLiteral("Holidays")); // plays no part
        auto* list = find<QComboBox>("comDiskList");
        QCOMPARE(list->itemText(0), QStringLiteral("\\Photos"));
        list->setCurrentIndex(0);
        Q_EMIT list->activated(0);
        QVERIFY(find<QRadioButton>("Option2")->isChecked());
        QCOMPARE(find<QLineEdit>("txtPath")->text(), m_source.path() + u'/');
        click("cmdOk");
        QVERIFY2(m_prompt.requests().isEmpty(), qPrintable(m_prompt.texts().join(u'|')));
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!test::readFile(record(QStringLiteral("Photos.f"))).contains("a.txt"));
        QVERIFY(!QFile::exists(record(QStringLiteral("Holidays/Photos.i"))));
        QCOMPARE(m_database->disks().count(), 1);
        QCOMPARE(m_window->tree()->selectedKey(), QStringLiteral(".\\Photos\\"));
    }

    void cancelDuringScan_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("close box") << true;
    }

    void cancelDuringScan()
    {
        QFETCH(bool, closeBox);
        catalogueNew(QStringLiteral("Holidays"), QStringLiteral("Photos"));
        const QByteArray before = test::recordBytes(record(QStringLiteral("Holidays/Photos")));
        test::writeFile(m_source.path() + QStringLiteral("/new.txt"), "n");

        openDialog();
        m_dialog->setUpdateDisk(1);
        bool sawScan = false;
        // The first pending event is seen when the scan first lets the window work.
        QTimer::singleShot(0, m_dialog, [&] {
            sawScan = m_dialog->isScanning() && !find<QPushButton>("cmdOk")->isEnabled() &&
                      find<QPushButton>("cmdCancel")->isEnabled() &&
                      find<QLabel>("labStatus")->isVisible() &&
                      !find<QLabel>("labStatus2")->text().isEmpty();
            if (closeBox)
                m_dialog->close();
            else
                click("cmdCancel");
            QVERIFY(m_dialog->isVisible()); // it closes only when the scan has stopped
        });
        click("cmdOk");
        QVERIFY(sawScan);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(test::recordBytes(record(QStringLiteral("Holidays/Photos"))), before);
        QCOMPARE(QDir(m_db.filePath(QStringLiteral("Holidays"))).entryList(QDir::Files).size(), 3);
        QVERIFY(m_window->tree()->node(QStringLiteral("Holidays\\Photos\\")));
        QCOMPARE(m_database->disks().count(), 1);
    }
};

AddDiskDialog* TestAddDialog::openDialog()
{
    delete m_dialog;
    m_dialog = new AddDiskDialog(*m_database, m_settings, m_prompt, *m_browser, m_window);
    m_dialog->show();
    return m_dialog;
}

void TestAddDialog::catalogueNew(const QString& catalogue, const QString& name)
{
    openDialog();
    find<QLineEdit>("txtPath")->setText(m_source.path());
    find<QComboBox>("cmbCatalogues")->setCurrentText(catalogue);
    QTest::keyClicks(find<QLineEdit>("txtDiskname"), name);
    click("cmdOk");
    QVERIFY2(m_prompt.requests().isEmpty(), qPrintable(m_prompt.texts().join(u'|')));
    QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
    QVERIFY(!m_dialog->isVisible());
}

QTEST_MAIN(TestAddDialog)
#include "tst_adddialog.moc"
