// What only a real desktop shows, checked in the X session of x_session.sh: the titles the window
// manager reads, a click on the tray icon in an XEmbed tray and in a StatusNotifierItem tray, and help
// that the desktop's opener cannot show.
#include "app/MainFormU.h"
#include "app/SystemTray.h"
#include "forms/MessageBox.h"
#include "shared/AppPaths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// _NET_WM_NAME of a window, as xprop prints it: in quotes.
QString windowManagerName(WId window)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    xprop.setProcessEnvironment(environment);
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window), u"-notype"_s, u"_NET_WM_NAME"_s});
    if (!xprop.waitForFinished())
        return {};
    const QString line = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype equals = line.indexOf(" = "_L1);
    return equals < 0 ? QString() : line.mid(equals + 3);
}

QWidget* trayIconWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qstrcmp(widget->metaObject()->className(), "QSystemTrayIconSys") == 0)
            return widget;
    }
    return nullptr;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

class TestDesktopSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void titles();
    void xembedTrayClick();
    void sniTrayClick();
    void helpWithoutViewer();

private:
    void toTray();

    QTemporaryDir m_dir;
    std::unique_ptr<TMainForm> m_form;
};

void TestDesktopSession::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(u"config"_s)));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(u"data"_s)));
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestDesktopSession::init()
{
    m_form = std::make_unique<TMainForm>(QStringList{});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestDesktopSession::cleanup()
{
    m_form.reset();
}

void TestDesktopSession::titles()
{
    // Exactly the program's captions, nothing appended.
    QTRY_COMPARE(windowManagerName(m_form->winId()), quoted(u"Quillet v1.54"_s));
    m_form->SetFileInfo(m_dir.filePath(u"notes.qlt"_s));
    QTRY_COMPARE(windowManagerName(m_form->winId()), quoted(u"Quillet v1.54 - notes.qlt"_s));

    QString boxName;
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxName = windowManagerName(box->winId());
        if (!boxName.isEmpty())
            box->close();
    });
    reader.start(50);
    SharedSrc::ErrorMsg(u"文件不存在"_s);
    QCOMPARE(boxName, quoted(u"错误"_s));
}

// The desktop's opener starts, then finds no program for the help file's type (xdg-open's status 3): the
// user hears of it, as of a missing help file.
void TestDesktopSession::helpWithoutViewer()
{
    QFile help(AppPaths::helpFilePath());
    QVERIFY(help.open(QIODevice::WriteOnly) && help.write("<html></html>") > 0);
    help.close();
    QVERIFY(QDir().mkpath(m_dir.filePath(u"bin"_s)));
    QFile opener(m_dir.filePath(u"bin/xdg-open"_s));
    QVERIFY(opener.open(QIODevice::WriteOnly) && opener.write("#!/bin/sh\nexit 3\n") > 0);
    QVERIFY(opener.setPermissions(opener.permissions() | QFile::ExeOwner));
    opener.close();
    const QByteArray path = qgetenv("PATH");
    const auto restored = qScopeGuard([&path] { qputenv("PATH", path); });
    qputenv("PATH", QFile::encodeName(m_dir.filePath(u"bin"_s)) + ':' + path);
    MessageBox::setNextAnswers({QMessageBox::Ok});
    m_form->HelpContentsCmdExecute();
    QTRY_VERIFY(!MessageBox::hasPendingAnswers());
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.at(0).text, u"未能显示帮助文件。请重新安装该程序。"_s);
}

void TestDesktopSession::toTray()
{
    // On a busy machine the tray may take its selection only after the session script stopped waiting.
    QTRY_VERIFY2_WITH_TIMEOUT(SystemTray::isAvailable(), "no tray in this session", 5000);
    m_form->ViewMinimizeToTrayCmdExecute();
    QTRY_VERIFY(!m_form->isVisible());
    QVERIFY(m_form->trayIcon()->isVisible());
}

void TestDesktopSession::xembedTrayClick()
{
    toTray();
    // Qt's XEmbed icon is a small window of its own, reparented into the tray, where Qt no longer knows
    // its position: the click goes to that window.
    QWidget* icon = nullptr;
    QTRY_VERIFY((icon = trayIconWindow()) && icon->isVisible());
    // On a busy machine the tray may still be embedding the icon when the first click comes; a user
    // clicks again.
    for (int click = 0; click < 5; ++click) {
        QProcess::execute(u"xdotool"_s, {u"mousemove"_s, u"--sync"_s, u"--window"_s,
                                         QString::number(icon->winId()), QString::number(icon->width() / 2),
                                         QString::number(icon->height() / 2), u"click"_s, u"1"_s});
        if (QTest::qWaitFor([this] { return m_form->isVisible(); }, 2000))
            break;
    }
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->trayIcon()->isVisible());
}

void TestDesktopSession::sniTrayClick()
{
    // The watcher's tray clicks the icon once it registers, through the item's Activate method.
    toTray();
    QTRY_VERIFY_WITH_TIMEOUT(m_form->isVisible(), 5000);
    QVERIFY(!m_form->trayIcon()->isVisible());
}

QTEST_MAIN(TestDesktopSession)
#include "tst_desktopsession.moc"
