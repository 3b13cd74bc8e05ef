#pragma once

#include "store/DatabaseFolder.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;

namespace dovrin {
class Prompt;
struct Settings;
} // namespace dovrin

namespace dovrin::ui {

// The mask of the file attributes the scanner lists besides normal files, and the two boxes
// that show it. Masks other than 2, 4 and 6 tick neither box.
qint16 attributeMaskFor(bool hidden, bool system);
bool maskShowsHidden(qint16 mask);
bool maskShowsSystem(qint16 mask);

// "Options": three pages behind a tab strip. OK stores five settings in memory and rewrites
// Extensions.dat in the database folder; Cancel stores nothing.
class OptionsDialog final : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxEntries = 99;

    OptionsDialog(Settings& settings, const DatabaseFolder& database, Prompt& prompt,
                  QWidget* parent = nullptr);
    ~OptionsDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGeneralPage();
    QWidget* buildPathsPage();
    QWidget* buildFilteringPage();
    QLabel* addPathRow(QWidget* page, int top, const QString& caption, const QString& name,
                       int labelWidth);
    void load();
    void showPage(int index);
    void choosePath(QLabel* label);
    void addEntry();
    void removeEntry();
    void accept() override;

    Settings& m_settings;
    DatabaseFolder m_database;
    Prompt& m_prompt;

    QTabBar* m_tabs = nullptr;
    QList<QWidget*> m_pages;
    QCheckBox* m_treeCat = nullptr;
    QCheckBox* m_fingerprint = nullptr;
    QCheckBox* m_hidden = nullptr;
    QCheckBox* m_system = nullptr;
    QLabel* m_defaultLocationPath = nullptr;
    QLabel* m_desktopPath = nullptr;
    QLabel* m_databasePath = nullptr;
    QListWidget* m_extensions = nullptr;
    QLineEdit* m_newExtension = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_ok = nullptr;
    QMetaObject::Connection m_focusWatch;
};

} // namespace dovrin::ui
