#pragma once

#include "KeyedListModel.h"
#include "common/DisplayFormat.h"
#include "list/FolderListing.h"

#include <vector>

namespace dovrin::ui {

// The rows of the main window's file list: one folder's sub-folders and files, with the
// columns "Name", "Size", "Modified" and "File comments".
class FileListModel : public KeyedListModel
{
    Q_OBJECT

public:
    enum Column
    {
        NameColumn,
        SizeColumn,
        ModifiedColumn,
        CommentColumn
    };

    explicit FileListModel(QObject* parent = nullptr);

    // Shows the listing's rows (in record order, or text-sorted when sorted is on).
    void setListing(FolderListing listing);
    void clear();
    const FolderListing& listing() const { return m_listing; }

    // Shows a changed comment in the row with this key; false when no row has it.
    bool setComment(const QString& key, const QString& comment);

    // Size and date texts follow this locale.
    void setDisplayLocale(const QLocale& locale);
    // A long value of the Size or Modified column as the locale writes it (999,999,999 bytes;
    // 28 December 2026, 23:59:59); empty for the other columns.
    QString longValueText(int column) const;

protected:
    int recordCount() const override { return int(m_listing.rows().size()); }
    QString recordText(int record, int column) const override;
    QString recordKey(int record) const override { return m_listing.rowKey(record); }
    QString recordTag(int record) const override;
    QIcon recordIcon(int record) const override;
    double recordValue(int record, int column) const override;
    RecordDateTime recordDate(int record, int column) const override;
    int recordOfKey(const QString& key) const override;

private:
    FolderListing m_listing;
    std::vector<int> m_images; // BoxImages index per record
    DisplayFormat m_format;
};

} // namespace dovrin::ui
