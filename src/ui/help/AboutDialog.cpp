#include "AboutDialog.h"

#include "BuildInfo.h"
#include "common/Twips.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dovrin::ui {

namespace {

constexpr int kDarkBlue = 128;
constexpr int kBrightBlue = 255;
constexpr int kFlashInterval = 250; // ms

} // namespace

AboutDialog::AboutDialog(std::function<bool(const QString&)> openWebAddress, QWidget* parent)
    : QDialog(parent), m_openWebAddress(std::move(openWebAddress))
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->setContentsMargins(24, 18, 24, 14);

    QLabel* title = addLabel("Label2", QStringLiteral("Dovrin Disk Cataloguer"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    addLabel("labVersion", versionText(build::kVersionMajor, build::kVersionMinor));
    addLabel("labRelease",
             QStringLiteral("Release date: ") + QString::fromUtf8(build::kReleaseDate));
    layout->addSpacing(6);
    addLabel("Label1",
             QStringLiteral("Dovrin is free to use, copy and give away. It comes with no "
                            "warranty of any kind: it only reads the disks you catalogue, but "
                            "keep copies of whatever matters to you."));
    addLabel("Label4",
             QStringLiteral("Any comments, suggestions or bugs please get in touch! You can "
                            "email me at ") +
                 QString::fromUtf8(build::kMakerEmail) +
                 QStringLiteral(". Hope you like the program!"));
    addLabel("Label5", QStringLiteral("See the website for latest information and updates."));

    m_web = addLabel("labWeb", QString::fromUtf8(build::kMakerWeb));
    QFont underlined = m_web->font();
    underlined.setUnderline(true);
    m_web->setFont(underlined);
    m_web->setCursor(Qt::PointingHandCursor);
    m_web->setWordWrap(false);
    m_web->installEventFilter(this);
    setWebColour(kDarkBlue);

    auto* ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    layout->addSpacing(6);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &AboutDialog::finish);

    m_flashTimer = new QTimer(this);
    m_flashTimer->setObjectName(QStringLiteral("FlashTimer"));
    m_flashTimer->setInterval(kFlashInterval);
    connect(m_flashTimer, &QTimer::timeout, this, &AboutDialog::flashTick);

    // The wrapped labels take the height they need at this width, and no more.
    const int width = toPixelsX(6300);
    setFixedSize(width, layout->heightForWidth(width));
}

QString AboutDialog::versionText(int major, int minor)
{
    return QStringLiteral("Version %1.%2 ").arg(major).arg(minor);
}

QLabel* AboutDialog::addLabel(const char* name, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    static_cast<QVBoxLayout*>(layout())->addWidget(label);
    return label;
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_web && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        webClicked();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::webClicked()
{
    m_flashTimer->start();
    if (!m_openWebAddress || !m_openWebAddress(m_web->text()))
        return;
    finish();
}

void AboutDialog::flashTick()
{
    if (m_flashCount >= 6)
        return;
    if (m_flashCount == 5) {
        setWebColour(kBrightBlue);
        m_flashTimer->stop();
        return;
    }
    setWebColour(m_flashCount % 2 == 0 ? kDarkBlue : kBrightBlue);
    ++m_flashCount;
}

void AboutDialog::setWebColour(int blue)
{
    QPalette palette = m_web->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, blue));
    m_web->setPalette(palette);
}

void AboutDialog::finish()
{
    m_flashTimer->stop();
    accept();
}

} // namespace dovrin::ui
