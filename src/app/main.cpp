#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QLabel window(QStringLiteral("Quillet v1.54"));
    window.resize(518, 408);
    window.show();
    return app.exec();
}
