#include "DiskInfoDialog.h"

#include "BusyCursor.h"
#include "common/Twips.h"
#include "store/DiskRecord.h"
#include "store/DiskTable.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace dovrin::ui {

DiskContents countDiskContents(const QString& fileListPath)
{
    DiskContents contents;
    FileListReader reader;
    if (!reader.open(fileListPath))
        return contents;
    FileListItem item;
    int folderLines = 0;
    while (reader.next(item)) {
        if (item.kind == FileListItem::Folder) {
            ++folderLines;
        } else {
            ++contents.files;
            contents.totalSize += item.size;
        }
    }
    // The root's own folder line is not a folder below the root.
    contents.folders = qMax(0, folderLines - 1);
    return contents;
}

DiskInfoDialog::DiskInfoDialog(const DiskEntry& disk, const DatabaseFolder& folder, QWidget* parent)
    : QDialog(parent), m_fileListPath(folder.recordFile(disk.path, ".f")),
      m_foldersOnly(disk.foldersOnly != 0)
{
    setObjectName(QStringLiteral("DiskInfo"));
    setWindowTitle(QStringLiteral("Disk information"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(16);
    m_grid->setVerticalSpacing(6);
    layout->addLayout(m_grid);

    addRow(QStringLiteral("Disk:"), "labDisk")->setText(disk.path);
    addRow(QStringLiteral("Catalogue taken from:"), "labCatFrom")->setText(disk.source);
    addRow(QStringLiteral("Space left on disk:"), "labSpaceLeft")->setText(disk.freeSpace);
    addRow(QStringLiteral("Date/time catalogued:"), "labTimeCatted")->setText(disk.date);
    addRow(QStringLiteral("Number of folders:"), "labFolders");
    addRow(QStringLiteral("Number of files:"), "labFiles");
    addRow(QStringLiteral("Total size of all files:"), "labTotalSize");

    auto* filesCatted =
        new QLabel(m_foldersOnly ? QStringLiteral("Files were not catalogued for this disk")
                                 : QStringLiteral("Files were catalogued for this disk"),
                   this);
    filesCatted->setObjectName(QStringLiteral("labFilesCatted"));
    layout->addSpacing(8);
    layout->addWidget(filesCatted);

    auto* hint = new QLabel(QStringLiteral("Click window to close"), this);
    hint->setObjectName(QStringLiteral("Label2"));
    hint->setAlignment(Qt::AlignCenter);
    hint->setEnabled(false);
    layout->addSpacing(8);
    layout->addWidget(hint);

    for (QLabel* label : findChildren<QLabel*>()) {
        label->installEventFilter(this);
        label->setTextFormat(Qt::PlainText);
    }
    setCursor(Qt::PointingHandCursor);
    setMinimumWidth(toPixelsX(5700));
}

QLabel* DiskInfoDialog::addRow(const QString& caption, const char* valueName)
{
    const int row = m_grid->rowCount();
    auto* captionLabel = new QLabel(caption, this);
    captionLabel->setObjectName(QStringLiteral("Label1"));
    auto* valueLabel = new QLabel(this);
    valueLabel->setObjectName(QLatin1String(valueName));
    QFont bold = valueLabel->font();
    bold.setBold(true);
    valueLabel->setFont(bold);
    m_grid->addWidget(captionLabel, row, 0, Qt::AlignRight);
    m_grid->addWidget(valueLabel, row, 1, Qt::AlignLeft);
    return valueLabel;
}

QString DiskInfoDialog::value(const QString& labelName) const
{
    const auto* label = findChild<QLabel*>(labelName);
    return label ? label->text() : QString();
}

void DiskInfoDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The recorded values show first; the count follows once the window is painted.
    if (!m_counted)
        QTimer::singleShot(0, this, &DiskInfoDialog::count);
}

void DiskInfoDialog::count()
{
    if (m_counted)
        return;
    m_counted = true;
    DiskContents contents;
    {
        platform::BusyCursor busy;
        contents = countDiskContents(m_fileListPath);
    }
    auto set = [this](const char* name, const QString& text) {
        findChild<QLabel*>(QLatin1String(name))->setText(text);
    };
    set("labFolders", QString::number(contents.folders));
    if (m_foldersOnly) {
        set("labFiles", QStringLiteral("N/A"));
        set("labTotalSize", QStringLiteral("N/A"));
        return;
    }
    set("labFiles", QString::number(contents.files));
    // "#,#" writes nothing for zero.
    const QString total =
        contents.totalSize == 0 ? QString() : QLocale().toString(contents.totalSize);
    set("labTotalSize", total + QStringLiteral(" bytes"));
}

void DiskInfoDialog::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    accept();
}

bool DiskInfoDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace dovrin::ui
