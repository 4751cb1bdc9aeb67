#include "TestFiles.h"
#include "WindowHarness.h"

#include "app/SystemTray.h"
#include "document/NotesModel.h"
#include "forms/MessageBox.h"
#include "platform/Desktop.h"
#include "shared/AnsiText.h"
#include "shared/IniFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestTray : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void iconAndMenu();
    void hint();
    void toTrayAndBack_data();
    void toTrayAndBack();
    void closeToTray_data();
    void closeToTray();
    void exitFromTray_data();
    void exitFromTray();
    void minimizeStart_data();
    void minimizeStart();
    void nothingWrittenUntilTheProgramEnds();

private:
    QSystemTrayIcon* tray() const { return w.form().trayIcon(); }
    // A document with one note that is not saved.
    void makeModified();
    // In the tray: window hidden, icon showing. Without a tray: window minimised, no icon; or, where the
    // desktop could not bring a minimised window back either, shown as it was.
    void verifyPutAway(bool withTray);
    // Whether the desktop can restore a minimised window (a task bar); false skips where it always can.
    void setRestores(bool restores);
    void verifyShown();
    // Starts the window set to go to the tray when closed; returns the settings file as it was.
    QByteArray startClosingToTray(bool withTray);

    bool m_restores = true;
};

void TestTray::initTestCase()
{
    w.initTestCase();
    w.queuesUsed = true;
    w.startsAsTheProgram = true;
}

void TestTray::init()
{
    w.init();
    SystemTray::setAvailableForTests(true);
    setRestores(true);
}

void TestTray::setRestores(bool restores)
{
    m_restores = restores;
    // A desktop session names itself; a bare compositor or window manager does not.
    qputenv("XDG_CURRENT_DESKTOP", restores ? "Test" : "");
    if (!restores && Desktop::restoresMinimizedWindows())
        QSKIP("this system's desktop always restores minimised windows");
}

void TestTray::cleanupTestCase()
{
    SystemTray::setAvailableForTests(std::nullopt);
}

void TestTray::makeModified()
{
    w.seed({makeNote(u"note")}, true);
}

void TestTray::verifyPutAway(bool withTray)
{
    if (withTray) {
        QVERIFY(!w.form().isVisible());
        QVERIFY(tray()->isVisible());
    } else {
        // Never hidden without an icon to bring it back: minimised, on the taskbar, or left as it is.
        QVERIFY(w.form().isVisible());
        QCOMPARE(w.form().isMinimized(), m_restores);
        QVERIFY(!tray()->isVisible());
    }
}

void TestTray::verifyShown()
{
    QVERIFY(w.form().isVisible());
    QVERIFY(!w.form().isMinimized());
    QVERIFY(!tray()->isVisible());
}

QByteArray TestTray::startClosingToTray(bool withTray)
{
    SystemTray::setAvailableForTests(withTray);
    w.writeIni(u"General"_s, u"MinToTrayOnClose"_s, u"1"_s);
    const QByteArray settings = readFile(w.iniPath());
    w.createForm();
    return settings;
}

// ---------------------------------------------------------------------------------------------------------

void TestTray::iconAndMenu()
{
    w.createForm();
    QVERIFY(!tray()->isVisible());
    QVERIFY(!tray()->icon().isNull());
    QCOMPARE(tray()->icon().cacheKey(), w.form().windowIcon().cacheKey());
    QCOMPARE(tray()->toolTip(), u"Quillet"_s);

    QMenu* menu = tray()->contextMenu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), u"TrayMenu"_s);
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0)->objectName(), u"TrayMenuShowCmd"_s);
    QCOMPARE(items.at(0)->text(), u"显示 Quillet(&S)"_s);
    QVERIFY(items.at(0)->font().bold());
    QCOMPARE(menu->defaultAction(), items.at(0));
    QVERIFY(items.at(1)->isSeparator());
    QCOMPARE(items.at(2)->objectName(), u"TrayMenuExitCmd"_s);
    QCOMPARE(items.at(2)->text(), u"退出(&X)"_s);
    QVERIFY(!items.at(2)->font().bold());
}

void TestTray::hint()
{
    w.createForm();
    w.form().setTrayHint(u"Quillet [notes.qlt]"_s);
    QCOMPARE(tray()->toolTip(), u"Quillet [notes.qlt]"_s);

    // Cut to what the desktop shows, never inside a character.
    const QString longName = u"Quillet ["_s + QString(200, QLatin1Char('a')) + u"]"_s;
    w.form().setTrayHint(longName);
    QCOMPARE(tray()->toolTip(), longName.first(127));
    const QString pair = u"\U0001F4DD"_s;
    const QString split = QString(126, QLatin1Char('b')) + pair + u"c"_s;
    w.form().setTrayHint(split);
    QCOMPARE(tray()->toolTip(), split.first(126));
    w.form().setTrayHint(u"Quillet"_s);
    QCOMPARE(tray()->toolTip(), u"Quillet"_s);

    // The window keeps it naming the open file, without its folder.
    makeModified();
    w.form().SaveFile(w.path(u"named.qlt"_s));
    QCOMPARE(tray()->toolTip(), u"Quillet [named.qlt]"_s);
    w.act("FileNewCmd")->trigger();
    QCOMPARE(tray()->toolTip(), u"Quillet"_s);
}

void TestTray::toTrayAndBack_data()
{
    QTest::addColumn<bool>("withTray");
    QTest::addColumn<QString>("back");  // how the window comes back
    QTest::addColumn<bool>("restores"); // the desktop can restore a minimised window
    QTest::newRow("tray, menu item") << true << u"menu"_s << true;
    QTest::newRow("tray, click") << true << u"click"_s << true;
    QTest::newRow("tray, double-click") << true << u"double-click"_s << true;
    QTest::newRow("tray, toolbar button") << true << QString() << true;
    QTest::newRow("tray, nothing else to restore from") << true << u"menu"_s << false;
    QTest::newRow("no tray") << false << QString() << true;
    QTest::newRow("no tray, nothing to restore from") << false << QString() << false;
}

void TestTray::toTrayAndBack()
{
    QFETCH(bool, withTray);
    QFETCH(QString, back);
    QFETCH(bool, restores);
    SystemTray::setAvailableForTests(withTray);
    setRestores(restores);
    w.createForm();
    makeModified();

    if (!withTray && !restores)
        MessageBox::setNextAnswers({QMessageBox::Ok});
    if (back.isEmpty() && withTray)
        w.act("ViewMinimizeToTrayCmd")->trigger();
    else
        QTest::keyClick(w.form().notesList(), Qt::Key_F12);
    verifyPutAway(withTray);
    if (QTest::currentTestFailed())
        return;
    if (!withTray && !restores) {
        // Nowhere to bring it back from: it stays where it is, and the user hears why, once.
        const MessageBox::Shown told = takeOneBox(u"Quillet"_s, {}, QMessageBox::Information);
        QVERIFY2(told.text.contains(u"保持显示"_s), qPrintable(told.text));
        QTest::keyClick(w.form().notesList(), Qt::Key_F12);
        verifyShown();
        QVERIFY(MessageBox::takeShown().isEmpty());
        QVERIFY(w.form().GetModified());
        return;
    }
    // Nothing is asked, saved or written on the way.
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(w.form().GetModified());
    QVERIFY(!QFile::exists(w.iniPath()));

    if (!withTray) {
        w.form().showNormal(); // from the taskbar
        verifyShown();
        return;
    }
    // The right button only opens the menu.
    Q_EMIT tray()->activated(QSystemTrayIcon::Context);
    verifyPutAway(true);
    if (back == u"click")
        Q_EMIT tray()->activated(QSystemTrayIcon::Trigger);
    else if (back == u"double-click")
        Q_EMIT tray()->activated(QSystemTrayIcon::DoubleClick);
    else
        w.act("TrayMenuShowCmd")->trigger();
    verifyShown();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QCOMPARE(w.form().document().model().rowCount(), 1);
    QVERIFY(w.form().GetModified());
}

void TestTray::closeToTray_data()
{
    QTest::addColumn<bool>("withTray");
    QTest::addColumn<bool>("restores"); // the desktop can restore a minimised window
    QTest::newRow("tray") << true << true;
    QTest::newRow("no tray") << false << true;
    QTest::newRow("no tray, nothing to restore from") << false << false;
}

void TestTray::closeToTray()
{
    QFETCH(bool, withTray);
    QFETCH(bool, restores);
    setRestores(restores);
    const QByteArray settings = startClosingToTray(withTray);
    makeModified();

    // The save question comes first; Cancel keeps the window where it is.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    QVERIFY(!w.form().close());
    QCOMPARE(MessageBox::takeShown().size(), 1);
    verifyShown();

    // Where the window cannot be put away, the user hears why.
    MessageBox::setNextAnswers(restores ? QList{QMessageBox::No} : QList{QMessageBox::No, QMessageBox::Ok});
    QVERIFY(!w.form().close());
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), restores ? 1 : 2);
    QCOMPARE(shown.at(0).caption, u"确认"_s);
    verifyPutAway(withTray);
    // The program goes on with its document, and the settings file stays as it was.
    QCOMPARE(w.form().document().model().rowCount(), 1);
    QCOMPARE(readFile(w.iniPath()), settings);
}

void TestTray::exitFromTray_data()
{
    QTest::addColumn<bool>("withTray");
    QTest::newRow("tray") << true;
    QTest::newRow("no tray") << false;
}

void TestTray::exitFromTray()
{
    QFETCH(bool, withTray);
    const QByteArray settings = startClosingToTray(withTray);
    QTest::keyClick(w.form().notesList(), Qt::Key_F12);
    makeModified();

    // Cancel at the save question keeps the program where it was.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("TrayMenuExitCmd")->trigger();
    takeOneBox({}, u"保存更改吗?"_s);
    verifyPutAway(withTray);
    QCOMPARE(readFile(w.iniPath()), settings);

    // The cancelled exit is over: the close box puts the window away again, and only the next exit ends
    // the program.
    const auto showAgain = [&] {
        if (withTray)
            w.act("TrayMenuShowCmd")->trigger();
        else
            w.form().showNormal();
        verifyShown();
    };
    showAgain();
    MessageBox::setNextAnswers({QMessageBox::No});
    QVERIFY(!w.form().close());
    takeOneBox(u"确认"_s);
    verifyPutAway(withTray);
    QCOMPARE(readFile(w.iniPath()), settings);
    showAgain();
    MessageBox::setNextAnswers({QMessageBox::No});
    w.act("TrayMenuExitCmd")->trigger();
    takeOneBox(u"确认"_s);
    QVERIFY(!w.form().isVisible());
    const IniFile ini(w.iniPath());
    QCOMPARE(ini.ReadString(u"General"_s, u"Theme"_s, QString()), u"Office11XP"_s);
    QCOMPARE(ini.ReadString(u"General"_s, u"GridLines"_s, QString()), u"0"_s);
}

void TestTray::minimizeStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("withTray");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("switch, tray") << QStringList{"/minimize"} << true << true;
    QTest::newRow("switch in other case after a path, tray")
        << QStringList{"other.qlt", "-MINIMIZE"} << true << true;
    QTest::newRow("switch, no tray") << QStringList{"/minimize"} << false << true;
    QTest::newRow("no switch") << QStringList{} << true << false;
    QTest::newRow("switch name as a path") << QStringList{"minimize"} << true << false;
}

void TestTray::minimizeStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, withTray);
    QFETCH(bool, hidden);
    SystemTray::setAvailableForTests(withTray);

    // A last file to open at the first activation.
    const QString last = QDir::toNativeSeparators(w.path(u"last.qlt"_s));
    w.createForm();
    makeModified();
    w.form().SaveFile(last);
    QVERIFY(QFile::exists(last));
    w.destroyForm();
    w.writeIni(u"General"_s, u"OpenLastFile"_s, u"1"_s);
    w.writeIni(u"General"_s, u"LastFile"_s, last);
    MessageBox::setNextAnswers({QMessageBox::Ok}); // a path that is not there
    const QByteArray settings = readFile(w.iniPath());

    w.createForm(arguments);
    if (!hidden) {
        verifyShown();
        QVERIFY(QTest::qWaitForWindowActive(&w.form()));
        MessageBox::setNextAnswers({});
        return;
    }
    verifyPutAway(withTray);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(readFile(w.iniPath()), settings);

    if (withTray) {
        // Not yet activated: nothing opened until the window is first shown.
        QCOMPARE(w.form().FileName(), QString());
        w.act("TrayMenuShowCmd")->trigger();
    } else {
        w.form().showNormal();
        w.form().activateWindow();
    }
    verifyShown();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    // The path on the command line is ignored, the last file opened.
    QCOMPARE(w.form().FileName(), last);
    QCOMPARE(w.form().document().model().rowCount(), 1);
    QVERIFY(MessageBox::takeShown().isEmpty());
    MessageBox::setNextAnswers({});
}

void TestTray::nothingWrittenUntilTheProgramEnds()
{
    // Start-up, the tray and back write nothing, not even an empty file.
    w.createForm();
    QTest::keyClick(w.form().notesList(), Qt::Key_F12);
    w.act("TrayMenuShowCmd")->trigger();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QVERIFY(!QFile::exists(w.iniPath()));

    // Closing for real writes the close-time keys in their order.
    w.act("FileExitCmd")->trigger();
    QVERIFY(!w.form().isVisible());
    const QString text = QString::fromLatin1(readFile(w.iniPath()));
    const qsizetype grid = text.indexOf("GridLines=0"_L1);
    const qsizetype theme = text.indexOf("Theme=Office11XP"_L1);
    QVERIFY2(grid >= 0 && theme > grid, qPrintable(text));
    QVERIFY(!text.contains("[MRU]"_L1));
    QVERIFY(!text.contains("LastFile"_L1));
}

QTEST_MAIN(TestTray)

#include "tst_tray.moc"
