#include "TestFiles.h"
#include "WindowHarness.h"

#include "app/StatusPanel.h"
#include "document/NotesDocument.h"
#include "document/NotesModel.h"
#include "document/RecoveryFiles.h"
#include "document/StrongFormat.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "forms/SettPassFormU.h"
#include "shared/AnsiText.h"
#include "shared/LocaleFormats.h"
#include "shared/TextFile.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <optional>

using namespace Qt::StringLiterals;

using FileDialog::Result;

namespace {

const QString Question = u"保存更改吗?"_s;

QList<Note> twoNotes()
{
    return {makeNote(u"第一行\r\nsecond line"_s, u"高"_s, true), makeNote(u"plain"_s, u"低"_s)};
}

QString names(QMenu* menu)
{
    QStringList result;
    for (QAction* a : menu->actions())
        result.append(a->isSeparator() ? u"-"_s : a->objectName() + QLatin1Char('=') + a->text());
    return result.join(QLatin1Char(' '));
}

// The entry of that name the menu shows now.
QAction* entry(QMenu* menu, const char* name)
{
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String(name))
            return a;
    }
    return nullptr;
}

QString replaceQuestion(const QString& path)
{
    return QDir::toNativeSeparators(path) + u" 已经存在。\n\r你想要替换它吗?"_s;
}

QString timeLine(const QDateTime& at)
{
    return u"生成时间: "_s + LocaleFormats::shortDate(at.date()) + QLatin1Char(' ') +
           LocaleFormats::longTime(at.time()) + u" - Quillet v1.54"_s;
}

} // namespace

class TestFileCommands : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void fileSavedAnswers_data();
    void fileSavedAnswers();
    void noChangesAskNothing();
    void recoveryOffered_data();
    void recoveryOffered();
    void newAndOpenEndTheHistory();
    void openAsksBeforeTheDialog();
    void openRefusedKeepsChangesProtected();
    void saveAsExtension_data();
    void saveAsExtension();
    void saveAsReplaceNoThenYes();
    void fileInfo();

    void recentListLimitAndOrder();
    void recentListLetterCase();
    void recentMenus();
    void recentEntryChosen();
    void recentEntryMissingStays();
    void recentListFromSettings();

    void exportReport_data();
    void exportReport();
    void exportExtensionAndFailure();
    void importAppends();

    void setPassword_data();
    void setPassword();
    void passwordPanelDoubleClick();
    void folderPanelOpensFolder_data();
    void folderPanelOpensFolder();

public:
    // Where the desktop would be asked to show a folder.
    Q_INVOKABLE void openUrl(const QUrl& url) { m_opened.append(url); }

private:
    QList<QUrl> m_opened;
};

// ---------------------------------------------------------------------------------------------------------
// The save question and the document commands

void TestFileCommands::fileSavedAnswers_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("save"); // 0 no save-as dialog, 1 save-as accepted, 2 cancelled, 3 save fails
    QTest::addColumn<bool>("allowed");
    QTest::newRow("unnamed, cancel") << false << int(QMessageBox::Cancel) << 0 << false;
    QTest::newRow("unnamed, no") << false << int(QMessageBox::No) << 0 << true;
    QTest::newRow("unnamed, yes, saved as") << false << int(QMessageBox::Yes) << 1 << true;
    QTest::newRow("unnamed, yes, save as cancelled") << false << int(QMessageBox::Yes) << 2 << false;
    QTest::newRow("named, cancel") << true << int(QMessageBox::Cancel) << 0 << false;
    QTest::newRow("named, no") << true << int(QMessageBox::No) << 0 << true;
    QTest::newRow("named, yes") << true << int(QMessageBox::Yes) << 0 << true;
    QTest::newRow("named, yes, save fails") << true << int(QMessageBox::Yes) << 3 << false;
}

// Asked through the new command: it goes on exactly when the question allows it.
void TestFileCommands::fileSavedAnswers()
{
    QFETCH(bool, named);
    QFETCH(int, answer);
    QFETCH(int, save);
    QFETCH(bool, allowed);
    QVERIFY(QDir(w.dir()).mkpath(u"sub"_s));
    const QString file = w.path(u"sub/named.qlt"_s);
    const QString chosen = w.path(u"chosen"_s);
    w.createForm();
    w.seed({makeNote(u"first"_s)}, true);
    if (named) {
        w.form().SaveFile(file);
        w.seed({makeNote(u"unsaved"_s)}, true);
    }
    const QByteArray before = readFile(file);
    if (save == 3) {
#ifdef Q_OS_WIN
        // A folder that holds an open file cannot go here; a read-only file cannot be replaced either.
        QVERIFY(!named || QFile::setPermissions(file, QFile::ReadOwner));
#else
        // The file's folder has become a plain file: the save cannot succeed.
        QVERIFY(QDir(w.path(u"sub"_s)).removeRecursively());
        QVERIFY(writeFile(w.path(u"sub"_s), "x"));
#endif
    }
    QList<QMessageBox::StandardButton> answers{QMessageBox::StandardButton(answer)};
    if (save == 3)
        answers.append(QMessageBox::Ok);
    MessageBox::setNextAnswers(answers);
    if (save == 1 || save == 2)
        FileDialog::setNextResults({Result{save == 1, chosen, 1}});

    w.act("FileNewCmd")->trigger();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), answers.size());
    QCOMPARE(shown.at(0).text, Question);
    QCOMPARE(shown.at(0).caption, u"确认"_s);
    QCOMPARE(shown.at(0).icon, QMessageBox::Question);
    QCOMPARE(shown.at(0).buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (save == 3)
        QVERIFY2(isSaveFailure(shown.at(1).text), qPrintable(shown.at(1).text));
    QCOMPARE(FileDialog::takeShownTitles(),
             save == 1 || save == 2 ? QStringList{"另存为..."} : QStringList());

    QCOMPARE(w.model().rowCount(), allowed ? 0 : named ? 2 : 1);
    QCOMPARE(w.form().GetModified(), !allowed);
    QCOMPARE(w.form().FileName(), allowed ? QString() : named ? file : QString());
    QCOMPARE(QFile::exists(chosen + u".qlt"_s), save == 1);
    const bool savedNamed = named && answer == QMessageBox::Yes && save == 0;
    if (savedNamed)
        QCOMPARE(notesIn(file).size(), 2);
    else if (named && save != 3)
        QCOMPARE(readFile(file), before);
}

void TestFileCommands::noChangesAskNothing()
{
    const QString path = w.path(u"a.qlt"_s);
    QVERIFY(writeFile(path, notesFile(twoNotes())));
    w.createForm();
    FileDialog::setNextResults({Result{true, path, 1}});
    w.act("FileOpenCmd")->trigger();
    QCOMPARE(FileDialog::takeShownTitles(), QStringList{"打开"});
    QCOMPARE(w.model().notes(), twoNotes());
    w.act("FileNewCmd")->trigger();
    QCOMPARE(w.model().rowCount(), 0);
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestFileCommands::recoveryOffered_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("answer");
    QTest::newRow("a file, restored") << true << int(QMessageBox::Yes);
    QTest::newRow("a file, declined") << true << int(QMessageBox::No);
    QTest::newRow("a list never saved, restored") << false << int(QMessageBox::Yes);
    QTest::newRow("a list never saved, declined") << false << int(QMessageBox::No);
}

// Notes kept when the window was made to end come back at the next start of their file, or of the program
// without one: Yes restores them unsaved and a save removes the recovery file, No removes it at once.
void TestFileCommands::recoveryOffered()
{
    QFETCH(bool, named);
    QFETCH(int, answer);
    const QString path = w.path(u"kept.qlt"_s);
    QVERIFY(writeFile(path, notesFile(twoNotes())));
    w.createForm(named ? QStringList{path} : QStringList{});
    if (named) {
        QVERIFY(QFile::exists(FileLock::lockPathFor(path)));
        w.form().document().insertNote(2, makeNote(u"unsaved"_s));
    } else {
        w.seed({makeNote(u"unsaved"_s)}, true);
    }
    const QList<Note> kept = detached(w.model().notes());
    w.form().keepUnsavedNotes();
    QVERIFY(!QFile::exists(FileLock::lockPathFor(path)));
    const QString recovery = named ? RecoveryFiles::pathFor(path) : RecoveryFiles::unnamedLeftBehind();
    QVERIFY(QFile::exists(recovery));
    QCOMPARE(notesIn(recovery), kept);
    w.destroyForm();

    MessageBox::setNextAnswers({QMessageBox::StandardButton(answer)});
    w.createForm(named ? QStringList{path} : QStringList{});
    const QString whose = named ? u"该文件"_s : u"一个未命名的列表"_s;
    takeOneBox(u"确认"_s,
               u"Quillet 上次被结束时, "_s + whose +
                   u"有未保存的笔记。\n是否恢复? 选择\"否\"将丢弃这些笔记。"_s,
               QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
    const bool restored = answer == QMessageBox::Yes;
    QCOMPARE(w.model().notes(), restored ? kept : named ? twoNotes() : QList<Note>{});
    QCOMPARE(w.form().GetModified(), restored);
    QCOMPARE(w.form().FileName(), named ? path : QString());
    QCOMPARE(QFile::exists(recovery), restored);
    if (!restored)
        return;
    FileDialog::setNextResults({Result{true, path, 1}});
    MessageBox::setNextAnswers({QMessageBox::Yes}); // named: replace the file chosen again
    w.act(named ? "FileSaveCmd" : "FileSaveAsCmd")->trigger();
    MessageBox::takeShown();
    FileDialog::takeShownTitles();
    QVERIFY(!QFile::exists(recovery));
    QCOMPARE(notesIn(path), kept);
}

void TestFileCommands::newAndOpenEndTheHistory()
{
    const QString path = w.path(u"a.qlt"_s);
    QVERIFY(writeFile(path, notesFile(twoNotes())));
    w.createForm();
    for (const char* command : {"FileOpenCmd", "FileNewCmd"}) {
        w.seed(twoNotes(), false);
        w.form().selectRow(0);
        w.act("NotesDeleteCmd")->trigger();
        w.act("NotesUndoCmd")->trigger();
        QVERIFY(w.act("NotesRedoCmd")->isEnabled());
        w.act("NotesDeleteCmd")->trigger();
        MessageBox::setNextAnswers({QMessageBox::No});
        FileDialog::setNextResults({Result{true, path, 1}});
        w.act(command)->trigger();
        QCOMPARE(MessageBox::takeShown().size(), 1);
        QVERIFY(!w.act("NotesUndoCmd")->isEnabled());
        QVERIFY(!w.act("NotesRedoCmd")->isEnabled());
        QVERIFY(!w.form().GetModified());
        w.form().document().clear();
    }
}

void TestFileCommands::openAsksBeforeTheDialog()
{
    w.createForm();
    w.seed({makeNote(u"changed"_s)}, true);
    // Cancel: the dialog is never shown.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    FileDialog::setNextResults({Result{true, w.path(u"x.qlt"_s), 1}});
    w.act("FileOpenCmd")->trigger();
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QVERIFY(FileDialog::takeShownTitles().isEmpty());
    FileDialog::setNextResults({});

    // No, then the dialog cancelled: the changed document stays, still modified.
    MessageBox::setNextAnswers({QMessageBox::No});
    FileDialog::setNextResults({Result{false, QString(), 1}});
    w.act("FileOpenCmd")->trigger();
    QCOMPARE(FileDialog::takeShownTitles(), QStringList{"打开"});
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"changed"_s)});
    QVERIFY(w.form().GetModified());
}

void TestFileCommands::openRefusedKeepsChangesProtected()
{
    const QString text = w.path(u"text.qlt"_s);
    QVERIFY(writeFile(text, "not notes"));
    w.createForm();
    w.seed({makeNote(u"changed"_s)}, true);
    MessageBox::setNextAnswers({QMessageBox::No, QMessageBox::Ok});
    FileDialog::setNextResults({Result{true, text, 1}});
    w.act("FileOpenCmd")->trigger();
    QCOMPARE(MessageBox::takeShown().value(1).text, u"这不是一个 Quillet 文件。"_s);
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"changed"_s)});
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.panel(3), u"已修改"_s);

    // The next new still asks, so the changes can be saved.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("FileNewCmd")->trigger();
    QCOMPARE(MessageBox::takeShown().value(0).text, Question);
    QCOMPARE(w.model().rowCount(), 1);
}

void TestFileCommands::saveAsExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "notes" << 1 << "notes.qlt";
    QTest::newRow("upper case") << "notes.QLT" << 1 << "notes.QLT.qlt";
    QTest::newRow("other extension") << "a.b" << 1 << "a.b.qlt";
    QTest::newRow("right extension") << "notes.qlt" << 1 << "notes.qlt";
    QTest::newRow("dot in folder only") << "dir.d/notes" << 1 << "dir.d/notes.qlt";
    QTest::newRow("all files") << "notes" << 2 << "notes";
    QTest::newRow("all files, other extension") << "a.b" << 2 << "a.b";
}

void TestFileCommands::saveAsExtension()
{
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, written);
    QVERIFY(QDir(w.dir()).mkpath(u"dir.d"_s));
    w.createForm();
    w.seed(twoNotes(), true);
    FileDialog::setNextResults({Result{true, w.path(typed), filter}});
    w.act("FileSaveAsCmd")->trigger();
    QCOMPARE(FileDialog::takeShownTitles(), QStringList{"另存为..."});
    QCOMPARE(w.form().FileName(), w.path(written));
    QCOMPARE(notesIn(w.path(written)), twoNotes());
    QVERIFY(!w.form().GetModified());
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestFileCommands::saveAsReplaceNoThenYes()
{
    const QString path = w.path(u"exists.qlt"_s);
    QVERIFY(writeFile(path, "old"));
    w.createForm();
    w.seed(twoNotes(), true);
    MessageBox::setNextAnswers({QMessageBox::No, QMessageBox::Yes});
    FileDialog::setNextResults({Result{true, w.path(u"exists"_s), 1}, Result{true, path, 1}});
    w.act("FileSaveAsCmd")->trigger();
    QCOMPARE(FileDialog::takeShownTitles(), (QStringList{"另存为...", "另存为..."}));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 2);
    for (const MessageBox::Shown& question : shown) {
        QCOMPARE(question.text, replaceQuestion(path));
        QCOMPARE(question.caption, u"另存为..."_s);
        QCOMPARE(question.icon, QMessageBox::Warning);
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QCOMPARE(notesIn(path), twoNotes());

    // Only No, then a cancelled dialog: nothing is written.
    w.seed({makeNote(u"more"_s)}, true);
    MessageBox::setNextAnswers({QMessageBox::No});
    FileDialog::setNextResults({Result{true, path, 1}, Result{false, QString(), 1}});
    w.act("FileSaveAsCmd")->trigger();
    QCOMPARE(notesIn(path), twoNotes());
    QVERIFY(w.form().GetModified());
}

void TestFileCommands::fileInfo()
{
    QVERIFY(QDir(w.dir()).mkpath(u"deep/er"_s));
    w.createForm();
    QCOMPARE(w.form().trayIcon()->toolTip(), u"Quillet"_s);
    givePassword(w.form(), "pw");
    const QString path = w.path(u"deep/er/R&D notes.qlt"_s);
    w.form().SaveFile(path);
    const QString folder = QDir::toNativeSeparators(w.path(u"deep/er"_s)) + QDir::separator();
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - R&D notes.qlt"_s);
    QCOMPARE(w.panel(5), folder);
    QCOMPARE(w.form().statusPanel(5)->toolTip(), folder);
    QVERIFY(w.form().statusPanel(4)->hasIcon());
    QCOMPARE(w.form().trayIcon()->toolTip(), u"Quillet [R&D notes.qlt]"_s);

    w.act("FileNewCmd")->trigger();
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54"_s);
    QCOMPARE(w.panel(5), QString());
    QCOMPARE(w.form().statusPanel(5)->toolTip(), QString());
    QVERIFY(!w.form().statusPanel(4)->hasIcon());
    QCOMPARE(w.form().trayIcon()->toolTip(), u"Quillet"_s);
    QCOMPARE(w.form().Password(), QByteArray());
}

// ---------------------------------------------------------------------------------------------------------
// Recent files

void TestFileCommands::recentListLimitAndOrder()
{
    w.createForm();
    QStringList paths;
    for (const char* name : {"a.qlt", "b.qlt", "c.qlt", "d.qlt", "e.qlt"}) {
        paths.append(w.path(QLatin1String(name)));
        w.form().SaveFile(paths.last());
    }
    QCOMPARE(w.form().MRUList(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
    // Saving or opening one that is listed moves it to the top instead of adding it twice.
    w.form().SaveFile(paths[2]);
    QCOMPARE(w.form().MRUList(), (QStringList{paths[2], paths[4], paths[3], paths[1]}));
    QCOMPARE(w.form().OpenFile(paths[1], QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QCOMPARE(w.form().MRUList(), (QStringList{paths[1], paths[2], paths[4], paths[3]}));
    // Another spelling of the same path is the same entry.
    w.form().SaveFile(w.path(u"sub/../d.qlt"_s));
    QCOMPARE(w.form().MRUList(), (QStringList{paths[3], paths[1], paths[2], paths[4]}));
}

void TestFileCommands::recentListLetterCase()
{
    w.createForm();
    w.form().SaveFile(w.path(u"Case.qlt"_s));
    w.form().SaveFile(w.path(u"case.qlt"_s));
#ifdef Q_OS_WIN
    QCOMPARE(w.form().MRUList(), QStringList{w.path(u"case.qlt"_s)});
#else
    // Two files here, both kept.
    QVERIFY(QFile::exists(w.path(u"Case.qlt"_s)));
    QCOMPARE(w.form().MRUList(), (QStringList{w.path(u"case.qlt"_s), w.path(u"Case.qlt"_s)}));
#endif
}

void TestFileCommands::recentMenus()
{
    w.createForm();
    QMenu* fileMenu = w.menu("FileRecentFilesMenu");
    QMenu* toolbarMenu = w.form().findChild<QToolButton*>(u"ToolbarOpenCmd"_s)->menu();
    QVERIFY(fileMenu && toolbarMenu);

    Q_EMIT fileMenu->aboutToShow();
    Q_EMIT toolbarMenu->aboutToShow();
    QCOMPARE(names(fileMenu), u"- FileClearRecentList=(无)"_s);
    QCOMPARE(names(toolbarMenu), u"- ToolbarClearMRUCmd=(无)"_s);
    QVERIFY(!w.act("FileClearRecentList")->isEnabled());
    QVERIFY(!w.act("ToolbarClearMRUCmd")->isEnabled());

    w.form().SaveFile(w.path(u"one.qlt"_s));
    w.form().SaveFile(w.path(u"Tom & Jerry.qlt"_s));
    Q_EMIT fileMenu->aboutToShow();
    Q_EMIT toolbarMenu->aboutToShow();
    QCOMPARE(names(fileMenu), u"MRU1=&1 Tom && Jerry.qlt MRU2=&2 one.qlt - FileClearRecentList=清除"_s);
    QCOMPARE(names(toolbarMenu), u"MRU1=&1 Tom && Jerry.qlt MRU2=&2 one.qlt - ToolbarClearMRUCmd=清除"_s);
    // The full path tells two files of one name apart.
    for (QMenu* menu : {fileMenu, toolbarMenu}) {
        QVERIFY(menu->toolTipsVisible());
        QCOMPARE(menu->actions().at(1)->toolTip(), QDir::toNativeSeparators(w.path(u"one.qlt"_s)));
    }
    QVERIFY(w.act("FileClearRecentList")->isEnabled());
    QVERIFY(w.act("ToolbarClearMRUCmd")->isEnabled());

    // Either clear item empties the one list both menus show.
    w.act("ToolbarClearMRUCmd")->trigger();
    QVERIFY(w.form().MRUList().isEmpty());
    QCOMPARE(names(fileMenu), u"- FileClearRecentList=清除"_s);
    Q_EMIT fileMenu->aboutToShow();
    QCOMPARE(names(fileMenu), u"- FileClearRecentList=(无)"_s);
    w.form().SaveFile(w.path(u"one.qlt"_s));
    Q_EMIT fileMenu->aboutToShow();
    w.act("FileClearRecentList")->trigger();
    QVERIFY(w.form().MRUList().isEmpty());
    QCOMPARE(names(toolbarMenu), u"- ToolbarClearMRUCmd=清除"_s);
}

void TestFileCommands::recentEntryChosen()
{
    QStringList paths;
    for (const char* name : {"a.qlt", "b.qlt", "c.qlt"}) {
        paths.append(w.path(QLatin1String(name)));
        QVERIFY(writeFile(paths.last(), notesFile({makeNote(QString::fromLatin1(name))})));
    }
    w.createForm();
    for (const QString& path : paths)
        QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QCOMPARE(w.form().MRUList(), (QStringList{paths[2], paths[1], paths[0]}));
    w.seed({makeNote(u"changed"_s)}, true);

    // Cancel at the question: the entry has moved to the top all the same, and nothing is opened.
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    entry(w.menu("FileRecentFilesMenu"), "MRU3")->trigger();
    QCOMPARE(MessageBox::takeShown().value(0).text, Question);
    QCOMPARE(w.form().MRUList(), (QStringList{paths[0], paths[2], paths[1]}));
    QCOMPARE(w.form().FileName(), paths[2]);
    QVERIFY(w.form().GetModified());

    // No: the changes go and the file opens, from the toolbar's menu this time.
    MessageBox::setNextAnswers({QMessageBox::No});
    QMenu* toolbarMenu = w.form().findChild<QToolButton*>(u"ToolbarOpenCmd"_s)->menu();
    entry(toolbarMenu, "MRU3")->trigger();
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(w.form().MRUList(), (QStringList{paths[1], paths[0], paths[2]}));
    QCOMPARE(w.form().FileName(), paths[1]);
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"b.qlt"_s)});
    QVERIFY(!w.form().GetModified());
    QCOMPARE(names(w.menu("FileRecentFilesMenu")),
             u"MRU1=&1 b.qlt MRU2=&2 a.qlt MRU3=&3 c.qlt - FileClearRecentList=清除(&C)"_s);
}

void TestFileCommands::recentEntryMissingStays()
{
    const QString gone = w.path(u"gone.qlt"_s);
    const QString kept = w.path(u"kept.qlt"_s);
    w.createForm();
    w.form().SaveFile(gone);
    w.form().SaveFile(kept);
    QVERIFY(QFile::remove(gone));
    w.seed({makeNote(u"changed"_s)}, true);
    MessageBox::setNextAnswers({QMessageBox::No, QMessageBox::Ok});
    entry(w.menu("FileRecentFilesMenu"), "MRU2")->trigger();
    QCOMPARE(MessageBox::takeShown().value(1).text, u"文件不存在:\r"_s + gone);
    QCOMPARE(w.form().MRUList(), (QStringList{gone, kept}));
    // The refused file changed nothing: the changes are still marked.
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.form().FileName(), kept);
    QCOMPARE(w.model().rowCount(), 1);
}

void TestFileCommands::recentListFromSettings()
{
    w.writeIni(u"MRU"_s, u"MRU2"_s, u"/notes/two.qlt"_s);
    w.writeIni(u"MRU"_s, u"MRU4"_s, u"/notes/four.qlt"_s);
    w.createForm();
    QCOMPARE(w.form().MRUList(), (QStringList{"/notes/two.qlt", "/notes/four.qlt"}));
    QCOMPARE(names(w.menu("FileRecentFilesMenu")),
             u"MRU1=&1 two.qlt MRU2=&2 four.qlt - FileClearRecentList=清除(&C)"_s);
}

// ---------------------------------------------------------------------------------------------------------
// Export and import

void TestFileCommands::exportReport_data()
{
    QTest::addColumn<QList<Note>>("notes");
    QTest::addColumn<QStringList>("lines"); // after the time line
    const QString hyphens(80, QLatin1Char('-'));
    const QString equals(80, QLatin1Char('='));
    QTest::newRow("no notes") << QList<Note>() << QStringList{"总计: 0 完成: 0 未完成: 0", hyphens};
    QTest::newRow("two notes") << twoNotes()
                               << QStringList{"总计: 2 完成: 1 未完成: 1",
                                              hyphens,
                                              "",
                                              "",
                                              "[ 状态: 完成  优先级: 高 ]",
                                              equals,
                                              "第一行",
                                              "second line",
                                              equals,
                                              "",
                                              "[ 状态: 未完成  优先级: 低 ]",
                                              equals,
                                              "plain",
                                              equals};
}

void TestFileCommands::exportReport()
{
    QFETCH(QList<Note>, notes);
    QFETCH(QStringList, lines);
    w.createForm();
    w.seed(notes, false);
    const QString path = w.path(u"report.txt"_s);
    FileDialog::setNextResults({Result{true, w.path(u"report"_s), 1}});
    const QDateTime before = QDateTime::currentDateTime();
    w.act("FileExportCmd")->trigger();
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(FileDialog::takeShownTitles(), QStringList{"导出..."});
    QVERIFY(MessageBox::takeShown().isEmpty());

    const QByteArray bytes = readFile(path);
    QVERIFY(bytes.endsWith("\r\n"));
    // In the system's encoding (UTF-8 here, the ANSI code page on Windows), without byte-order mark.
    QVERIFY(bytes.startsWith(TextFile::encode(u"记事本列表\r\n")));
    QStringList got = TextFile::decode(bytes.chopped(2)).split(u"\r\n"_s);
    QVERIFY(got.size() >= 2);
    QVERIFY2(got.at(1) == timeLine(before) || got.at(1) == timeLine(after), qPrintable(got.at(1)));
    QCOMPARE(got.mid(2), lines);
    QCOMPARE(got.at(0), u"记事本列表"_s);
    // Exporting changes nothing in the document.
    QVERIFY(!w.form().GetModified());
    QCOMPARE(w.form().FileName(), QString());
}

void TestFileCommands::exportExtensionAndFailure()
{
    w.createForm();
    w.seed(twoNotes(), true);
    // All files: written as typed. A name in upper case gets ".txt" added with the text filter.
    FileDialog::setNextResults({Result{true, w.path(u"plain"_s), 2}});
    w.act("FileExportCmd")->trigger();
    QVERIFY(QFile::exists(w.path(u"plain"_s)));
    FileDialog::setNextResults({Result{true, w.path(u"R.TXT"_s), 1}});
    w.act("FileExportCmd")->trigger();
    QVERIFY(QFile::exists(w.path(u"R.TXT.txt"_s)));

    // An existing report: No shows the dialog again, whose cancel ends the export unwritten.
    QVERIFY(writeFile(w.path(u"old.txt"_s), "old"));
    MessageBox::setNextAnswers({QMessageBox::No});
    FileDialog::setNextResults({Result{true, w.path(u"old.txt"_s), 1}, Result{false, {}, 1}});
    FileDialog::takeShownTitles();
    w.act("FileExportCmd")->trigger();
    QCOMPARE(FileDialog::takeShownTitles(), (QStringList{"导出...", "导出..."}));
    QCOMPARE(MessageBox::takeShown().value(0).text, replaceQuestion(w.path(u"old.txt"_s)));
    QCOMPARE(readFile(w.path(u"old.txt"_s)), QByteArray("old"));

    // A folder that cannot exist.
    QVERIFY(writeFile(w.path(u"blocker"_s), "x"));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    FileDialog::setNextResults({Result{true, w.path(u"blocker/report.txt"_s), 1}});
    w.act("FileExportCmd")->trigger();
    takeOneBox(u"错误"_s, u"无法导出文件。"_s);
    QVERIFY(w.form().GetModified());

    // The document's own file, under another spelling too, is refused before anything is written.
    const QString notes = w.path(u"notes.qlt"_s);
    FileDialog::setNextResults({Result{true, notes, 1}});
    w.act("FileSaveAsCmd")->trigger();
    const QByteArray saved = readFile(notes);
    MessageBox::setNextAnswers({QMessageBox::Yes, QMessageBox::Ok});
    FileDialog::setNextResults({Result{true, w.dir() + u"/./notes.qlt"_s, 2}});
    w.act("FileExportCmd")->trigger();
    QCOMPARE(MessageBox::takeShown().value(1).text, u"不能把报告导出到记事本文件本身。"_s);
    QCOMPARE(readFile(notes), saved);
    QVERIFY(!w.form().GetModified());

    // The report of a protected list is as private as the list.
    givePassword(w.form(), "pw");
    FileDialog::setNextResults({Result{true, w.path(u"private.txt"_s), 1}});
    w.act("FileExportCmd")->trigger();
#ifndef Q_OS_WIN // where a new file takes the rights of its folder
    QCOMPARE(QFile::permissions(w.path(u"private.txt"_s)) & 0x7077,
             QFileDevice::Permissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) & 0x7077);
#endif
}

void TestFileCommands::importAppends()
{
    const QList<Note> theirs{makeNote(u"one"_s), makeNote(u"二"_s, u"最高"_s, true),
                             makeNote(u"three"_s, u"低"_s)};
    const QString other = w.path(u"other.qlt"_s);
    QVERIFY(writeFile(other, notesFile(theirs, "theirs", 77)));
    const QString mine = w.path(u"mine.qlt"_s);
    w.createForm();
    w.seed(twoNotes(), false);
    givePassword(w.form(), "mine");
    w.form().SaveFile(mine);
    w.form().SaveFile(w.path(u"newer.qlt"_s));
    w.form().SaveFile(mine);

    // The notes go in under a busy cursor, which is gone again afterwards.
    std::optional<Qt::CursorShape> cursorWhileImporting;
    const QMetaObject::Connection importing =
        connect(&w.model(), &QAbstractItemModel::rowsAboutToBeInserted, this, [&] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            cursorWhileImporting = cursor ? cursor->shape() : Qt::ArrowCursor;
        });
    const auto disconnected = qScopeGuard([&] { disconnect(importing); });
    w.answerPassword(u"theirs"_s);
    FileDialog::setNextResults({Result{true, other, 1}});
    w.act("FileImportCmd")->trigger();
    QVERIFY(w.driver.seen());
    QCOMPARE(cursorWhileImporting, std::optional(Qt::WaitCursor));
    QVERIFY(!QGuiApplication::overrideCursor());
    QCOMPARE(FileDialog::takeShownTitles(), QStringList{"导入..."});
    // No question about the changes, none of the imported file's state taken over.
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(w.model().notes(), twoNotes() + theirs);
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.form().FileName(), mine);
    QCOMPARE(w.form().Password(), QByteArray("mine"));
    QCOMPARE(w.form().FileReserved(), 0u);
    QCOMPARE(w.panel(0), u"总计: 5"_s);
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - mine.qlt"_s);
    QCOMPARE(w.form().MRUList().value(0), mine);
    QVERIFY(!w.form().MRUList().contains(other));
    // The merged list is saved with the document's own password.
    w.act("FileSaveCmd")->trigger();
    QCOMPARE(notesIn(mine, "mine"), twoNotes() + theirs);

    // A cancelled import dialog does nothing.
    FileDialog::setNextResults({Result{false, QString(), 1}});
    w.act("FileImportCmd")->trigger();
    QCOMPARE(w.model().rowCount(), 5);
    QVERIFY(!w.form().GetModified());

    // The import is one step, undone past the save.
    QCOMPARE(w.act("NotesUndoCmd")->toolTip(), u"撤销 导入"_s);
    w.act("NotesUndoCmd")->trigger();
    QCOMPARE(w.model().notes(), twoNotes());
    QCOMPARE(w.panel(0), u"总计: 2"_s);
    QVERIFY(w.form().GetModified());
}

// ---------------------------------------------------------------------------------------------------------
// Set password

void TestFileCommands::setPassword_data()
{
    QTest::addColumn<bool>("autoSave");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("auto-save, OK") << true << true;
    QTest::newRow("auto-save, cancel") << true << false;
    QTest::newRow("no auto-save, OK") << false << true;
}

void TestFileCommands::setPassword()
{
    QFETCH(bool, autoSave);
    QFETCH(bool, confirm);
    w.writeIni(u"General"_s, u"AutoSaveOnAddEdit"_s, autoSave ? "1" : "0");
    const QString path = w.path(u"protect.qlt"_s);
    w.createForm();
    w.seed(twoNotes(), true);
    w.form().SaveFile(path);
    const QByteArray before = readFile(path);

    bool held = false;
    w.driver.onNext<TSetPassForm>([&](TSetPassForm* form) {
        held = SetPassForm == form;
        QTest::keyClicks(form->NewPass, u"fresh"_s);
        QTest::keyClicks(form->RePass, u"fresh"_s);
        QTest::mouseClick(confirm ? form->OkBtn : form->CancelBtn, Qt::LeftButton);
        if (form->isVisible())
            form->reject();
    });
    QTest::keyClick(&w.form(), Qt::Key_F4);
    QVERIFY(w.driver.seen());
    QVERIFY(held);
    QCOMPARE(SetPassForm, nullptr);
    QCOMPARE(w.form().Password(), confirm ? QByteArray("fresh") : QByteArray());
    QCOMPARE(w.form().statusPanel(4)->hasIcon(), confirm);
    // A new password is strong unless chosen otherwise, and the mark's hint says so.
    QCOMPARE(w.form().statusPanel(4)->toolTip(), confirm ? u"强保护: 没有密码读不出记事本"_s : QString());
    if (confirm && autoSave) {
        QVERIFY(!w.form().GetModified());
        QCOMPARE(notesIn(path, "fresh"), twoNotes());
        QVERIFY(StrongFormat::isStrong(readFile(path)));
    } else {
        QCOMPARE(w.form().GetModified(), confirm);
        QCOMPARE(readFile(path), before);
    }
    if (!confirm) {
        QVERIFY(!w.act("NotesUndoCmd")->isEnabled());
        return;
    }

    // Undone and redone by the keys, and saved each time with auto-save.
    QCOMPARE(w.act("NotesUndoCmd")->toolTip(), u"撤销 设置密码"_s);
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(&w.form(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.form().Password(), QByteArray());
    QVERIFY(!w.form().statusPanel(4)->hasIcon());
    QVERIFY(!w.form().GetModified());
    QCOMPARE(readFile(path), before);
    QTest::keyClick(&w.form(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(w.form().Password(), QByteArray("fresh"));
    QVERIFY(w.form().statusPanel(4)->hasIcon());
    QCOMPARE(w.form().GetModified(), !autoSave);
    QCOMPARE(StrongFormat::isStrong(readFile(path)), autoSave);
}

void TestFileCommands::passwordPanelDoubleClick()
{
    w.createForm();
    // Without a password the panel does nothing.
    w.driver.onNextDialog([](QDialog* dialog) { dialog->reject(); });
    QTest::mouseDClick(w.form().statusPanel(4), Qt::LeftButton);
    QVERIFY(!w.driver.seen());
    w.driver.cancel();

    givePassword(w.form(), "pw");
    QString title;
    w.driver.onNextDialog([&](QDialog* dialog) {
        title = dialog->windowTitle();
        dialog->reject();
    });
    QTest::mouseDClick(w.form().statusPanel(4), Qt::LeftButton);
    QVERIFY(w.driver.seen());
    QCOMPARE(title, u"设置密码"_s);
    QCOMPARE(w.form().Password(), QByteArray("pw"));
}

void TestFileCommands::folderPanelOpensFolder_data()
{
    QTest::addColumn<int>("key"); // 0: double-clicked
    QTest::newRow("double-click") << 0;
    QTest::newRow("Tab and Enter") << int(Qt::Key_Return);
    QTest::newRow("Tab and space") << int(Qt::Key_Space);
}

void TestFileCommands::folderPanelOpensFolder()
{
    QFETCH(int, key);
#ifdef Q_OS_WIN
    QSKIP("the folder opens through the shell's \"explore\" verb here, which no URL handler sees");
#endif
    QDesktopServices::setUrlHandler(u"file"_s, this, "openUrl");
    const auto unhandled = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"file"_s); });
    m_opened.clear();
    w.createForm();
    StatusPanel* panel = w.form().statusPanel(TMainForm::PanelFolder);
    const auto activate = [&] {
        if (key == 0) {
            QTest::mouseDClick(panel, Qt::LeftButton);
            return;
        }
        w.form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form()));
        w.form().notesList()->setFocus();
        for (int tab = 0; tab < 30 && QApplication::focusWidget() != panel; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), panel);
        QTest::keyClick(panel, Qt::Key(key));
    };
    // Without a file there is no folder to open.
    activate();
    QVERIFY(m_opened.isEmpty());

    w.seed({makeNote(u"a")}, true);
    w.form().SaveFile(w.path(u"held.qlt"_s));
    activate();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(QDir(m_opened.at(0).toLocalFile()).canonicalPath(), QDir(w.dir()).canonicalPath());
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
