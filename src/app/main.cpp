#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Dovrin 2"));
    label.setWindowTitle(QStringLiteral("Dovrin 2"));
    label.show();
    return app.exec();
}
