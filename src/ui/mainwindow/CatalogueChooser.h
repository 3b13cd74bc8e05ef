#pragma once

#include <QDialog>

class QComboBox;

namespace dovrin {
class DatabaseFolder;
class Prompt;
} // namespace dovrin

namespace dovrin::ui {

// "Select Catalogue...", the move command's choice of a target catalogue. Made with the
// catalogue to leave out; when nothing else is left it has said so and target() is ":"
// at once, and the caller does not show it. OK gives "Holidays\" or ".\"; Cancel, Escape and
// the close box give ":".
class CatalogueChooser final : public QDialog
{
    Q_OBJECT

public:
    CatalogueChooser(const DatabaseFolder& database, const QString& leaveOut, Prompt& prompt,
                     QWidget* parent = nullptr);

    const QString& target() const { return m_target; }

    void accept() override;
    void reject() override;

private:
    QComboBox* m_select = nullptr;
    QString m_target;
};

} // namespace dovrin::ui
