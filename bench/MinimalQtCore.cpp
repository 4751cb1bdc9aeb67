#include <QCoreApplication>

// The least a Qt Core command-line program does: the yardstick for quillet-cli's start.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return QCoreApplication::arguments().isEmpty() ? 1 : 0;
}
