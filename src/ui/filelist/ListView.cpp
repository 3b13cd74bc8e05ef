#include "ListView.h"

#include "BusyCursor.h"
#include "FileListModel.h"
#include "comments/CommentStore.h"
#include "store/Keys.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyle>
#include <cmath>

namespace dovrin::ui {

ListView::ListView(QWidget* parent) : KeyedListView(parent), m_model(new FileListModel(this))
{
    setObjectName(QStringLiteral("ListView"));
    setListModel(m_model);
    setIconSize(QSize(16, 16));
}

bool ListView::fillFileList(const QString& key)
{
    if (keys::diskName(key).isEmpty())
        return false;
    platform::BusyCursor busy;
    m_summaryText = QStringLiteral("Please wait...");
    Q_EMIT summaryTextChanged(m_summaryText);
    m_model->clear();
    if (isVisible())
        window()->repaint();

    FolderListing listing;
    listing.read(m_folder, key, CommentStore(m_folder).loadIndex());
    const QString location = listing.locationText();
    const QString summary = listing.summaryText();
    m_model->setListing(std::move(listing));
    showSortIndicator(m_model->isSorted());
    setTexts(location, summary);
    return true;
}

void ListView::clearFileList()
{
    m_model->clear();
    setTexts(QString(), QString());
}

QString ListView::listedKey() const
{
    return m_model->listing().key();
}

int ListView::longValueWidth(int column) const
{
    QString text = m_model->longValueText(column);
    if (text.isEmpty())
        return 0;
    // Many desktop fonts give each digit its own width: measure the widest in every place.
    const QFontMetricsF metrics(font());
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    }
    for (QChar& c : text) {
        if (c.isDigit())
            c = widest;
    }
    // The item delegate keeps this margin on either side of a cell's text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return int(std::ceil(metrics.horizontalAdvance(text))) + 2 * margin;
}

bool ListView::setRowComment(const QString& key, const QString& comment)
{
    return m_model->setComment(key, comment);
}

void ListView::setTexts(const QString& location, const QString& summary)
{
    m_locationText = location;
    m_summaryText = summary;
    Q_EMIT locationTextChanged(m_locationText);
    Q_EMIT summaryTextChanged(m_summaryText);
}

} // namespace dovrin::ui
