#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace dovrin {
class Database;
class Prompt;
} // namespace dovrin

namespace dovrin::ui {

// "Print...": a list of the disks, the folder tree of a disk, or the contents of a disk, on a
// printer chosen in the system print dialog (owned by `printOwner`, the main window).
class FormPrint final : public QDialog
{
    Q_OBJECT

public:
    FormPrint(const Database& database, Prompt& prompt, QWidget* printOwner,
              QWidget* parent = nullptr);

    // The buttons' commands.
    void ok();
    void justPrint();

private:
    // False, after "You must select a disk.", when the chosen printout has no disk.
    bool diskChosen();
    void printCatalogue();

    const Database& m_database;
    Prompt& m_prompt;
    QWidget* m_printOwner;
    QRadioButton* m_list = nullptr;
    QRadioButton* m_tree = nullptr;
    QRadioButton* m_files = nullptr;
    QComboBox* m_treeDisks = nullptr;
    QComboBox* m_fileDisks = nullptr;
    QComboBox* m_fontSize = nullptr;
};

} // namespace dovrin::ui
