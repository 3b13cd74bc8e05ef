#include "FormPrint.h"

#include "PrintJob.h"
#include "common/Prompt.h"
#include "common/Twips.h"
#include "reports/CataloguePrintout.h"
#include "store/Database.h"

#include <QComboBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace dovrin::ui {

using reports::CataloguePrintout;

namespace {

constexpr int kWidth = 6360;
constexpr int kHeight = 3780;
constexpr int kOptionWidth = 5880;
constexpr int kListLeft = 600;
constexpr int kListWidth = 5520;
constexpr int kButtonTop = 3120;

} // namespace

FormPrint::FormPrint(const Database& database, Prompt& prompt, QWidget* printOwner, QWidget* parent)
    : QDialog(parent), m_database(database), m_prompt(prompt), m_printOwner(printOwner)
{
    setObjectName(QStringLiteral("FormPrint"));
    setWindowTitle(QStringLiteral("Print..."));
    setFixedSize(toPixelsX(kWidth), toPixelsY(kHeight));

    m_list = place(new QRadioButton(QStringLiteral("Print a &list of disks"), this), "optPrintList",
                   240, 180, kOptionWidth, 315);
    m_tree = place(new QRadioButton(QStringLiteral("Print the &directory tree of a disk"), this),
                   "optPrintTree", 240, 600, kOptionWidth, 315);
    m_treeDisks = place(new QComboBox(this), "comDiskList", kListLeft, 960, kListWidth, 315);
    m_files = place(new QRadioButton(QStringLiteral("Print the &contents of a disk"), this),
                    "optPrintFiles", 240, 1440, kOptionWidth, 315);
    m_fileDisks = place(new QComboBox(this), "comDiskList2", kListLeft, 1800, kListWidth, 315);
    place(new QLabel(QStringLiteral("Select a font size:"), this), "Label1", 240, 2400, 1800, 315);
    m_fontSize = place(new QComboBox(this), "cmFontSize", 2100, 2370, 975, 315);

    auto* ok =
        place(new QPushButton(QStringLiteral("&Ok"), this), "cmdOk", 240, kButtonTop, 1215, 375);
    auto* justPrint =
        place(new QPushButton(QStringLiteral("&Print + don't close this window"), this),
              "cmdJustPrint", 1575, kButtonTop, 3195, 375);
    auto* close = place(new QPushButton(QStringLiteral("&Close"), this), "cmdCancel", 4890,
                        kButtonTop, 1215, 375);
    ok->setDefault(true);
    justPrint->setAutoDefault(false);
    close->setAutoDefault(false);

    m_tree->setChecked(true);
    for (const DiskEntry& disk : database.disks()) {
        m_treeDisks->addItem(disk.path);
        // A disk catalogued with folders only has no contents to print.
        if (disk.foldersOnly == 0)
            m_fileDisks->addItem(disk.path);
    }
    m_treeDisks->setCurrentIndex(-1);
    m_fileDisks->setCurrentIndex(-1);

    m_fontSize->setEditable(true);
    for (const int size : CataloguePrintout::bodySizes())
        m_fontSize->addItem(QString::number(size));
    m_fontSize->setValidator(new QIntValidator(1, 999, m_fontSize));
    m_fontSize->setCurrentText(QString::number(CataloguePrintout::kDefaultBodySize));

    connect(m_treeDisks, &QComboBox::activated, m_tree, [this] { m_tree->setChecked(true); });
    connect(m_fileDisks, &QComboBox::activated, m_files, [this] { m_files->setChecked(true); });
    connect(ok, &QPushButton::clicked, this, &FormPrint::ok);
    connect(justPrint, &QPushButton::clicked, this, &FormPrint::justPrint);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

bool FormPrint::diskChosen()
{
    if ((m_tree->isChecked() && m_treeDisks->currentText().isEmpty()) ||
        (m_files->isChecked() && m_fileDisks->currentText().isEmpty())) {
        m_prompt.error(QStringLiteral("You must select a disk."));
        return false;
    }
    return true;
}

void FormPrint::ok()
{
    if (!diskChosen())
        return;
    printCatalogue();
    accept();
}

// Refused the same way as "&Ok": a tree or contents printout needs its disk.
void FormPrint::justPrint()
{
    if (diskChosen())
        printCatalogue();
}

void FormPrint::printCatalogue()
{
    CataloguePrintout::Kind kind = CataloguePrintout::Kind::DiskList;
    QString disk;
    if (m_tree->isChecked()) {
        kind = CataloguePrintout::Kind::Tree;
        disk = m_treeDisks->currentText();
    } else if (m_files->isChecked()) {
        kind = CataloguePrintout::Kind::Contents;
        disk = m_fileDisks->currentText();
    }
    bool sized = false;
    const int bodySize = m_fontSize->currentText().toInt(&sized);
    const CataloguePrintout printout(m_database.folder(), m_database.disks());
    printOnChosenPrinter(m_printOwner, m_prompt, [&](reports::PageCanvas& canvas) {
        return sized && bodySize > 0 && printout.print(canvas, kind, disk, bodySize);
    });
}

} // namespace dovrin::ui
