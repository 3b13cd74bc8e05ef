#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QTimer;

namespace dovrin::ui {

// The about box, "About": the program's name, version and release date, the maker's notice
// and addresses. A click on the web address starts the browser with it and closes the box;
// when no browser is registered the box stays and the address flashes: dark, bright, three
// times, ending bright.
class AboutDialog final : public QDialog
{
    Q_OBJECT

public:
    // `openWebAddress` starts the browser with an address; false when there is none.
    explicit AboutDialog(std::function<bool(const QString&)> openWebAddress,
                         QWidget* parent = nullptr);

    static QString versionText(int major, int minor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addLabel(const char* name, const QString& text);
    void webClicked();
    void flashTick();
    void setWebColour(int blue);
    void finish();

    std::function<bool(const QString&)> m_openWebAddress;
    QLabel* m_web = nullptr;
    QTimer* m_flashTimer = nullptr;
    qint16 m_flashCount = 0;
};

} // namespace dovrin::ui
