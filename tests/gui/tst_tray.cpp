#include "MainFormFixture.h"

#include "app/QuilletApplication.h"
#include "app/SystemTray.h"
#include "document/NotesModel.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/IniFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

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
    void createForm(const QStringList& arguments = {});
    QString dataPath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }
    QString iniPath() const { return dataPath(QStringLiteral("Quillet.ini")); }
    void writeIni(const QString& section, const QString& key, const QString& value);
    QAction* act(const char* name) const { return m_form->findChild<QAction*>(QLatin1String(name)); }
    QSystemTrayIcon* tray() const { return m_form->trayIcon(); }
    // A document with one note that is not saved.
    void makeModified();
    // In the tray: window hidden, icon showing. Without a tray: window minimised, no icon.
    void verifyPutAway(bool withTray);
    void verifyShown();

    QTemporaryDir m_dir;
    std::unique_ptr<TMainForm> m_form;
};

void TestTray::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dataPath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataPath(QStringLiteral("data"))));
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestTray::cleanupTestCase()
{
    SystemTray::setAvailableForTests(std::nullopt);
}

void TestTray::init()
{
    const QDir dir(m_dir.path());
    for (const QString& name : dir.entryList(QDir::Files))
        QVERIFY(QFile::remove(dir.filePath(name)));
    MessageBox::takeShown();
    SystemTray::setAvailableForTests(true);
}

void TestTray::cleanup()
{
    while (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    const bool answersLeft = MessageBox::hasPendingAnswers();
    MessageBox::setNextAnswers({});
    m_form.reset();
    QVERIFY(!answersLeft);
}

void TestTray::createForm(const QStringList& arguments)
{
    m_form.reset();
    m_form = std::make_unique<TMainForm>(arguments);
    m_form->showAtStart();
    if (m_form->isVisible() && !m_form->isMinimized()) {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
}

void TestTray::writeIni(const QString& section, const QString& key, const QString& value)
{
    IniFile(iniPath()).WriteString(section, key, value);
}

void TestTray::makeModified()
{
    m_form->document().model().appendNotes(
        {Note{QByteArray("note"), AnsiText::fromUnicode(u"标准"), Note::ImageNotDone}});
    m_form->SetModified(true);
}

void TestTray::verifyPutAway(bool withTray)
{
    if (withTray) {
        QVERIFY(!m_form->isVisible());
        QVERIFY(tray()->isVisible());
    } else {
        // Never hidden without an icon to bring it back: minimised, on the taskbar.
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->isMinimized());
        QVERIFY(!tray()->isVisible());
    }
}

void TestTray::verifyShown()
{
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->isMinimized());
    QVERIFY(!tray()->isVisible());
}

// ---------------------------------------------------------------------------------------------------------

void TestTray::iconAndMenu()
{
    createForm();
    QVERIFY(!tray()->isVisible());
    QVERIFY(!tray()->icon().isNull());
    QCOMPARE(tray()->icon().cacheKey(), m_form->windowIcon().cacheKey());
    QCOMPARE(tray()->toolTip(), QStringLiteral("Quillet"));

    QMenu* menu = tray()->contextMenu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QStringLiteral("TrayMenu"));
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0)->objectName(), QStringLiteral("TrayMenuShowCmd"));
    QCOMPARE(items.at(0)->text(), QStringLiteral("显示 Quillet(&S)"));
    QVERIFY(items.at(0)->font().bold());
    QCOMPARE(menu->defaultAction(), items.at(0));
    QVERIFY(items.at(1)->isSeparator());
    QCOMPARE(items.at(2)->objectName(), QStringLiteral("TrayMenuExitCmd"));
    QCOMPARE(items.at(2)->text(), QStringLiteral("退出(&X)"));
    QVERIFY(!items.at(2)->font().bold());
}

void TestTray::hint()
{
    createForm();
    m_form->setTrayHint(QStringLiteral("Quillet [notes.qlt]"));
    QCOMPARE(tray()->toolTip(), QStringLiteral("Quillet [notes.qlt]"));

    // Cut to what the desktop shows, never inside a character.
    const QString longName =
        QStringLiteral("Quillet [") + QString(200, QLatin1Char('a')) + QStringLiteral("]");
    m_form->setTrayHint(longName);
    QCOMPARE(tray()->toolTip(), longName.first(127));
    const QString pair = QStringLiteral("\U0001F4DD");
    const QString split = QString(126, QLatin1Char('b')) + pair + QStringLiteral("c");
    m_form->setTrayHint(split);
    QCOMPARE(tray()->toolTip(), split.first(126));
    m_form->setTrayHint(QStringLiteral("Quillet"));
    QCOMPARE(tray()->toolTip(), QStringLiteral("Quillet"));

    // The window keeps it naming the open file, without its folder.
    makeModified();
    m_form->SaveFile(dataPath(QStringLiteral("named.qlt")));
    QCOMPARE(tray()->toolTip(), QStringLiteral("Quillet [named.qlt]"));
    act("FileNewCmd")->trigger();
    QCOMPARE(tray()->toolTip(), QStringLiteral("Quillet"));
}

void TestTray::toTrayAndBack_data()
{
    QTest::addColumn<bool>("withTray");
    QTest::addColumn<QString>("back"); // how the window comes back
    QTest::newRow("tray, menu item") << true << QStringLiteral("menu");
    QTest::newRow("tray, double-click") << true << QStringLiteral("double-click");
    QTest::newRow("tray, toolbar button") << true << QString();
    QTest::newRow("no tray") << false << QString();
}

void TestTray::toTrayAndBack()
{
    QFETCH(bool, withTray);
    QFETCH(QString, back);
    SystemTray::setAvailableForTests(withTray);
    createForm();
    makeModified();

    if (back.isEmpty() && withTray)
        act("ViewMinimizeToTrayCmd")->trigger();
    else
        QTest::keyClick(m_form->notesList(), Qt::Key_F12);
    verifyPutAway(withTray);
    if (QTest::currentTestFailed())
        return;
    // Nothing is asked, saved or written on the way.
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(m_form->GetModified());
    QVERIFY(!QFile::exists(iniPath()));

    if (!withTray) {
        m_form->showNormal(); // from the taskbar
        verifyShown();
        return;
    }
    // A single click is not a double-click.
    Q_EMIT tray()->activated(QSystemTrayIcon::Trigger);
    verifyPutAway(true);
    if (back == u"double-click")
        Q_EMIT tray()->activated(QSystemTrayIcon::DoubleClick);
    else
        act("TrayMenuShowCmd")->trigger();
    verifyShown();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(m_form->document().model().rowCount(), 1);
    QVERIFY(m_form->GetModified());
}

void TestTray::closeToTray_data()
{
    QTest::addColumn<bool>("withTray");
    QTest::newRow("tray") << true;
    QTest::newRow("no tray") << false;
}

void TestTray::closeToTray()
{
    QFETCH(bool, withTray);
    SystemTray::setAvailableForTests(withTray);
    writeIni(QStringLiteral("General"), QStringLiteral("MinToTrayOnClose"), QStringLiteral("1"));
    const QByteArray settings = readFile(iniPath());
    createForm();
    makeModified();

    // The save question comes first; Cancel keeps the window where it is.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    QVERIFY(!m_form->close());
    QCOMPARE(MessageBox::takeShown().size(), 1);
    verifyShown();

    MessageBox::setNextAnswers({QMessageBox::No});
    QVERIFY(!m_form->close());
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).caption, QStringLiteral("确认"));
    verifyPutAway(withTray);
    // The program goes on with its document, and the settings file stays as it was.
    QCOMPARE(m_form->document().model().rowCount(), 1);
    QCOMPARE(readFile(iniPath()), settings);
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
    SystemTray::setAvailableForTests(withTray);
    writeIni(QStringLiteral("General"), QStringLiteral("MinToTrayOnClose"), QStringLiteral("1"));
    const QByteArray settings = readFile(iniPath());
    createForm();
    QTest::keyClick(m_form->notesList(), Qt::Key_F12);
    makeModified();

    // Cancel at the save question keeps the program where it was.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    act("TrayMenuExitCmd")->trigger();
    QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).text, QStringLiteral("保存更改吗?"));
    verifyPutAway(withTray);
    QCOMPARE(readFile(iniPath()), settings);

    // The exit request stays: the next close ends the program although it would go to the tray.
    if (withTray)
        act("TrayMenuShowCmd")->trigger();
    else
        m_form->showNormal();
    verifyShown();
    MessageBox::setNextAnswers({QMessageBox::No});
    QVERIFY(m_form->close());
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QVERIFY(!m_form->isVisible());
    const IniFile ini(iniPath());
    QCOMPARE(ini.ReadString(QStringLiteral("General"), QStringLiteral("Theme"), QString()),
             QStringLiteral("Office11XP"));
    QCOMPARE(ini.ReadString(QStringLiteral("General"), QStringLiteral("GridLines"), QString()),
             QStringLiteral("0"));
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
    const QString last = QDir::toNativeSeparators(dataPath(QStringLiteral("last.qlt")));
    createForm();
    makeModified();
    m_form->SaveFile(last);
    QVERIFY(QFile::exists(last));
    m_form.reset();
    writeIni(QStringLiteral("General"), QStringLiteral("OpenLastFile"), QStringLiteral("1"));
    writeIni(QStringLiteral("General"), QStringLiteral("LastFile"), last);
    MessageBox::setNextAnswers({QMessageBox::Ok}); // a path that is not there
    const QByteArray settings = readFile(iniPath());

    m_form = std::make_unique<TMainForm>(arguments);
    m_form->showAtStart();
    if (!hidden) {
        verifyShown();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        MessageBox::setNextAnswers({});
        return;
    }
    verifyPutAway(withTray);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(readFile(iniPath()), settings);

    if (withTray) {
        // Not yet activated: nothing opened until the window is first shown.
        QCOMPARE(m_form->FileName(), QString());
        act("TrayMenuShowCmd")->trigger();
    } else {
        m_form->showNormal();
        m_form->activateWindow();
    }
    verifyShown();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    // The path on the command line is ignored, the last file opened.
    QCOMPARE(m_form->FileName(), last);
    QCOMPARE(m_form->document().model().rowCount(), 1);
    QVERIFY(MessageBox::takeShown().isEmpty());
    MessageBox::setNextAnswers({});
}

void TestTray::nothingWrittenUntilTheProgramEnds()
{
    // Start-up, the tray and back write nothing, not even an empty file.
    createForm();
    QTest::keyClick(m_form->notesList(), Qt::Key_F12);
    act("TrayMenuShowCmd")->trigger();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QVERIFY(!QFile::exists(iniPath()));

    // Closing for real writes the close-time keys in their order.
    act("FileExitCmd")->trigger();
    QVERIFY(!m_form->isVisible());
    const QString text = QString::fromLatin1(readFile(iniPath()));
    const qsizetype grid = text.indexOf(QLatin1String("GridLines=0"));
    const qsizetype theme = text.indexOf(QLatin1String("Theme=Office11XP"));
    QVERIFY2(grid >= 0 && theme > grid, qPrintable(text));
    QVERIFY(!text.contains(QLatin1String("[MRU]")));
    QVERIFY(!text.contains(QLatin1String("LastFile")));
}

int main(int argc, char* argv[])
{
    QuilletApplication app(argc, argv);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"
