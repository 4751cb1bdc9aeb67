// The main window and every dialog as a screen reader reads them: each window is walked over AT-SPI by
// atspi_walk, which fails on a control without a name, with its access key's mark in its name, or with
// the name of a control beside it.
#include "EveryWindow.h"
#include "ProgramFolders.h"
#include "app/MainFormU.h"
#include "app/QtTranslation.h"
#include "forms/AccessibleNames.h"
#include "forms/MnemonicClicks.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void windowsReadAloud_data();
    void windowsReadAloud();

private:
    QTemporaryDir m_dir;
};

void TestAccessibility::initTestCase()
{
    QVERIFY(useProgramFolders(m_dir.path()));
    QApplication::setQuitOnLastWindowClosed(false);
    // As the program starts: Qt's own parts of the dialogs in Chinese.
    QtTranslation::install();
    MnemonicClicks::install();
    AccessibleNames::install();
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (!bus || !bus->activatableServiceNames().value().contains(u"org.a11y.Bus"_s))
        QSKIP("at-spi2-core is not installed; scripts/common.sh installs what this test needs");
}

void TestAccessibility::windowsReadAloud_data()
{
    QTest::addColumn<int>("window");
    const QList<WindowMaker> windows = everyWindow();
    for (int i = 0; i < windows.size(); ++i)
        QTest::newRow(windows.at(i).name) << i;
}

void TestAccessibility::windowsReadAloud()
{
    QFETCH(int, window);
    TMainForm form(QStringList{});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget* shown = everyWindow().at(window).make(form);
    std::unique_ptr<QWidget> dialog(shown == &form ? nullptr : shown);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));

    // The walker asks this process over the bus: the event loop must run while it does.
    QProcess walker;
    walker.setProcessChannelMode(QProcess::MergedChannels);
    QSignalSpy finished(&walker, &QProcess::finished);
    walker.start(QCoreApplication::applicationDirPath() + u"/atspi_walk"_s,
                 {QString::number(QCoreApplication::applicationPid()), shown->windowTitle()});
    QVERIFY2(finished.wait(60000), "the walk did not end");
    const QByteArray report = walker.readAll();
    QVERIFY2(walker.exitStatus() == QProcess::NormalExit && walker.exitCode() == 0, report.constData());
    qInfo("%s", report.trimmed().constData());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
