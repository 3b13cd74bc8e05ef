#include "CatalogueChooser.h"

#include "common/Prompt.h"
#include "common/Twips.h"
#include "manage/CatalogueChanges.h"

#include <QComboBox>
#include <QPushButton>

namespace dovrin::ui {

CatalogueChooser::CatalogueChooser(const DatabaseFolder& database, const QString& leaveOut,
                                   Prompt& prompt, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CatSelect"));
    setWindowTitle(QStringLiteral("Select Catalogue..."));
    setFixedSize(toPixelsX(4500), toPixelsY(1110));

    m_select = place(new QComboBox(this), "cmbSelect", 120, 120, 4260, 315);
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), "cmdOK", 1860, 600, 1200, 375);
    auto* cancel =
        place(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", 3180, 600, 1200, 375);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CatalogueChooser::accept);
    connect(cancel, &QPushButton::clicked, this, &CatalogueChooser::reject);

    m_select->addItems(catalogueChoices(database, leaveOut));
    if (m_select->count() > 0) {
        m_select->setCurrentIndex(0);
    } else {
        m_target = QStringLiteral(":");
        prompt.error(QStringLiteral("There are no catalogues - create a catalogue first"));
    }
}

void CatalogueChooser::accept()
{
    if (m_select->currentIndex() < 0)
        return;
    m_target = targetOfChoice(m_select->currentText());
    QDialog::accept();
}

void CatalogueChooser::reject()
{
    m_target = QStringLiteral(":");
    QDialog::reject();
}

} // namespace dovrin::ui
