#pragma once

#include "KeyedListView.h"
#include "store/DatabaseFolder.h"

namespace dovrin::ui {

class FileListModel;

// The main window's file list: the contents of one folder of one catalogued disk, read from
// the disk's record files and the comment store each time a disk or folder is chosen.
class ListView : public KeyedListView
{
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);

    // Where the record files and the comment store are.
    void setDatabaseFolder(const DatabaseFolder& folder) { m_folder = folder; }
    const DatabaseFolder& databaseFolder() const { return m_folder; }
    FileListModel* fileListModel() const { return m_model; }

    // FillFileList: lists the disk root or folder named by a tree key, under the busy
    // pointer. A key without a disk name (a catalogue) leaves the list as it is: false.
    bool fillFileList(const QString& key);
    // ClearFileList: no rows, empty location and summary.
    void clearFileList();

    // The listed key; empty after clearFileList().
    QString listedKey() const;
    // The location label's text and the status panel's text.
    const QString& locationText() const { return m_locationText; }
    const QString& summaryText() const { return m_summaryText; }

    // The width a column needs to show a long value whole: a size of nearly a gigabyte, a
    // date-time; 0 for the name and comment columns.
    int longValueWidth(int column) const;

    // Shows a comment that was edited; false when no row has the key.
    bool setRowComment(const QString& key, const QString& comment);

Q_SIGNALS:
    // The second status panel: "Please wait..." while filling, then the summary.
    void summaryTextChanged(const QString& text);
    void locationTextChanged(const QString& text);

private:
    void setTexts(const QString& location, const QString& summary);

    FileListModel* m_model;
    DatabaseFolder m_folder;
    QString m_locationText;
    QString m_summaryText;
};

} // namespace dovrin::ui
