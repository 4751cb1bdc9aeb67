// What only a real desktop shows, checked in the X session of x_session.sh: the titles the window
// manager reads, a click on the tray icon in an XEmbed tray and in a StatusNotifierItem tray, help that
// the desktop's opener cannot show, a note too long for one X request, and the program ended by a signal
// with unsaved notes.
#include "app/MainFormU.h"
#include "app/SystemTray.h"
#include "document/NotesDocument.h"
#include "document/QltFormat.h"
#include "document/RecoveryFiles.h"
#include "forms/AddEditFormU.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/AppPaths.h"

#include "ProgramFolders.h"
#include "TestNotes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>
#include <optional>

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
    void hugeNoteEdited();
    void endedBySignal_data();
    void endedBySignal();

private:
    void toTray();

    QTemporaryDir m_dir;
    std::unique_ptr<TMainForm> m_form;
};

void TestDesktopSession::initTestCase()
{
    QVERIFY(useProgramFolders(m_dir.path()));
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

// The edit dialog's title holds the caption, here the whole 20 MB note: more than the X server takes in
// one request, which ended the program with the unsaved note before it.
void TestDesktopSession::hugeNoteEdited()
{
    const QByteArray huge(20 * 1024 * 1024, 'x');
    const QByteArray standard = AnsiText::fromUnicode(u"标准");
    const QString path = m_dir.filePath(u"huge.qlt"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.write(QltFormat::write({Note{huge, standard}}, {}, 0)) > 0);
    file.close();
    QCOMPARE(m_form->OpenFile(path, {}, false, false), TMainForm::OpenOutcome::Loaded);
    m_form->document().insertNote(1, Note{"unsaved", standard});
    m_form->selectRow(0);

    qsizetype titleLength = -1;
    QTimer driver;
    connect(&driver, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<TAddEditForm*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || titleLength >= 0)
            return;
        titleLength = windowManagerName(dialog->winId()).size();
        dialog->NoteText->moveCursor(QTextCursor::End);
        QTest::keyClicks(dialog->NoteText, u"y"_s);
        dialog->OkBtn->click();
    });
    driver.start(100);
    m_form->NotesEditCmdExecute();
    QVERIFY2(titleLength > 0 && titleLength < 5000, qPrintable(QString::number(titleLength)));
    QCOMPARE(m_form->document().notes().size(), 2);
    QVERIFY(m_form->document().notes().at(0).text == huge + 'y');
    QCOMPARE(m_form->document().notes().at(1).text, QByteArray("unsaved"));
    // The connection still serves the window.
    QTRY_COMPARE(windowManagerName(m_form->winId()), quoted(u"Quillet v1.54 - huge.qlt"_s));
}

void TestDesktopSession::endedBySignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("password");
    QTest::newRow("SIGTERM, no password") << int(SIGTERM) << QString();
    QTest::newRow("SIGHUP, with a password") << int(SIGHUP) << u"密码pw"_s;
}

// The program itself, started on a file, given a note through the keyboard and sent a signal: the note is
// kept beside the settings, enciphered like the file, for the owner only, and the lock is gone; the next
// start offers it, and a save takes the recovery file away.
void TestDesktopSession::endedBySignal()
{
    QFETCH(int, signal);
    QFETCH(QString, password);
    const QByteArray passwordBytes = AnsiText::fromUnicode(password);
    const QString path = m_dir.filePath(u"signalled.qlt"_s);
    const QByteArray standard = AnsiText::fromUnicode(u"标准");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) &&
            file.write(QltFormat::write({Note{"saved", standard}}, passwordBytes, 0)) > 0);
    file.close();
    const QString recovery = RecoveryFiles::pathFor(path);
    const QString lock = FileLock::lockPathFor(path);
    QFile::remove(recovery);

    const auto start = [&](QProcess& quillet) {
        quillet.setProcessChannelMode(QProcess::ForwardedChannels);
        quillet.start(QStringLiteral(QUILLET_BINARY),
                      password.isEmpty() ? QStringList{path} : QStringList{path, password});
        QVERIFY(quillet.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);
    };
    const auto keys = [](const QStringList& sequence) {
        for (const QString& key : sequence)
            QProcess::execute(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, key});
    };
    // Keys go to the window that has the focus: the one named, once it has it.
    const auto activeIs = [](const QString& name) {
        return QTest::qWaitFor(
            [&] {
                QProcess xdotool;
                xdotool.start(u"xdotool"_s, {u"getactivewindow"_s, u"getwindowname"_s});
                return xdotool.waitForFinished() &&
                       QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed() == name;
            },
            20000);
    };
    const QString main = u"Quillet v1.54 - signalled.qlt"_s;
    const auto startOpened = [&](QProcess& quillet) {
        start(quillet);
        // The password from the command line waits in the dialog for the user's OK.
        if (!password.isEmpty()) {
            QVERIFY(activeIs(u"输入密码"_s));
            keys({u"Return"_s});
        }
    };

    QProcess quillet;
    startOpened(quillet);
    QVERIFY(activeIs(main));
    keys({u"Insert"_s});
    QVERIFY(activeIs(u"添加新记事本"_s));
    QProcess::execute(u"xdotool"_s, {u"type"_s, u"--delay"_s, u"50"_s, u"kept"_s});
    keys({u"alt+o"_s});
    QVERIFY(activeIs(main));
    QVERIFY(::kill(pid_t(quillet.processId()), signal) == 0);
    QVERIFY(quillet.waitForFinished(20000));
    QCOMPARE(quillet.exitStatus(), QProcess::NormalExit);

    QVERIFY(QFile::exists(recovery));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFile::permissions(recovery) & (others | QFile::ReadOwner | QFile::WriteOwner),
             QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(!QFile::exists(lock));
    const auto notesOf = [&](const QString& name) {
        NotesDocument document;
        struct : NotesDocument::OpenQuestions
        {
            QByteArray given;
            std::optional<QByteArray> password(const NotesDocument::PasswordTest&) override { return given; }
        } questions;
        questions.given = passwordBytes;
        return document.open(name, questions).status == NotesDocument::OpenStatus::Opened
                   ? detached(document.notes())
                   : QList<Note>{};
    };
    QCOMPARE(notesOf(recovery).size(), 2);
    QCOMPARE(notesOf(recovery).at(1).text, QByteArray("kept"));
    QCOMPARE(notesOf(path).size(), 1);

    // The next start asks; Yes brings the note back, unsaved, and a save takes the recovery file away.
    QProcess again;
    startOpened(again);
    QVERIFY(activeIs(u"确认"_s));
    keys({u"Return"_s}); // Yes, the question's default
    QVERIFY(activeIs(main));
    keys({u"ctrl+s"_s});
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(recovery), 10000);
    QCOMPARE(notesOf(path).size(), 2);
    QCOMPARE(notesOf(path).at(1).text, QByteArray("kept"));
    // Nothing unsaved: the signal ends it and keeps nothing.
    QVERIFY(::kill(pid_t(again.processId()), signal) == 0);
    QVERIFY(again.waitForFinished(20000));
    QVERIFY(!QFile::exists(recovery));
    QVERIFY(!QFile::exists(lock));
}

QTEST_MAIN(TestDesktopSession)
#include "tst_desktopsession.moc"
