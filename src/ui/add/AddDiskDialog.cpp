#include "AddDiskDialog.h"

#include "DiskBrowser.h"
#include "FolderChooser.h"
#include "SourcePathNames.h"
#include "WindowProgress.h"
#include "comments/CommentStore.h"
#include "common/Twips.h"
#include "config/Settings.h"
#include "copies/FingerprintFile.h"
#include "scan/DiskCataloguer.h"
#include "store/Database.h"
#include "store/DatabaseView.h"
#include "store/Keys.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace dovrin::ui {

namespace {

const QString kNoCatalogue = QStringLiteral("<no catalogue>");

constexpr int kWidth = 7200;
// The fingerprint box below the disk name frame adds a line to both heights.
constexpr int kExtraLine = 300;
constexpr int kIdleHeight = 4020 + kExtraLine;
constexpr int kScanHeight = 5160 + kExtraLine;

// The catalogue folders in the order the file system lists them; "." is the pseudo-catalogue.
QStringList catalogueItems(const DatabaseFolder& folder)
{
    QStringList items;
    const QStringList names =
        QDir(folder.root())
            .entryList(QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDir::Unsorted);
    for (const QString& name : names) {
        if (name == u'.')
            items.append(kNoCatalogue);
        else if (name != QLatin1String(".."))
            items.append(name);
    }
    return items;
}

} // namespace

AddDiskDialog::AddDiskDialog(Database& database, const Settings& settings, Prompt& prompt,
                             DiskBrowser& browser, QWidget* parent)
    : QDialog(parent), m_database(database), m_settings(settings), m_prompt(prompt),
      m_browser(browser)
{
    setObjectName(QStringLiteral("Add"));
    setWindowTitle(QStringLiteral("Catalogue a disk"));
    setFixedSize(toPixelsX(kWidth), toPixelsY(kIdleHeight));
    buildControls();
    fillLists();
}

AddDiskDialog::~AddDiskDialog() = default;

void AddDiskDialog::buildControls()
{
    auto* pathFrame = place(new QGroupBox(QStringLiteral("Drive / path to catalogue"), this),
                            "Frame2", 120, 60, 5640, 1020);
    m_path = place(new QLineEdit(pathFrame), "txtPath", 120, 300, 4080, 315);
    m_browse = place(new QPushButton(QStringLiteral("&Browse..."), pathFrame), "cmdBrowse", 4320,
                     270, 1200, 375);
    m_onlyDirs = place(new QCheckBox(QStringLiteral("Catalogue folders only"), pathFrame),
                       "chkOnlyDirs", 120, 690, 5400, 255);

    auto* catalogueFrame =
        place(new QGroupBox(QStringLiteral("Put disk in which catalogue..."), this), "Frame3", 120,
              1140, 5640, 690);
    m_catalogues = place(new QComboBox(catalogueFrame), "cmbCatalogues", 120, 285, 5400, 315);

    auto* nameFrame =
        place(new QGroupBox(QStringLiteral("Disk name"), this), "Frame1", 120, 1920, 5640, 1995);
    m_newDisk =
        place(new QRadioButton(QStringLiteral("&This is a new disk to the catalogue"), nameFrame),
              "Option1", 120, 255, 5400, 255);
    place(new QLabel(QStringLiteral("Enter a name for the disk:"), nameFrame), "Label1", 360, 585,
          2520, 255);
    m_diskName = place(new QLineEdit(nameFrame), "txtDiskname", 2940, 540, 2580, 315);
    place(new QLabel(QStringLiteral("Get:"), nameFrame), "Label3", 2280, 960, 420, 255);
    m_folderName = place(new QPushButton(QStringLiteral("&Folder name"), nameFrame), "cmdDir", 2700,
                         915, 1380, 345);
    m_volumeName = place(new QPushButton(QStringLiteral("&Volume name"), nameFrame), "cmdVol", 4140,
                         915, 1380, 345);
    m_existingDisk =
        place(new QRadioButton(QStringLiteral("&Overwrite/update the following disk:"), nameFrame),
              "Option2", 120, 1335, 5400, 255);
    m_diskList = place(new QComboBox(nameFrame), "comDiskList", 360, 1605, 5160, 315);

    m_ok =
        place(new QPushButton(QStringLiteral("&Catalogue"), this), "cmdOk", 5880, 150, 1200, 375);
    m_cancel =
        place(new QPushButton(QStringLiteral("Ca&ncel"), this), "cmdCancel", 5880, 600, 1200, 375);
    m_help =
        place(new QPushButton(QStringLiteral("&Help"), this), "cmdHelp", 5880, 1050, 1200, 375);
    m_ok->setDefault(true);

    m_fingerprint = place(new QCheckBox(QStringLiteral("Fingerprint file contents (slower)"), this),
                          "chkFingerprint", 240, 3975, 5400, 255);

    // Below the first height: shown when the dialog grows for a scan.
    m_status = place(new QLabel(this), "labStatus", 120, 4080 + kExtraLine, 6960, 255);
    m_status2 = place(new QLabel(this), "labStatus2", 120, 4380 + kExtraLine, 6960, 255);
    m_status2->setTextFormat(Qt::PlainText);
    m_bar = place(new QProgressBar(this), "ProgressBar", 120, 4710 + kExtraLine, 6960, 285);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    m_newDisk->setChecked(true);
    connect(m_browse, &QPushButton::clicked, this, &AddDiskDialog::browse);
    connect(m_folderName, &QPushButton::clicked, this, &AddDiskDialog::takeFolderName);
    connect(m_volumeName, &QPushButton::clicked, this, &AddDiskDialog::takeVolumeName);
    connect(m_newDisk, &QRadioButton::clicked, m_diskName,
            [this] { m_diskName->setFocus(Qt::OtherFocusReason); });
    connect(m_diskName, &QLineEdit::textChanged, this, &AddDiskDialog::diskNameChanged);
    connect(m_diskList, &QComboBox::activated, this, &AddDiskDialog::diskChosen);
    connect(m_ok, &QPushButton::clicked, this, &AddDiskDialog::catalogue);
    connect(m_cancel, &QPushButton::clicked, this, &AddDiskDialog::cancel);
    connect(m_help, &QPushButton::clicked, this, [this] { m_browser.showHelp(); });
    m_diskName->installEventFilter(this);
    m_diskList->installEventFilter(this);
}

void AddDiskDialog::fillLists()
{
    for (const DiskEntry& disk : m_database.disks())
        m_diskList->addItem(listItemOfRecordPath(disk.path));
    m_diskList->setCurrentIndex(-1);
    m_path->setText(m_settings.defaultLocation);
    m_onlyDirs->setChecked(m_settings.treeOnly);
    m_fingerprint->setChecked(m_settings.fingerprint);
    // A folders-only disk has no fingerprints.
    m_fingerprint->setEnabled(!m_onlyDirs->isChecked());
    connect(m_onlyDirs, &QCheckBox::toggled, m_fingerprint,
            [this](bool foldersOnly) { m_fingerprint->setEnabled(!foldersOnly); });
    if (m_database.disks().count() == 0) {
        m_existingDisk->setEnabled(false);
        m_diskList->setEnabled(false);
    }
    m_catalogues->addItems(catalogueItems(m_database.folder()));
    m_catalogues->setCurrentText(kNoCatalogue);
}

void AddDiskDialog::setUpdateDisk(int index)
{
    const DiskEntry& disk = m_database.disks().at(index);
    const int item = m_diskList->findText(listItemOfRecordPath(disk.path));
    m_diskList->setCurrentIndex(item);
    diskChosen(item);
    m_path->setText(disk.source);
    for (QWidget* w : {static_cast<QWidget*>(m_newDisk), static_cast<QWidget*>(m_diskName),
                       static_cast<QWidget*>(m_volumeName), static_cast<QWidget*>(m_folderName),
                       static_cast<QWidget*>(m_diskList)})
        w->setEnabled(false);
    const QString catalogue = keys::catalogueName(disk.path + u'\\');
    m_catalogues->setCurrentText(catalogue == u'.' ? kNoCatalogue : catalogue);
    m_catalogues->setEnabled(false);
    setWindowTitle(QStringLiteral("Update a disk"));
    if (disk.foldersOnly)
        m_onlyDirs->setChecked(true);
    // A disk that has fingerprints keeps them unless the user says otherwise.
    if (fileExists(m_database.folder().recordFile(disk.path, copies::kFingerprintSuffix)))
        m_fingerprint->setChecked(true);
}

void AddDiskDialog::browse()
{
    const QString folder = platform::FolderChooser::browseForFolder(this);
    if (!folder.isEmpty())
        m_path->setText(folder);
}

void AddDiskDialog::takeFolderName()
{
    const QString path = withTrailingSeparator(m_path->text());
    m_path->setText(path);
    const QString name = lastFolderName(path);
    if (!name.isEmpty())
        m_diskName->setText(name);
}

void AddDiskDialog::takeVolumeName()
{
    if (m_path->text().isEmpty())
        return;
    const QString name = volumeName(m_path->text());
    if (!name.isEmpty())
        m_diskName->setText(name);
}

void AddDiskDialog::diskNameChanged(const QString& text)
{
    m_newDisk->setChecked(true);
    if (!text.isEmpty() && kForbiddenNameCharacters.contains(text.back())) {
        m_diskName->setText(text.chopped(1));
        m_diskName->setCursorPosition(int(m_diskName->text().size()));
    }
}

void AddDiskDialog::diskChosen(int index)
{
    m_existingDisk->setChecked(true);
    if (index < 0)
        return;
    const int disk = m_database.findDisk(recordPathOfListItem(m_diskList->itemText(index)) + u'\\');
    if (disk > 0)
        m_path->setText(m_database.disks().at(disk).source);
}

bool AddDiskDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_diskName && event->type() == QEvent::MouseButtonPress &&
        m_diskName->isEnabled())
        m_newDisk->setChecked(true);
    else if (watched == m_diskList && event->type() == QEvent::KeyPress && m_diskList->isEnabled())
        m_existingDisk->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

void AddDiskDialog::cancel()
{
    if (isScanning())
        m_progress->requestStop();
    else
        QDialog::reject();
}

void AddDiskDialog::reject()
{
    cancel();
}

void AddDiskDialog::closeEvent(QCloseEvent* event)
{
    if (isScanning()) {
        m_progress->requestStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void AddDiskDialog::setInputEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_browse, m_ok, m_volumeName, m_folderName,
                                                      m_help, m_newDisk, m_existingDisk, m_diskName,
                                                      m_diskList, m_fingerprint})
        w->setEnabled(enabled);
}

void AddDiskDialog::catalogue()
{
    if (isScanning())
        return;
    CatalogueInput input;
    input.sourcePath = m_path->text();
    input.existingDisk = m_existingDisk->isChecked();
    input.diskName = m_diskName->text();
    input.catalogue = m_catalogues->currentText();
    input.existingItem = m_diskList->currentText();
    input.foldersOnly = m_onlyDirs->isChecked();
    input.fingerprint = m_fingerprint->isChecked() && !input.foldersOnly;
    input.attributeMask = m_settings.attributeMask;

    DiskCataloguer cataloguer(m_database, m_prompt);
    const std::optional<CataloguePlan> plan = cataloguer.check(input);
    m_path->setText(input.sourcePath); // shows the separator the check appended
    if (!plan)
        return;

    setInputEnabled(false);
    setFixedHeight(toPixelsY(kScanHeight));
    platform::WindowProgress progress(m_status, m_status2, m_bar);
    m_progress = &progress;
    cataloguer.purgeStaleComments = [this](const QString& diskKey) {
        repaint();
        CommentStore(m_database.folder()).purgeStale(diskKey);
    };
    const ScanOutcome outcome = cataloguer.run(*plan, progress);
    m_progress = nullptr;
    done(outcome == ScanOutcome::Complete ? Accepted : Rejected);

    if (outcome != ScanOutcome::Complete) {
        if (DatabaseView* view = m_database.view())
            view->clearFileList();
        return;
    }
    m_browser.prepareForDisk();
    m_browser.showDisk(plan->diskKey);
    if (DatabaseView* view = m_database.view())
        view->setStatusText(m_database.diskCountText());
    m_browser.fillFileList(plan->diskKey);
}

} // namespace dovrin::ui
