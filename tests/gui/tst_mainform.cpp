#include "DialogLayout.h"
#include "EveryWindow.h"
#include "TestFiles.h"
#include "TypeText.h"
#include "WindowHarness.h"

#include "app/EdgeDock.h"
#include "app/NotesListView.h"
#include "app/QtTranslation.h"
#include "app/StatusPanel.h"
#include "app/Themes.h"
#include "document/NotesModel.h"
#include "forms/AddEditFormU.h"
#include "forms/FileDialog.h"
#include "forms/FindFormU.h"
#include "forms/Guarded.h"
#include "forms/MessageBox.h"
#include "forms/SortFormU.h"
#include "forms/TitleWidth.h"
#include "shared/AnsiText.h"
#include "shared/AppPaths.h"
#include "shared/DebugLog.h"
#include "shared/IniFile.h"
#include "shared/Version.h"

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSet>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <optional>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

class TestMainForm : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void layoutGeometry();
    void newWindowStepsAsideFromOpener();
    void commandTable();
    void imagesLoad();

    void addBelowSelectionAndAtEnd();
    void cancelAddEdit_data();
    void cancelAddEdit();
    void cancelledAddStillAutoSaves();
    void editByCommandEnterAndDoubleClick_data();
    void editByCommandEnterAndDoubleClick();
    void enterWithoutSelectionOpensNothing();
    void arrowsStartAtFirstRow_data();
    void arrowsStartAtFirstRow();
    void deleteSelection_data();
    void deleteSelection();
    void moveUpAndDown();
    void moveAtEdgesNotModifiedButAutoSaved_data();
    void moveAtEdgesNotModifiedButAutoSaved();
    void doneUndoneAndCounts();
    void priorities_data();
    void priorities();
    void commandsWithoutSelectionDoNothing_data();
    void commandsWithoutSelectionDoNothing();

    void undoRedoRestoreSelection_data();
    void undoRedoRestoreSelection();
    void sortOrders_data();
    void sortOrders();
    void findSteppingOverTwoHitsThenMiss();

    void filterAsYouType();
    void hideDone_data();
    void hideDone();
    void commandsWhileFiltered();
    void dragToReorder_data();
    void dragToReorder();

    void themes_data();
    void themes();
    void themeInWrongCaseFallsBack();
    void themeLooksDiffer();
    void gridLinesToggledTwice();
    void statusBarTexts();
    void notePanePopup();

    void settingsWrittenAtCloseInOrder();
    void closeQuestion_data();
    void closeQuestion();
    void settingsWriteFailureStillCloses_data();
    void settingsWriteFailureStillCloses();
    void invalidColourReported();
    void debugSwitch();
    void startupBoxesOverTheWindow_data();
    void startupBoxesOverTheWindow();
    void helpFileMissing();
    void exceptionInHandlerIsReportedOnce();
    // Last: the translation stays installed for the rest of the run.
    void qtOwnTextsInChinese();

    void everyWindowReadAloud_data();
    void everyWindowReadAloud();
    void notesListSpeaksEachNote();
    void keyboardReachesAndShowsFocus_data();
    void keyboardReachesAndShowsFocus();

private:
    void createForm(const QStringList& arguments = {});
    void addThroughDialog(const QString& text, int priority = 1, bool done = false);
    // A named document with auto-save on, whose file is then removed so that a save shows.
    QString autoSavedDocument();
};

void TestMainForm::createForm(const QStringList& arguments)
{
    w.createForm(arguments);
    w.form().notesList()->setFocus();
}

void TestMainForm::addThroughDialog(const QString& text, int priority, bool done)
{
    w.driver.onNext<TAddEditForm>([=](TAddEditForm* form) {
        typeText(form->NoteText, text);
        form->NotePriority->setCurrentIndex(priority);
        form->NoteDone->setChecked(done);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
    });
    // Closing the previous dialog hands the activation back to the window, which its keys need.
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(w.form().notesList(), Qt::Key_Insert);
    QVERIFY(w.driver.seen());
}

QString TestMainForm::autoSavedDocument()
{
    w.writeIni(u"General"_s, u"AutoSaveOnAddEdit"_s, u"1"_s);
    createForm();
    const QString path = w.path(u"auto.qlt"_s);
    w.form().SaveFile(path);
    if (!QFile::remove(path))
        return {};
    return path;
}

// ---------------------------------------------------------------------------------------------------------
// Layout and command table

void TestMainForm::layoutGeometry()
{
    createForm();
    QCOMPARE(w.form().size(), QSize(518, 408));
    QCOMPARE(w.form().minimumSize(), w.form().maximumSize());
    QVERIFY(!w.form().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(w.form().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54"_s);

    for (const char* name : {"MenuDock", "ToolbarDock"})
        QVERIFY2(w.form().findChild<EdgeDock*>(QLatin1String(name)), name);
    QVERIFY(w.form().findChild<QMenuBar*>(u"MainMenu"_s));
    QVERIFY(w.form().findChild<QToolBar*>(u"Toolbar"_s));
    QCOMPARE(w.form().findChild<EdgeDock*>(u"MenuDock"_s)->height(), 25);
    QCOMPARE(w.form().findChild<EdgeDock*>(u"ToolbarDock"_s)->height(), 27);

    auto* listPanel = w.form().findChild<QFrame*>(u"NotesListPanel"_s);
    auto* textPanel = w.form().findChild<QFrame*>(u"NotesTextPanel"_s);
    QVERIFY(listPanel && textPanel);
    const QRect textRect(textPanel->mapTo(&w.form(), QPoint(0, 0)), textPanel->size());
    QCOMPARE(textRect, QRect(2, 307, 515, 73));
    // The list panel fills the room between the bars and the note pane.
    const QRect listRect(listPanel->mapTo(&w.form(), QPoint(0, 0)), listPanel->size());
    auto* menu = w.form().findChild<QMenuBar*>(u"MainMenu"_s);
    auto* toolbar = w.form().findChild<QToolBar*>(u"Toolbar"_s);
    QCOMPARE(listRect.left(), 2);
    QCOMPARE(listRect.width(), 515);
    QCOMPARE(listRect.top(), menu->height() + toolbar->height() + 3);
    QCOMPARE(listRect.bottom() + 1, textRect.top() - 4);
    QTableView* list = w.form().notesList();
    QCOMPARE(list->height(), listPanel->height() - 3);

    auto* status = w.form().findChild<QStatusBar*>(u"StatusBar"_s);
    QVERIFY(status);
    QCOMPARE(status->height(), 24);
    QVERIFY(!status->isSizeGripEnabled());
    QCOMPARE(status->mapTo(&w.form(), QPoint(0, 0)).y() + status->height(), 408);

    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), u"记事本"_s);
    QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), u"优先级"_s);
    QCOMPARE(list->horizontalHeader()->sectionSize(1), 86);
    QCOMPARE(list->horizontalHeader()->sectionSize(0) + 86, list->viewport()->width());
    QCOMPARE(list->iconSize(), QSize(16, 16));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!list->isSortingEnabled());

    auto* pane = w.form().findChild<QPlainTextEdit*>(u"NoteText"_s);
    QVERIFY(pane->isReadOnly());
    QCOMPARE(pane->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(pane->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // The design widths, the count panels grown to seven digits in the font in use, the folder panel
    // taking the rest.
    int x = 0;
    for (int i = 0; i < TMainForm::StatusPanelCount; ++i) {
        StatusPanel* p = w.form().statusPanel(i);
        if (i >= 3 && i < 5)
            QCOMPARE(p->width(), TMainForm::StatusPanelWidths.at(i));
        else if (i < 3)
            QCOMPARE(p->width(),
                     std::max(TMainForm::StatusPanelWidths.at(i),
                              p->fittingWidth(QString(p->text()).replace(QLatin1Char('0'), "0000000"_L1))));
        QCOMPARE(p->x(), x);
        x += p->width();
    }
    QCOMPARE(x, status->width());
    QVERIFY(!w.form().statusPanel(0)->hasIcon());
    QVERIFY(w.form().statusPanel(1)->hasIcon());
    QVERIFY(w.form().statusPanel(2)->hasIcon());
    QVERIFY(!w.form().statusPanel(3)->hasIcon());
    QVERIFY(!w.form().statusPanel(4)->hasIcon());
    QVERIFY(w.form().statusPanel(5)->hasIcon());

    // A folder too long for its panel is shown cut, ending in "…", and kept whole.
    StatusPanel* folder = w.form().statusPanel(5);
    const QString longFolder = QStringLiteral("/tmp/") + QString(300, QLatin1Char('x'));
    folder->setText(longFolder);
    QCOMPARE(folder->text(), longFolder);
    QStringList shown;
    for (const QLabel* label : folder->findChildren<QLabel*>())
        shown << label->text();
    const QString cut = shown.join(QString());
    QVERIFY2(cut.startsWith(QStringLiteral("/tmp/xx")) && cut.endsWith(QChar(0x2026)), qPrintable(cut));
    QVERIFY(folder->fittingWidth(cut) <= folder->width());
}

void TestMainForm::newWindowStepsAsideFromOpener()
{
    createForm();
    const QPoint centred = w.form().pos();
    // An opener elsewhere leaves the new window centred; one at the centre makes it step aside.
    qputenv("QUILLET_OPENER_POS",
            QByteArray::number(centred.x() + 5) + ',' + QByteArray::number(centred.y()));
    createForm();
    QCOMPARE(w.form().pos(), centred);
    qputenv("QUILLET_OPENER_POS", QByteArray::number(centred.x()) + ',' + QByteArray::number(centred.y()));
    createForm();
    QCOMPARE(w.form().pos(), centred + QPoint(32, 32));
    QVERIFY(qEnvironmentVariableIsEmpty("QUILLET_OPENER_POS"));
}

namespace {

// The theme commands, the look each chooses as the settings keep it, and whether that look draws the bars'
// edge lines.
struct ThemeCommand
{
    const char* command;
    const char* theme;
    bool edgeLines;
};
const ThemeCommand ThemeCommands[] = {
    {"ViewDefaultThemeCmd", "Default", true},
    {"ViewOfficeXPThemeCmd", "OfficeXP", false},
    {"ViewStripesThemeCmd", "Stripes", true},
    {"ViewAthenThemeCmd", "Athen", false},
    {"ViewRomaThemeCmd", "Roma", true},
    {"ViewNexosThemeCmd", "Nexos", true},
    {"ViewOffice2003ThemeCmd", "Office11XP", false},
    {"ViewOfficeCThemeCmd", "OfficeC", false},
    {"ViewEMoneyThemeCmd", "EMoney", true},
};

// The actions' names.
QStringList namesOf(const QList<QAction*>& actions)
{
    QStringList result;
    for (const QAction* a : actions)
        result.append(a->objectName());
    return result;
}

// The commands of a menu and of its submenus, in their order.
QList<QAction*> commandsIn(QMenu* menu)
{
    QList<QAction*> result;
    for (QAction* a : menu->actions()) {
        if (a->menu())
            result += commandsIn(a->menu());
        else if (!a->isSeparator())
            result.append(a);
    }
    return result;
}

} // namespace

// The window's command table as its menus offer it: every command in one menu, once, named after it; keys
// that each run one command; a handler behind every command. The texts are the table's own.
void TestMainForm::commandTable()
{
    createForm();
    auto* bar = w.form().findChild<QMenuBar*>(u"MainMenu"_s);
    QStringList titles;
    QStringList keys;
    QList<QAction*> commands;
    for (QAction* title : bar->actions()) {
        titles.append(title->text());
        const QString family = title->menu()->objectName().chopped(4); // "FileMenu" holds "File…Cmd"
        for (QAction* a : commandsIn(title->menu())) {
            QVERIFY2(a->objectName().startsWith(family), qPrintable(a->objectName()));
            QCOMPARE(w.act(a->objectName().toLatin1().constData()), a);
            if (!a->shortcuts().isEmpty())
                keys.append(QKeySequence::listToString(a->shortcuts(), QKeySequence::PortableText));
            commands.append(a);
        }
        // Separators part groups: none at the end, none beside another.
        const QList<QAction*> items = title->menu()->actions();
        QVERIFY(!items.constFirst()->isSeparator() && !items.constLast()->isSeparator());
        for (qsizetype i = 1; i < items.size(); ++i)
            QVERIFY(!(items.at(i)->isSeparator() && items.at(i - 1)->isSeparator()));
    }
    QCOMPARE(titles, (QStringList{u"文件(&F)"_s, u"记事本(&N)"_s, u"查看(&V)"_s, u"帮助(&H)"_s}));
    QStringList inMenus = namesOf(commands);
    QStringList inTable = namesOf(w.form().actions());
    inMenus.sort();
    inTable.sort();
    QCOMPARE(inMenus, inTable);
    QCOMPARE(keys.join(u", "_s),
             u"Ctrl+W, Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+Alt+S, Ctrl+I, Ctrl+E, F4, Esc, Ins, Del, "
             "Ctrl+Up, Ctrl+Down, F5, F6, F7, F8, F9, Ctrl+F, Ctrl+Q, Ctrl+Z, Ctrl+Y; Ctrl+Shift+Z, "
             "F12, Ctrl+G, Ctrl+Shift+F, F11, F1"_s);

    // No key runs two actions of the window; none is on F2, F3 or F10.
    QSet<QKeySequence> taken;
    for (const QAction* a : w.form().findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            QVERIFY2(!taken.contains(key), qPrintable(key.toString()));
            QVERIFY2(key[0].key() != Qt::Key_F2 && key[0].key() != Qt::Key_F3 && key[0].key() != Qt::Key_F10,
                     qPrintable(a->objectName()));
            taken.insert(key);
        }
    }
    for (const QAction* a : commands) {
        QCOMPARE(a->shortcutContext(), Qt::WindowShortcut);
        // Only undo and redo are ever disabled: nothing to undo or redo yet.
        const bool history = a->objectName() == u"NotesUndoCmd" || a->objectName() == u"NotesRedoCmd";
        QVERIFY2(a->isEnabled() != history, qPrintable(a->objectName()));
    }
    QVERIFY(w.act("ViewShowGridLinesCmd")->isCheckable());
    QVERIFY(w.act("ViewHideDoneCmd")->isCheckable());
    const QActionGroup* group = w.act("ViewDefaultThemeCmd")->actionGroup();
    QVERIFY(group && group->isExclusive());
    QStringList themes;
    for (const ThemeCommand& theme : ThemeCommands)
        themes.append(QLatin1String(theme.command));
    QCOMPARE(namesOf(group->actions()), themes);
    QCOMPARE(namesOf(w.menu("TBXThemeMenu")->actions()), themes);

    // The toolbar: each button a command with its image, which only Save As has besides.
    QStringList toolbar;
    for (QAction* a : w.form().findChild<QToolBar*>(u"Toolbar"_s)->actions()) {
        if (a->isSeparator())
            toolbar.append(u"-"_s);
        else if (a->objectName().isEmpty())
            toolbar.append(u"ToolbarOpenCmd"_s); // the widget action holding the split button
        else
            toolbar.append(a->objectName());
    }
    QCOMPARE(toolbar.join(QLatin1Char(' ')),
             u"FileNewCmd ToolbarOpenCmd FileSaveCmd - FileNewWindowCmd ViewMinimizeToTrayCmd - "
             "FileSetPasswordCmd ViewOptionsCmd - NotesAddCmd NotesEditCmd NotesDeleteCmd "
             "NotesSortCmd NotesFindCmd - NotesMoveUpCmd NotesMoveDownCmd - NotesDoneUndoneCmd - "
             "HelpContentsCmd HelpAboutCmd - FileExitCmd"_s);
    for (const QAction* a : commands) {
        const QString name = a->objectName();
        const bool onToolbar = toolbar.contains(name == u"FileOpenCmd" ? u"ToolbarOpenCmd"_s : name);
        QVERIFY2(a->icon().isNull() != (onToolbar || name == u"FileSaveAsCmd"), qPrintable(name));
    }
    auto* split = w.form().findChild<QToolButton*>(u"ToolbarOpenCmd"_s);
    QVERIFY(split);
    QCOMPARE(split->defaultAction(), w.act("FileOpenCmd"));
    const QList<QAction*> splitItems = split->menu()->actions();
    QCOMPARE(splitItems.size(), 2);
    QVERIFY(splitItems.at(0)->isSeparator());
    QCOMPARE(splitItems.at(1)->objectName(), u"ToolbarClearMRUCmd"_s);
    // Every button is in view: none is pushed into the toolbar's overflow.
    for (QToolButton* button : w.form().findChild<QToolBar*>(u"Toolbar"_s)->findChildren<QToolButton*>()) {
        if (button->defaultAction() && !button->objectName().startsWith("qt_"_L1))
            QVERIFY2(button->isVisible(), qPrintable(button->defaultAction()->objectName()));
    }

    // Each command runs a handler, which leaves a trace; a dialog it opens is cancelled. New window is left
    // out, as it would start this test program again; exit comes last.
    const auto runs = [&](QAction* a) {
        SharedSrc::DebugLog("TestMainForm.commandTable");
        w.driver.onNextDialog([](QDialog* dialog) { dialog->reject(); });
        const bool enabled = a->isEnabled();
        a->setEnabled(true);
        a->trigger();
        a->setEnabled(enabled);
        w.driver.cancel();
        return SharedSrc::LastTraceName() != u"TestMainForm.commandTable";
    };
    for (QAction* a : commands) {
        if (a->objectName() == u"FileNewWindowCmd" || a->objectName() == u"FileExitCmd")
            continue;
        QVERIFY2(runs(a), qPrintable(a->objectName()));
        w.form().show(); // back from the tray
    }
    QVERIFY(runs(w.act("FileExitCmd")));
    QVERIFY(!w.form().isVisible());
}

void TestMainForm::imagesLoad()
{
    createForm();
    for (int i = 0; i < 23; ++i) {
        const QIcon icon = w.form().image(i);
        QVERIFY2(!icon.isNull(), qPrintable(QString::number(i)));
        QVERIFY(!icon.pixmap(16, 16).isNull());
    }
    QVERIFY(w.form().image(23).isNull());
    QVERIFY(!w.form().windowIcon().isNull());
}

// ---------------------------------------------------------------------------------------------------------
// Note editing

void TestMainForm::addBelowSelectionAndAtEnd()
{
    createForm();
    addThroughDialog(u"first"_s);
    QCOMPARE(w.texts(), QStringList{"first"});
    QCOMPARE(w.form().selectedRow(), 0);
    // With the last row selected the note goes to the end.
    addThroughDialog(u"last"_s, 3, true);
    QCOMPARE(w.texts(), (QStringList{"first", "last"}));
    QCOMPARE(w.form().selectedRow(), 1);

    w.form().selectRow(0);
    addThroughDialog(u"买牛奶\n两升"_s, 0);
    QCOMPARE(w.texts(), (QStringList{"first", "买牛奶\r\n两升", "last"}));
    QCOMPARE(w.model().note(1).text, gb(u"买牛奶\r\n两升"_s));
    QCOMPARE(w.form().selectedRow(), 1);
    QCOMPARE(w.model().data(w.model().index(1, 0)).toString(), u"买牛奶"_s);
    QCOMPARE(w.model().data(w.model().index(1, 1)).toString(), u"低"_s);
    QCOMPARE(w.model().note(1).priority, gb(u"低"_s));
    QCOMPARE(w.model().note(2).priority, gb(u"最高"_s));
    QCOMPARE(w.model().note(2).imageIndex, Note::ImageDone);
    QCOMPARE(w.paneText(), u"买牛奶\n两升"_s);

    QVERIFY(w.form().GetModified());
    QCOMPARE(w.panel(0), u"总计: 3"_s);
    QCOMPARE(w.panel(1), u"完成: 1"_s);
    QCOMPARE(w.panel(2), u"未完成: 2"_s);
    QCOMPARE(w.panel(3), u"已修改"_s);

    // Nothing selected: the pane is empty, and the note goes to the end.
    w.form().selectRow(-1);
    QCOMPARE(w.paneText(), QString());
    addThroughDialog(u"end"_s);
    QCOMPARE(w.texts().last(), u"end"_s);
    QCOMPARE(w.form().selectedRow(), 3);
}

void TestMainForm::cancelAddEdit_data()
{
    QTest::addColumn<bool>("edit");
    QTest::addColumn<QString>("how");
    for (bool edit : {false, true}) {
        for (const char* how : {"button", "escape", "close"})
            QTest::addRow("%s %s", edit ? "edit" : "add", how) << edit << QString::fromLatin1(how);
    }
}

void TestMainForm::cancelAddEdit()
{
    QFETCH(bool, edit);
    QFETCH(QString, how);
    createForm();
    w.seed({makeNote(u"one"_s, u"高"_s, true)});
    w.form().selectRow(0);
    const QList<Note> before = w.model().notes();

    w.driver.onNext<TAddEditForm>([how](TAddEditForm* form) {
        typeText(form->NoteText, u"changed"_s);
        form->NoteDone->setChecked(false);
        if (how == u"button")
            QTest::mouseClick(form->CancelBtn, Qt::LeftButton);
        else if (how == u"escape")
            QTest::keyClick(form->NoteText, Qt::Key_Escape);
        else
            form->close();
    });
    if (edit)
        QTest::keyClick(w.form().notesList(), Qt::Key_Return);
    else
        QTest::keyClick(w.form().notesList(), Qt::Key_Insert);
    QVERIFY(w.driver.seen());
    QVERIFY(w.form().isVisible()); // Esc went to the dialog, not to the exit command
    QCOMPARE(w.model().notes(), before);
    QVERIFY(!w.form().GetModified());
    QCOMPARE(w.panel(0), u"总计: 1"_s);
    QCOMPARE(w.panel(1), u"完成: 1"_s);
    QCOMPARE(w.panel(3), QString());
}

void TestMainForm::cancelledAddStillAutoSaves()
{
    const QString path = autoSavedDocument();
    QVERIFY(!path.isEmpty());
    w.form().SetModified(true); // left over from an earlier change
    w.driver.onNextDialog([](QDialog* dialog) { dialog->reject(); });
    w.act("NotesAddCmd")->trigger();
    QVERIFY(w.driver.seen());
    QVERIFY(QFile::exists(path));
    QVERIFY(!w.form().GetModified());
}

void TestMainForm::editByCommandEnterAndDoubleClick_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("command") << u"command"_s;
    QTest::newRow("enter") << u"enter"_s;
    QTest::newRow("double-click") << u"double-click"_s;
}

void TestMainForm::editByCommandEnterAndDoubleClick()
{
    QFETCH(QString, how);
    createForm();
    w.seed({makeNote(u"alpha"_s), makeNote(u"beta"_s, u"unknown"_s, true)});
    w.form().selectRow(1);

    QString caption;
    int shownPriority = -1;
    w.driver.onNext<TAddEditForm>([&](TAddEditForm* form) {
        caption = form->windowTitle();
        shownPriority = form->NotePriority->currentIndex();
        QTest::keyClick(form->NoteText, Qt::Key_A, Qt::ControlModifier);
        typeText(form->NoteText, u"gamma\ndelta"_s);
        form->NoteDone->setChecked(false);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
    });
    QTableView* list = w.form().notesList();
    if (how == u"command") {
        w.act("NotesEditCmd")->trigger();
    } else if (how == u"enter") {
        QTest::keyClick(list, Qt::Key_Return);
    } else {
        QTRY_VERIFY(!list->visualRect(w.model().index(1, 0)).isEmpty());
        const QRect rect = list->visualRect(w.model().index(1, 0));
        // A double-click arrives as a press and release, then the double-click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QVERIFY(w.driver.seen());
    QCOMPARE(caption, u"编辑记事本 [beta]"_s);
    QCOMPARE(shownPriority, 1); // an unknown priority name shows as standard
    QCOMPARE(w.texts(), (QStringList{"alpha", "gamma\r\ndelta"}));
    QCOMPARE(w.model().note(1).priority, gb(u"标准"_s));
    QCOMPARE(w.model().note(1).imageIndex, Note::ImageNotDone);
    QCOMPARE(w.form().selectedRow(), 1);
    QCOMPARE(w.paneText(), u"gamma\ndelta"_s);
    QCOMPARE(w.panel(1), u"完成: 0"_s);
    QCOMPARE(w.panel(2), u"未完成: 2"_s);
    QVERIFY(w.form().GetModified());
}

void TestMainForm::enterWithoutSelectionOpensNothing()
{
    createForm();
    w.seed({makeNote(u"alpha"_s)});
    w.form().selectRow(-1);
    w.driver.onNextDialog([](QDialog* dialog) { dialog->reject(); });
    // A dialog would be shown, and answered, before the key press returns.
    QTest::keyClick(w.form().notesList(), Qt::Key_Return);
    QVERIFY(!w.driver.seen());
    QVERIFY(!w.form().GetModified());
}

void TestMainForm::arrowsStartAtFirstRow_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("key");
    QTest::newRow("one note, down") << 1 << int(Qt::Key_Down);
    QTest::newRow("one note, up") << 1 << int(Qt::Key_Up);
    QTest::newRow("three notes, down") << 3 << int(Qt::Key_Down);
}

void TestMainForm::arrowsStartAtFirstRow()
{
    QFETCH(int, rows);
    QFETCH(int, key);
    createForm();
    const QString path = w.path(u"rows.qlt"_s);
    w.seed(QList<Note>(rows, makeNote(u"row"_s)));
    w.form().SaveFile(path);
    w.form().OpenFile(path, QByteArray(), false, false);
    QTableView* list = w.form().notesList();
    list->clearFocus();
    list->setFocus(); // the view makes a row current on focus
    // Nothing looks chosen while nothing is.
    QVERIFY(!w.form().IsSelected());
    QVERIFY(!list->currentIndex().isValid());

    QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(w.form().selectedRow(), 0);
    QCOMPARE(list->currentIndex().row(), 0);
    QTest::keyClick(list, Qt::Key_F9);
    QCOMPARE(w.model().notes().at(0).imageIndex, Note::ImageDone);

    // The keys go from note to note, never from cell to cell.
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(w.form().selectedRow(), rows - 1);
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(list->currentIndex(), w.model().index(rows - 1, 0));
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(w.form().selectedRow(), 0);
}

void TestMainForm::deleteSelection_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("selectedAfter");
    QTest::newRow("only") << 1 << 0 << QStringList{} << -1;
    QTest::newRow("last") << 3 << 2 << QStringList{"n0", "n1"} << 1;
    QTest::newRow("middle") << 3 << 1 << QStringList{"n0", "n2"} << 1;
    QTest::newRow("first") << 3 << 0 << QStringList{"n1", "n2"} << 0;
}

void TestMainForm::deleteSelection()
{
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(QStringList, left);
    QFETCH(int, selectedAfter);
    createForm();
    QList<Note> notes;
    for (int i = 0; i < rows; ++i)
        notes.append(makeNote(u"n%1"_s.arg(i), u"标准"_s, i == 0));
    w.seed(notes);
    w.form().selectRow(selected);
    QTest::keyClick(w.form().notesList(), Qt::Key_Delete);
    QCOMPARE(w.texts(), left);
    QCOMPARE(w.form().selectedRow(), selectedAfter);
    QCOMPARE(w.paneText(), selectedAfter < 0 ? QString() : left.at(selectedAfter));
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.panel(0), u"总计: %1"_s.arg(rows - 1));
    QCOMPARE(w.panel(1), u"完成: %1"_s.arg(selected == 0 ? 0 : 1));
}

void TestMainForm::moveUpAndDown()
{
    createForm();
    w.seed({makeNote(u"a"_s), makeNote(u"b\r\nbody"_s, u"高"_s, true), makeNote(u"c"_s)});
    w.form().selectRow(1);
    QTest::keyClick(w.form().notesList(), Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(w.texts(), (QStringList{"b\r\nbody", "a", "c"}));
    QCOMPARE(w.model().data(w.model().index(0, 0)).toString(), u"b"_s);
    QCOMPARE(w.model().note(0).priority, gb(u"高"_s));
    QCOMPARE(w.model().note(0).imageIndex, Note::ImageDone);
    QCOMPARE(w.form().selectedRow(), 0);
    QCOMPARE(w.paneText(), u"b\nbody"_s);
    QVERIFY(w.form().GetModified());

    QTest::keyClick(w.form().notesList(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(w.form().notesList(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(w.texts(), (QStringList{"a", "c", "b\r\nbody"}));
    QCOMPARE(w.form().selectedRow(), 2);
    QCOMPARE(w.panel(0), u"总计: 3"_s);
}

void TestMainForm::moveAtEdgesNotModifiedButAutoSaved_data()
{
    QTest::addColumn<bool>("up");
    QTest::newRow("up at the top") << true;
    QTest::newRow("down at the bottom") << false;
}

void TestMainForm::moveAtEdgesNotModifiedButAutoSaved()
{
    QFETCH(bool, up);
    const QString path = autoSavedDocument();
    QVERIFY(!path.isEmpty());
    w.seed({makeNote(u"a"), makeNote(u"b")});
    w.form().selectRow(up ? 0 : 1);
    w.act(up ? "NotesMoveUpCmd" : "NotesMoveDownCmd")->trigger();
    QCOMPARE(w.texts(), (QStringList{"a", "b"}));
    QVERIFY(!w.form().GetModified());
    QVERIFY(QFile::exists(path));
}

void TestMainForm::doneUndoneAndCounts()
{
    createForm();
    w.seed({makeNote(u"a"), makeNote(u"b")});
    w.form().CountNotes();
    QCOMPARE(w.panel(2), u"未完成: 2"_s);

    w.form().selectRow(1);
    QTest::keyClick(w.form().notesList(), Qt::Key_F9);
    QCOMPARE(w.model().note(1).imageIndex, Note::ImageDone);
    QCOMPARE(w.panel(1), u"完成: 1"_s);
    QCOMPARE(w.panel(2), u"未完成: 1"_s);
    QCOMPARE(w.panel(3), u"已修改"_s);
    QTest::keyClick(w.form().notesList(), Qt::Key_F9);
    QCOMPARE(w.model().note(1).imageIndex, Note::ImageNotDone);
    QCOMPARE(w.panel(1), u"完成: 0"_s);
    QCOMPARE(w.panel(2), u"未完成: 2"_s);
    QCOMPARE(w.form().selectedRow(), 1);
}

void TestMainForm::priorities_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("name");
    QTest::newRow("F5") << int(Qt::Key_F5) << u"低"_s;
    QTest::newRow("F6") << int(Qt::Key_F6) << u"标准"_s;
    QTest::newRow("F7") << int(Qt::Key_F7) << u"高"_s;
    QTest::newRow("F8") << int(Qt::Key_F8) << u"最高"_s;
}

void TestMainForm::priorities()
{
    QFETCH(int, key);
    QFETCH(QString, name);
    const QString path = autoSavedDocument();
    QVERIFY(!path.isEmpty());
    // Starting from the same priority: still a change.
    w.seed({makeNote(u"a"_s, name), makeNote(u"b"_s)});
    w.form().selectRow(0);
    QTest::keyClick(w.form().notesList(), Qt::Key(key));
    QCOMPARE(w.model().note(0).priority, gb(name));
    QCOMPARE(w.model().data(w.model().index(0, 1)).toString(), name);
    QCOMPARE(w.model().note(1).priority, gb(u"标准"_s));
    QVERIFY(QFile::exists(path)); // auto-saved, which also clears the modified mark
    QVERIFY(!w.form().GetModified());
}

void TestMainForm::commandsWithoutSelectionDoNothing_data()
{
    QTest::addColumn<QString>("command");
    for (const char* name : {"NotesEditCmd", "NotesDeleteCmd", "NotesMoveUpCmd", "NotesMoveDownCmd",
                             "NotesDoneUndoneCmd", "NotesSetLowPriorityCmd", "NotesSetMediumPriorityCmd",
                             "NotesSetHighPriorityCmd", "NotesSetVeryHighPriorityCmd"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestMainForm::commandsWithoutSelectionDoNothing()
{
    QFETCH(QString, command);
    const QString path = autoSavedDocument();
    QVERIFY(!path.isEmpty());
    w.seed({makeNote(u"a"_s, u"高"_s), makeNote(u"b"_s)});
    w.form().selectRow(-1);
    const QList<Note> before = w.model().notes();
    w.driver.onNextDialog([](QDialog* dialog) { dialog->reject(); });
    w.act(command.toLatin1().constData())->trigger();
    QVERIFY(!w.driver.seen());
    QCOMPARE(w.model().notes(), before);
    QVERIFY(!w.form().GetModified());
    QVERIFY(!QFile::exists(path));
}

// ---------------------------------------------------------------------------------------------------------
// Sorting and find

// ---------------------------------------------------------------------------------------------------------
// Undo and redo

void TestMainForm::undoRedoRestoreSelection_data()
{
    QTest::addColumn<int>("selected"); // the row the command acts on
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("selectedAfterRedo");
    QTest::newRow("delete") << 1 << int(Qt::Key_Delete) << 0 << u"删除"_s << 1;
    QTest::newRow("delete the last") << 2 << int(Qt::Key_Delete) << 0 << u"删除"_s << 1;
    QTest::newRow("move up") << 2 << int(Qt::Key_Up) << int(Qt::ControlModifier) << u"上移"_s << 1;
    QTest::newRow("move down") << 0 << int(Qt::Key_Down) << int(Qt::ControlModifier) << u"下移"_s << 1;
    QTest::newRow("done") << 1 << int(Qt::Key_F9) << 0 << u"完成/未完成"_s << 1;
    QTest::newRow("priority") << 2 << int(Qt::Key_F7) << 0 << u"设置高优先级"_s << 2;
}

// Undone and redone by its keys and from the menu, a command gives back its notes, counts, saved state and
// the selection of its note, with the note in the pane, whatever was selected meanwhile.
void TestMainForm::undoRedoRestoreSelection()
{
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, name);
    QFETCH(int, selectedAfterRedo);
    // Opened from its file: undone back to it, the document is as saved.
    const QString path = w.path(u"abc.qlt"_s);
    QVERIFY(writeFile(
        path, notesFile({makeNote(u"a"_s, u"低"_s, true), makeNote(u"b"_s), makeNote(u"c"_s, u"最高"_s)})));
    createForm();
    QCOMPARE(w.form().OpenFile(path, {}, false, false), TMainForm::OpenOutcome::Loaded);
    const QList<Note> before = w.model().notes();
    QAction* undo = w.act("NotesUndoCmd");
    QAction* redo = w.act("NotesRedoCmd");

    w.form().selectRow(selected);
    QTest::keyClick(w.form().notesList(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    const QList<Note> after = w.model().notes();
    QVERIFY(after != before);
    QVERIFY(undo->isEnabled());
    QCOMPARE(undo->toolTip(), u"撤销 "_s + name);
    QCOMPARE(undo->statusTip(), undo->toolTip());
    QVERIFY(!redo->isEnabled());
    QCOMPARE(redo->toolTip(), u"重做"_s);

    w.form().selectRow(-1);
    QTest::keyClick(w.form().notesList(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.model().notes(), before);
    QCOMPARE(w.form().selectedRow(), selected);
    QCOMPARE(w.paneText(), w.texts().at(selected));
    QCOMPARE(w.panel(0), u"总计: 3"_s);
    QCOMPARE(w.panel(1), u"完成: 1"_s);
    QCOMPARE(w.panel(3), QString());
    QVERIFY(!undo->isEnabled());
    QCOMPARE(undo->toolTip(), u"撤销"_s);
    QVERIFY(redo->isEnabled());
    QCOMPARE(redo->toolTip(), u"重做 "_s + name);

    for (const QKeyCombination redoKey : {Qt::CTRL | Qt::Key_Y, Qt::CTRL | Qt::SHIFT | Qt::Key_Z}) {
        w.form().selectRow(-1);
        QTest::keyClick(w.form().notesList(), redoKey.key(), redoKey.keyboardModifiers());
        QCOMPARE(w.model().notes(), after);
        QCOMPARE(w.form().selectedRow(), selectedAfterRedo);
        QCOMPARE(w.paneText(), w.texts().at(selectedAfterRedo));
        QCOMPARE(w.panel(3), u"已修改"_s);
        QVERIFY(!redo->isEnabled());
        undo->trigger();
        QCOMPARE(w.model().notes(), before);
    }
}

void TestMainForm::sortOrders_data()
{
    QTest::addColumn<bool>("byText");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QStringList>("order"); // empty: sorting an empty list
    QTest::newRow("text up") << true << true << true
                             << QStringList{"apple", "banana", "banana", "cherry", "date", "elder"};
    QTest::newRow("text down") << true << false << true
                               << QStringList{"elder", "date", "cherry", "banana", "banana", "apple"};
    QTest::newRow("priority up") << false << true << true
                                 << QStringList{"apple", "banana", "banana", "elder", "cherry", "date"};
    // Notes of one priority keep their order; a priority no file can hold is the sorter's own case.
    QTest::newRow("priority down") << false << false << true
                                   << QStringList{"cherry", "date", "elder", "banana", "banana", "apple"};
    QTest::newRow("cancelled") << false << false << false
                               << QStringList{"cherry", "apple", "date", "banana", "elder", "banana"};
    QTest::newRow("empty list") << true << true << true << QStringList();
}

void TestMainForm::sortOrders()
{
    QFETCH(bool, byText);
    QFETCH(bool, ascending);
    QFETCH(bool, confirm);
    QFETCH(QStringList, order);
    createForm();
    if (!order.isEmpty()) {
        w.seed({makeNote(u"cherry"_s, u"低"_s), makeNote(u"apple\r\nzzz"_s, u"最高"_s),
                makeNote(u"date"_s, u"低"_s), makeNote(u"banana\r\nfirst"_s, u"高"_s),
                makeNote(u"elder"_s, u"标准"_s), makeNote(u"banana\r\nsecond"_s, u"高"_s)});
        w.form().selectRow(2);
    }

    // A long sort shows that it is busy, and the cursor is the user's again once it is done.
    std::optional<Qt::CursorShape> cursorWhileSorting;
    const QMetaObject::Connection sorting =
        connect(&w.model(), &QAbstractItemModel::layoutAboutToBeChanged, this, [&] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            cursorWhileSorting = cursor ? cursor->shape() : Qt::ArrowCursor;
        });
    const auto disconnected = qScopeGuard([&] { disconnect(sorting); });
    bool freshDialog = false;
    w.driver.onNext<TSortForm>([&](TSortForm* form) {
        freshDialog = form->NoteText->isChecked() && form->Ascending->isChecked();
        // On the mark: a radio button takes clicks on its mark and its text only.
        const QPoint mark(6, 8);
        if (!byText)
            QTest::mouseClick(form->Priority, Qt::LeftButton, {}, mark);
        if (!ascending)
            QTest::mouseClick(form->Descending, Qt::LeftButton, {}, mark);
        QTest::mouseClick(confirm ? form->OkBtn : form->CancelBtn, Qt::LeftButton);
    });
    QTest::keyClick(w.form().notesList(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(w.driver.seen());
    QVERIFY(freshDialog);
    QCOMPARE(cursorWhileSorting, confirm ? std::optional(Qt::WaitCursor) : std::nullopt);
    QVERIFY(!QGuiApplication::overrideCursor());
    QStringList captions;
    for (int row = 0; row < w.model().rowCount(); ++row)
        captions.append(w.model().data(w.model().index(row, 0)).toString());
    QCOMPARE(captions, order);
    QCOMPARE(w.form().GetModified(), confirm);
    QCOMPARE(SharedSrc::LastTraceName(), u"TMainForm.GetModified"_s);
    QCOMPARE(w.panel(3), confirm ? u"已修改"_s : QString());
    if (order.isEmpty())
        return;
    // Equal captions keep their order: only the first lines are compared.
    QVERIFY(w.texts().indexOf(u"banana\r\nfirst"_s) < w.texts().indexOf(u"banana\r\nsecond"_s));
    // The selection stays with its note.
    QCOMPARE(AnsiText::toUnicode(w.model().note(w.form().selectedRow()).text), u"date"_s);
}

void TestMainForm::findSteppingOverTwoHitsThenMiss()
{
    createForm();
    w.seed({makeNote(u"zero"_s), makeNote(u"one"_s), makeNote(u"two\r\nthe key is here"_s),
            makeNote(u"three"_s), makeNote(u"four"_s, u"key"_s), makeNote(u"five KEY"_s),
            makeNote(u"钥匙"_s)});
    w.form().selectRow(6); // the search does not start at the selection

    QList<int> selections;
    QStringList buttonTexts;
    w.driver.onNext<TFindForm>([&](TFindForm* form) {
        QTest::keyClicks(form->FindText, u"key"_s);
        for (int click = 0; click < 3; ++click) {
            if (click == 2)
                MessageBox::setNextAnswers({QMessageBox::Ok});
            QTest::mouseClick(form->FindBtn, Qt::LeftButton);
            selections.append(w.form().selectedRow());
            buttonTexts.append(form->FindBtn->text());
        }
        QTest::mouseClick(form->CloseBtn, Qt::LeftButton);
    });
    QTest::keyClick(w.form().notesList(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(w.driver.seen());
    QCOMPARE(selections, (QList<int>{2, 5, 5}));
    QCOMPARE(buttonTexts, (QStringList{"查找下一个", "查找下一个", "查找下一个"}));
    takeOneBox(u"信息"_s, u"未找到文本。"_s, QMessageBox::Information);
    QCOMPARE(w.form().selectedRow(), 5);
    QCOMPARE(w.paneText(), u"five KEY"_s);
    QVERIFY(!w.form().GetModified());
}

// ---------------------------------------------------------------------------------------------------------
// Filter, hide done and dragging

namespace {

QStringList shownCaptions(const QTableView* list)
{
    QStringList captions;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        captions.append(list->model()->index(row, 0).data().toString());
    return captions;
}

// What the status bar says of the notes shown; empty while it says nothing of them.
QString shownCount(const TMainForm& form)
{
    const auto* panel = form.findChild<StatusPanel*>(u"StatusPanelShown"_s);
    return panel && panel->isVisible() ? panel->text() : QString();
}

} // namespace

void TestMainForm::filterAsYouType()
{
    createForm();
    w.seed({makeNote(u"zero"_s), makeNote(u"the KEY"_s), makeNote(u"two"_s), makeNote(u"keys\r\nbody"_s),
            makeNote(u"钥匙 key"_s), makeNote(u"Kéy"_s)});
    QTableView* list = w.form().notesList();
    auto* listPanel = w.form().findChild<QFrame*>(u"NotesListPanel"_s);
    const QRect panelBefore = listPanel->geometry();
    const int listHeight = list->height();
    w.form().selectRow(3);

    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* field = w.form().findChild<QLineEdit*>(u"FilterText"_s);
    QVERIFY(field && field->isVisible() && field->hasFocus());
    // The bar takes the top of the list's room.
    QCOMPARE(listPanel->geometry().bottom(), panelBefore.bottom());
    QVERIFY(listPanel->mapTo(&w.form(), QPoint(0, 0)).y() >=
            field->mapTo(&w.form(), QPoint(0, field->height())).y());
    QCOMPARE(list->height(), listPanel->height() - 3);
    QCOMPARE(shownCount(w.form()), u"显示: 6 / 6"_s);

    // At each key, and Latin letters in any case, as Find without match case.
    QTest::keyClicks(field, u"K"_s);
    QCOMPARE(shownCaptions(list), (QStringList{"the KEY", "keys", "钥匙 key", "Kéy"}));
    QTest::keyClicks(field, u"ey"_s);
    QCOMPARE(shownCaptions(list), (QStringList{"the KEY", "keys", "钥匙 key"}));
    QCOMPARE(shownCount(w.form()), u"显示: 3 / 6"_s);
    QCOMPARE(w.panel(0), u"总计: 6"_s);
    // The selected note stays selected and shown; commands act on it.
    QCOMPARE(w.form().selectedRow(), 3);
    QCOMPARE(w.paneText(), u"keys\nbody"_s);
    QTest::keyClick(field, Qt::Key_F9);
    QCOMPARE(w.model().note(3).imageIndex, Note::ImageDone);
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClicks(field, u"the "_s);
    QCOMPARE(shownCaptions(list), QStringList{"the KEY"});
    QCOMPARE(w.form().selectedRow(), -1);
    QCOMPARE(w.paneText(), QString());

    // Esc empties and closes it, and leaves the window open.
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(w.form().isVisible());
    QVERIFY(!field->isVisible());
    QCOMPARE(field->text(), QString());
    QCOMPARE(shownCaptions(list).size(), 6);
    QCOMPARE(listPanel->geometry(), panelBefore);
    QCOMPARE(list->height(), listHeight);
    QCOMPARE(shownCount(w.form()), QString());
    QVERIFY(list->hasFocus());
}

void TestMainForm::hideDone_data()
{
    QTest::addColumn<QString>("stored"); // "HideDone" in "General"; empty: none
    QTest::addColumn<bool>("on");
    QTest::newRow("missing") << QString() << false;
    QTest::newRow("1") << u"1"_s << true;
    QTest::newRow("0") << u"0"_s << false;
    QTest::newRow("true") << u"true"_s << false;
    QTest::newRow("yes") << u"yes"_s << false;
}

// The done notes leave the list, not the counts; the choice is kept in the settings.
void TestMainForm::hideDone()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    if (!stored.isEmpty())
        w.writeIni(u"General"_s, u"HideDone"_s, stored);
    createForm();
    w.seed({makeNote(u"a"_s), makeNote(u"b"_s, u"标准", true), makeNote(u"c key"_s),
            makeNote(u"d key"_s, u"标准", true)});
    QTableView* list = w.form().notesList();
    QAction* hide = w.act("ViewHideDoneCmd");
    const QStringList all{"a", "b", "c key", "d key"};
    const QStringList open{"a", "c key"};
    QCOMPARE(hide->isChecked(), on);
    QCOMPARE(shownCaptions(list), on ? open : all);
    QCOMPARE(shownCount(w.form()), on ? u"显示: 2 / 4"_s : QString());

    hide->trigger();
    QCOMPARE(shownCaptions(list), on ? all : open);
    QCOMPARE(shownCount(w.form()), on ? QString() : u"显示: 2 / 4"_s);
    QCOMPARE(w.panel(0), u"总计: 4"_s);
    QCOMPARE(w.panel(1), u"完成: 2"_s);
    QCOMPARE(w.panel(2), u"未完成: 2"_s);

    // With the filter.
    if (on)
        hide->trigger();
    w.act("ViewFilterCmd")->trigger();
    QTest::keyClicks(w.form().findChild<QLineEdit*>(u"FilterText"_s), u"key"_s);
    QCOMPARE(shownCaptions(list), QStringList{"c key"});
    QCOMPARE(shownCount(w.form()), u"显示: 1 / 4"_s);

    QVERIFY(w.form().close());
    QCOMPARE(IniFile(w.iniPath()).ReadString(u"General"_s, u"HideDone"_s, QString()), u"1"_s);
}

// Move up and down pass over the notes left out; sort, add, delete, find and undo keep to the notes shown.
void TestMainForm::commandsWhileFiltered()
{
    createForm();
    w.seed({makeNote(u"a key"_s), makeNote(u"b"_s), makeNote(u"c key"_s), makeNote(u"d"_s),
            makeNote(u"e key"_s)});
    QTableView* list = w.form().notesList();
    w.act("ViewFilterCmd")->trigger();
    QTest::keyClicks(w.form().findChild<QLineEdit*>(u"FilterText"_s), u"key"_s);
    w.form().selectRow(2);

    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(w.texts(), (QStringList{"c key", "b", "a key", "d", "e key"}));
    QCOMPARE(w.form().selectedRow(), 0);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(w.texts(), (QStringList{"a key", "b", "e key", "d", "c key"}));
    QCOMPARE(shownCaptions(list), (QStringList{"a key", "e key", "c key"}));
    QCOMPARE(w.form().selectedRow(), 4);
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.texts(), (QStringList{"a key", "b", "c key", "d", "e key"}));
    QCOMPARE(w.form().selectedRow(), 2);

    // A new note stays in view, below the selected one, though it does not match.
    addThroughDialog(u"new"_s);
    QCOMPARE(w.texts(), (QStringList{"a key", "b", "c key", "new", "d", "e key"}));
    QCOMPARE(shownCaptions(list), (QStringList{"a key", "c key", "new", "e key"}));
    QCOMPARE(w.form().selectedRow(), 3);
    QCOMPARE(shownCount(w.form()), u"显示: 4 / 6"_s);

    // The whole list is sorted; the same notes stay shown, the selection with its note.
    w.driver.onNext<TSortForm>([](TSortForm* form) {
        form->Descending->setChecked(true);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
    });
    // Closing the dialog hands the activation back to the window, which its keys need.
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(list, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(w.driver.seen());
    QCOMPARE(w.texts(), (QStringList{"new", "e key", "d", "c key", "b", "a key"}));
    QCOMPARE(shownCaptions(list), (QStringList{"new", "e key", "c key", "a key"}));
    QCOMPARE(w.form().selectedRow(), 0);

    // Delete selects the next note shown; find steps over the notes left out.
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(w.texts(), (QStringList{"e key", "d", "c key", "b", "a key"}));
    QCOMPARE(w.form().selectedRow(), 0);
    QCOMPARE(w.paneText(), u"e key"_s);
    QList<int> found;
    w.driver.onNext<TFindForm>([&](TFindForm* form) {
        QTest::keyClicks(form->FindText, u"b"_s);
        MessageBox::setNextAnswers({QMessageBox::Ok});
        QTest::mouseClick(form->FindBtn, Qt::LeftButton);
        form->FindText->setText(u"c"_s);
        QTest::mouseClick(form->FindBtn, Qt::LeftButton);
        found.append(w.form().selectedRow());
        QTest::mouseClick(form->CloseBtn, Qt::LeftButton);
    });
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(w.driver.seen());
    takeOneBox(u"信息"_s, u"未找到文本。"_s, QMessageBox::Information);
    QCOMPARE(found, QList<int>{2});
}

void TestMainForm::dragToReorder_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("row");           // dropped on this row's edge; -1: below the last row
    QTest::addColumn<bool>("below");        // on its lower edge
    QTest::addColumn<QString>("filter");    // "hide done", a filter text, or nothing
    QTest::addColumn<QStringList>("order"); // empty: refused
    QTest::newRow("down") << 0 << 1 << true << QString() << QStringList{"b", "a", "c", "d"};
    QTest::newRow("up to the top") << 3 << 0 << false << QString() << QStringList{"d", "a", "b", "c"};
    QTest::newRow("to the end") << 1 << -1 << false << QString() << QStringList{"a", "c", "d", "b"};
    QTest::newRow("filtered") << 0 << 0 << true << u"a"_s << QStringList();
    QTest::newRow("done hidden") << 0 << 1 << true << u"hide done"_s << QStringList();
}

// A note dropped between two rows lands there, as one step of the history, and is saved like a move.
void TestMainForm::dragToReorder()
{
    QFETCH(int, from);
    QFETCH(int, row);
    QFETCH(bool, below);
    QFETCH(QString, filter);
    QFETCH(QStringList, order);
    const QString path = autoSavedDocument();
    QVERIFY(!path.isEmpty());
    w.seed({makeNote(u"a"_s), makeNote(u"b"_s), makeNote(u"c"_s, u"标准", true), makeNote(u"d"_s)});
    if (filter == u"hide done")
        w.act("ViewHideDoneCmd")->trigger();
    else if (!filter.isEmpty()) {
        w.act("ViewFilterCmd")->trigger();
        QTest::keyClicks(w.form().findChild<QLineEdit*>(u"FilterText"_s), filter);
    }
    QTableView* list = w.form().notesList();
    w.form().selectRow(from);
    const QRect target = row < 0 ? QRect() : list->visualRect(list->model()->index(row, 0));
    const QPoint at = row < 0 ? QPoint(10, list->viewport()->height() - 2)
                              : QPoint(target.center().x(), below ? target.bottom() - 1 : target.top() + 1);
    const std::unique_ptr<QMimeData> data(static_cast<NotesListView*>(list)->noteData(from));
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list->viewport(), &enter);
    QCOMPARE(enter.isAccepted(), !order.isEmpty());
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list->viewport(), &move);
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(list->viewport(), &drop);

    const QStringList before{"a", "b", "c", "d"};
    QCOMPARE(w.texts(), order.isEmpty() ? before : order);
    QCOMPARE(QFile::exists(path), !order.isEmpty());
    if (order.isEmpty())
        return;
    QCOMPARE(w.texts().at(w.form().selectedRow()), before.at(from));
    QCOMPARE(w.act("NotesUndoCmd")->toolTip(), u"撤销 移动"_s);
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.texts(), before);
    QCOMPARE(w.form().selectedRow(), from);
}

// ---------------------------------------------------------------------------------------------------------
// View

void TestMainForm::themes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("theme");
    QTest::addColumn<bool>("edgeLines");
    for (const ThemeCommand& place : ThemeCommands)
        QTest::newRow(place.command) << QString::fromLatin1(place.command) << QString::fromLatin1(place.theme)
                                     << place.edgeLines;
}

void TestMainForm::themes()
{
    QFETCH(QString, command);
    QFETCH(QString, theme);
    QFETCH(bool, edgeLines);
    createForm();
    QCOMPARE(w.form().currentTheme(), u"Office11XP"_s); // no setting: the default
    w.act("ViewAthenThemeCmd")->trigger();              // lines off before the switch
    auto* menuDock = w.form().findChild<EdgeDock*>(u"MenuDock"_s);
    auto* toolbarDock = w.form().findChild<EdgeDock*>(u"ToolbarDock"_s);
    QCOMPARE(menuDock->edgeLines(), Qt::Edges());

    // Chosen as a user does, through the open menus, which the menu bar relays out afterwards.
    QAction* a = w.act(command.toLatin1().constData());
    auto* menuBar = w.form().findChild<QMenuBar*>(u"MainMenu"_s);
    QAction* viewItem = menuBar->actions().at(2);
    menuBar->setActiveAction(viewItem);
    QVERIFY(QTest::qWaitForWindowExposed(viewItem->menu()));
    QAction* themeItem = viewItem->menu()->actions().at(3);
    viewItem->menu()->setActiveAction(themeItem);
    QTest::keyClick(viewItem->menu(), Qt::Key_Right);
    QVERIFY(QTest::qWaitForWindowExposed(themeItem->menu()));
    themeItem->menu()->setActiveAction(a);
    QTest::keyClick(themeItem->menu(), Qt::Key_Return);
    QCOMPARE(w.form().currentTheme(), theme);
    QVERIFY(a->isChecked());
    int checked = 0;
    for (QAction* other : a->actionGroup()->actions())
        checked += other->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QCOMPARE(menuDock->edgeLines(), edgeLines ? (Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge) : Qt::Edges());
    QCOMPARE(toolbarDock->edgeLines(),
             edgeLines ? (Qt::BottomEdge | Qt::LeftEdge | Qt::RightEdge) : Qt::Edges());
    QCOMPARE(menuDock->styleSheet(), Themes::styleSheet(theme));
    // The menu bar keeps every menu in view, none pushed behind its overflow button.
    QTRY_VERIFY(!menuBar->actionGeometry(menuBar->actions().constLast()).isEmpty());
    for (QAction* menu : menuBar->actions())
        QVERIFY(menuBar->rect().contains(menuBar->actionGeometry(menu)));
    auto* overflow = menuBar->findChild<QToolButton*>(u"qt_menubar_ext_button"_s);
    QVERIFY(!overflow || !overflow->isVisible());

    QVERIFY(w.form().close());
    QCOMPARE(IniFile(w.path(u"Quillet.ini"_s)).ReadString(u"General"_s, u"Theme"_s, QString()), theme);
}

void TestMainForm::themeInWrongCaseFallsBack()
{
    for (const QString& stored : {u"office11xp"_s, u"default"_s, u"Bogus"_s}) {
        w.writeIni(u"General"_s, u"Theme"_s, stored);
        createForm();
        QCOMPARE(w.form().currentTheme(), u"Office11XP"_s);
        QVERIFY(w.act("ViewOffice2003ThemeCmd")->isChecked());
        QCOMPARE(w.form().findChild<EdgeDock*>(u"MenuDock"_s)->edgeLines(), Qt::Edges());
        QCOMPARE(w.form().findChild<EdgeDock*>(u"ToolbarDock"_s)->edgeLines(), Qt::Edges());
        QVERIFY(w.form().close());
        QCOMPARE(IniFile(w.path(u"Quillet.ini"_s)).ReadString(u"General"_s, u"Theme"_s, QString()),
                 u"Office11XP"_s);
    }
}

void TestMainForm::themeLooksDiffer()
{
    QStringList sheets;
    for (const ThemeCommand& place : ThemeCommands) {
        const QString name = QString::fromLatin1(place.theme);
        QVERIFY(Themes::indexOf(name) >= 0);
        const QString sheet = Themes::styleSheet(name);
        QVERIFY(!sheet.isEmpty());
        QVERIFY2(!sheets.contains(sheet), qPrintable(name));
        sheets.append(sheet);
    }
    QCOMPARE(Themes::indexOf(u"office11xp"_s), -1);
    QVERIFY(Themes::styleSheet(u"office11xp"_s).isEmpty());

    // The bars really look different, not just carry another sheet.
    createForm();
    auto* toolbar = w.form().findChild<QToolBar*>(u"Toolbar"_s);
    w.act("ViewNexosThemeCmd")->trigger();
    const QImage nexos = toolbar->grab().toImage();
    w.act("ViewRomaThemeCmd")->trigger();
    const QImage roma = toolbar->grab().toImage();
    QVERIFY(nexos != roma);
}

void TestMainForm::gridLinesToggledTwice()
{
    w.writeIni(u"General"_s, u"GridLines"_s, u"1"_s);
    createForm();
    w.seed({makeNote(u"a"), makeNote(u"b")});
    QAction* grid = w.act("ViewShowGridLinesCmd");
    QVERIFY(grid->isChecked());
    QVERIFY(w.form().gridLines());
    QWidget* viewport = w.form().notesList()->viewport();
    const QImage withLines = viewport->grab().toImage();

    QTest::keyClick(w.form().notesList(), Qt::Key_G, Qt::ControlModifier);
    QVERIFY(!w.form().gridLines());
    QCOMPARE(grid->isChecked(), w.form().gridLines());
    QVERIFY(viewport->grab().toImage() != withLines);

    QTest::keyClick(w.form().notesList(), Qt::Key_G, Qt::ControlModifier);
    QVERIFY(w.form().gridLines());
    QCOMPARE(grid->isChecked(), w.form().gridLines());
    QCOMPARE(viewport->grab().toImage(), withLines);
    // Nothing is written before the window closes.
    QVERIFY(!w.iniText().contains("Theme"_L1));
}

void TestMainForm::statusBarTexts()
{
    createForm();
    QCOMPARE(w.panel(0), u"总计: 0"_s);
    QCOMPARE(w.panel(1), u"完成: 0"_s);
    QCOMPARE(w.panel(2), u"未完成: 0"_s);
    QCOMPARE(w.panel(3), QString());
    QCOMPARE(w.panel(5), QString());
    auto* status = w.form().findChild<QStatusBar*>(u"StatusBar"_s);
    QCOMPARE(w.form().statusPanel(5)->x() + w.form().statusPanel(5)->width(), status->width());

    QVERIFY(QDir(w.dir()).mkpath(u"sub"_s));
    const QString path = w.path(u"sub/list.qlt"_s);
    w.seed({makeNote(u"a"_s, u"高"_s, true)});
    givePassword(w.form(), "secret");
    w.form().SaveFile(path);
    const QString folder = QDir::toNativeSeparators(w.path(u"sub"_s)) + QDir::separator();
    QCOMPARE(w.panel(5), folder);
    QCOMPARE(w.form().statusPanel(5)->toolTip(), folder);
    QVERIFY(w.form().statusPanel(4)->hasIcon());
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - list.qlt"_s);
    QCOMPARE(w.panel(3), QString());

    QTest::keyClick(w.form().notesList(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54"_s);
    QCOMPARE(w.panel(5), QString());
    QVERIFY(!w.form().statusPanel(4)->hasIcon());
    QCOMPARE(w.panel(0), u"总计: 0"_s);
    QCOMPARE(w.paneText(), QString());

    // Long lists keep their counts whole.
    w.seed(QList<Note>(12345, makeNote(u"n"_s, u"低"_s, true)) + QList<Note>(10000, makeNote(u"m"_s)));
    QCOMPARE(w.panel(2), u"未完成: 10000"_s);
    for (int i = 0; i < 3; ++i)
        QVERIFY(w.form().statusPanel(i)->width() >= w.form().statusPanel(i)->fittingWidth(w.panel(i)));
    QCOMPARE(w.form().statusPanel(5)->x() + w.form().statusPanel(5)->width(), status->width());

    // Menu items show no hints: hovering one leaves the panels as they are.
    QMenu* fileMenu = w.form().findChild<QMenuBar*>(u"MainMenu"_s)->actions().at(0)->menu();
    fileMenu->popup(w.form().mapToGlobal(QPoint(0, 0)));
    QVERIFY(QTest::qWaitForWindowExposed(fileMenu));
    QTest::mouseMove(fileMenu, fileMenu->actionGeometry(w.act("FileOpenCmd")).center());
    QTRY_COMPARE(fileMenu->activeAction(), w.act("FileOpenCmd"));
    QCOMPARE(status->currentMessage(), QString());
    QVERIFY(w.form().statusPanel(0)->isVisible());
    fileMenu->close();
}

void TestMainForm::notePanePopup()
{
    createForm();
    auto* copy = w.form().findChild<QAction*>(u"NoteTextCopyCmd"_s);
    auto* selectAll = w.form().findChild<QAction*>(u"NoteTextSelectAllCmd"_s);
    QVERIFY(copy && selectAll);
    QCOMPARE(copy->text(), u"复制(&C)"_s);
    QCOMPARE(selectAll->text(), u"全选(&A)"_s);
    w.form().NoteTextPopupPopup();
    QVERIFY(!copy->isEnabled());
    QVERIFY(selectAll->isEnabled());

    w.seed({makeNote(u"line one\r\nline two"_s)});
    w.form().selectRow(0);
    w.form().NoteTextPopupPopup();
    QVERIFY(!copy->isEnabled());
    selectAll->trigger();
    w.form().NoteTextPopupPopup();
    QVERIFY(copy->isEnabled());
    copy->trigger();
    QCOMPARE(QApplication::clipboard()->text(), u"line one\nline two"_s);
}

// ---------------------------------------------------------------------------------------------------------
// Life cycle

void TestMainForm::settingsWrittenAtCloseInOrder()
{
    // A gap in the recent list closes up; the last file goes when no file is open.
    w.writeIni(u"MRU"_s, u"MRU2"_s, u"/x/one.qlt"_s);
    createForm();
    QCOMPARE(w.form().MRUList(), QStringList{"/x/one.qlt"});
    QTest::keyClick(w.form().notesList(), Qt::Key_G, Qt::ControlModifier);
    QVERIFY(w.form().close());
    const QString text = w.iniText();
    const qsizetype mru = text.indexOf("MRU1=/x/one.qlt"_L1);
    const qsizetype grid = text.indexOf("GridLines=1"_L1);
    const qsizetype theme = text.indexOf("Theme=Office11XP"_L1);
    QVERIFY2(mru >= 0 && grid > mru && theme > grid, qPrintable(text));
    QVERIFY(!text.contains("MRU2"_L1));
    QVERIFY(!text.contains("LastFile"_L1));

    // An empty list erases the whole section; an open file is remembered.
    w.writeIni(u"General"_s, u"LastFile"_s, u"/old.qlt"_s);
    createForm();
    w.act("FileClearRecentList")->trigger();
    QVERIFY(w.form().close());
    QVERIFY(!w.iniText().contains("[MRU]"_L1));
    QVERIFY(!w.iniText().contains("LastFile"_L1));

    createForm();
    const QString path = QDir::toNativeSeparators(w.path(u"kept.qlt"_s));
    w.form().SaveFile(path);
    QVERIFY(w.form().close());
    IniFile ini(w.path(u"Quillet.ini"_s));
    QCOMPARE(ini.ReadString(u"General"_s, u"LastFile"_s, QString()), path);
    QCOMPARE(ini.ReadString(u"MRU"_s, u"MRU1"_s, QString()), path);
    // Grid lines were switched on in the first run and stay so.
    QCOMPARE(ini.ReadString(u"General"_s, u"GridLines"_s, QString()), u"1"_s);

#ifndef Q_OS_WIN // where no file name holds a line break
    // A name the settings file cannot hold is left out, silently; everything else is written.
    createForm();
    w.form().SaveFile(w.path(u"line\nbreak.qlt"_s));
    QTest::keyClick(w.form().notesList(), Qt::Key_G, Qt::ControlModifier);
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QVERIFY(w.form().close());
    QCOMPARE(MessageBox::takeShown().size(), 0);
    QCOMPARE(ini.ReadString(u"MRU"_s, u"MRU1"_s, QString()), path);
    QCOMPARE(ini.ReadString(u"MRU"_s, u"MRU2"_s, QString()), QString());
    QCOMPARE(ini.ReadString(u"General"_s, u"LastFile"_s, QString()), QString());
    QCOMPARE(ini.ReadString(u"General"_s, u"GridLines"_s, QString()), u"0"_s);
#endif
}

void TestMainForm::closeQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveAsAccepted");
    QTest::addColumn<bool>("closes");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
    QTest::newRow("no") << int(QMessageBox::No) << false << true;
    QTest::newRow("yes, saved") << int(QMessageBox::Yes) << true << true;
    QTest::newRow("yes, save as cancelled") << int(QMessageBox::Yes) << false << false;
}

void TestMainForm::closeQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, saveAsAccepted);
    QFETCH(bool, closes);
    createForm();
    w.seed({makeNote(u"unsaved"_s)});
    w.form().SetModified(true);
    const QString path = w.path(u"answer"_s);
    MessageBox::setNextAnswers({QMessageBox::StandardButton(answer)});
    FileDialog::setNextResults({FileDialog::Result{saveAsAccepted, path, 1}});
    QCOMPARE(w.form().close(), closes);
    QCOMPARE(w.form().isVisible(), !closes);
    takeOneBox(u"确认"_s, u"保存更改吗?"_s, QMessageBox::Question,
               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(FileDialog::takeShownTitles().size(), answer == QMessageBox::Yes ? 1 : 0);
    QCOMPARE(QFile::exists(path + ".qlt"_L1), saveAsAccepted);
    QCOMPARE(w.iniText().contains("Theme="_L1), closes);
}

void TestMainForm::settingsWriteFailureStillCloses_data()
{
    QTest::addColumn<QString>("planted"); // what stands where the settings file should be
    QTest::newRow("folder") << "folder";
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("link to /dev/zero") << "/dev/zero";
    QTest::newRow("link to another settings file") << "other.ini";
#endif
}

// Every write fails; nothing is read either (a pipe would hold the window up, a device never end), so
// the window starts with the defaults.
void TestMainForm::settingsWriteFailureStillCloses()
{
    QFETCH(QString, planted);
    const QString ini = w.path(u"Quillet.ini"_s);
    const QByteArray other = "[General]\r\nGridLines=1\r\n";
    QFile otherFile(w.path(u"other.ini"_s));
    QVERIFY(otherFile.open(QIODevice::WriteOnly) && otherFile.write(other) == other.size());
    otherFile.close();
    if (planted == u"folder")
        QVERIFY(QDir(w.dir()).mkdir(u"Quillet.ini"_s));
#ifdef Q_OS_UNIX
    else if (planted == u"pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    else {
        QVERIFY(QFile::link(planted.startsWith(u'/') ? planted : w.path(planted), ini));
        // Where others may write too: only a link in the user's private folder is followed.
        QVERIFY(QFile::setPermissions(w.dir(), QFile::permissions(w.dir()) | QFile::WriteGroup));
    }
#endif
    createForm();
    QVERIFY(!w.act("ViewShowGridLinesCmd")->isChecked());
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QVERIFY(w.form().close());
    QVERIFY(!w.form().isVisible());
    takeOneBox(u"发现错误"_s);
    const QString text = w.errorLog();
    QCOMPARE(text.count("Class name: "_L1), 1);
    QVERIFY(text.contains("Class name: IniWriteError"_L1));
    QVERIFY(text.contains(u"Error message: 无法写入 "_s + ini));
    QCOMPARE(otherFile.open(QIODevice::ReadOnly) ? otherFile.readAll() : QByteArray(), other);
}

void TestMainForm::invalidColourReported()
{
    w.writeIni(u"NotesListText"_s, u"ForeColor"_s, u"255"_s);
    w.writeIni(u"NoteText"_s, u"ForeColor"_s, u"0x12345678"_s);
    MessageBox::setNextAnswers({QMessageBox::Ok});
    createForm();
    takeOneBox(u"错误"_s, u"字体颜色设置无效。"_s, QMessageBox::Critical);
    // What came before the bad value stays applied.
    QCOMPARE(w.form().notesList()->palette().color(QPalette::Base), QColor(255, 0, 0));
    QCOMPARE(w.form().AddEditColor(), QColor(Qt::white));

    // Good values: no message, every colour applied.
    w.writeIni(u"NoteText"_s, u"ForeColor"_s, u"$00FF00"_s);
    w.writeIni(u"AddEditText"_s, u"ForeColor"_s, u"16711680"_s);
    createForm();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(w.form().findChild<QPlainTextEdit*>(u"NoteText"_s)->palette().color(QPalette::Base),
             QColor(0, 255, 0));
    QCOMPARE(w.form().AddEditColor(), QColor(0, 0, 255));
}

void TestMainForm::debugSwitch()
{
    const QString debugLog = w.path(u"qltdbg.dat"_s);
    const auto makeLog = [&] {
        QFile file(debugLog);
        return file.open(QIODevice::WriteOnly) && file.write("old\r\n") == 5;
    };

    // Without the switch the old log stays and the file is opened: missing here, which is said.
    QVERIFY(makeLog());
    MessageBox::setNextAnswers({QMessageBox::Ok});
    createForm({u"notes.qlt"_s});
    QVERIFY(QFile::exists(debugLog));
    const MessageBox::Shown missing = takeOneBox();
    QVERIFY(missing.text.startsWith(u"文件不存在:\r"_s));

    // With it, in any position and letter case, the log is started afresh and the box comes once.
    MessageBox::setNextAnswers({QMessageBox::Ok, QMessageBox::Ok});
    createForm({u"notes.qlt"_s, u"/DEBUG"_s});
    QVERIFY(!QFile::exists(debugLog));
    takeOneBox(u"Information"_s, u"Quillet in debug mode."_s, QMessageBox::Information, QMessageBox::Ok);
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QVERIFY(MessageBox::takeShown().isEmpty());
    MessageBox::setNextAnswers({});

    // With "minimize" as well it starts as without arguments.
    createForm({u"-debug"_s, u"-Minimize"_s});
    QVERIFY(MessageBox::takeShown().isEmpty());
}

void TestMainForm::startupBoxesOverTheWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("caption");
    QTest::newRow("debug box") << QStringList{"-debug"} << u"Information"_s;
    QTest::newRow("error without an owner") << QStringList{"missing.qlt"} << u"错误"_s;
}

// Real boxes: a compositor places a box over the window only when the window owns it, and title bars cut
// a caption wider than the box.
void TestMainForm::startupBoxesOverTheWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, caption);
    QWidget* owner = nullptr;
    QString title;
    int width = 0;
    w.driver.onNextDialog([&](QDialog* box) {
        owner = box->parentWidget();
        title = box->windowTitle();
        width = box->width();
        box->accept();
    });
    w.createForm(arguments);
    QTRY_VERIFY(w.driver.seen());
    QCOMPARE(owner, &w.form());
    QCOMPARE(title, caption);
    QVERIFY2(width >= TitleWidth::windowWidthFor(caption), qPrintable(QString::number(width)));
}

void TestMainForm::helpFileMissing()
{
    createForm();
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::keyClick(w.form().notesList(), Qt::Key_F1);
    takeOneBox(u"错误"_s, u"未能显示帮助文件。请重新安装该程序。"_s);
}

void TestMainForm::exceptionInHandlerIsReportedOnce()
{
    createForm();
    w.seed({makeNote(u"a"_s)});
    w.form().selectRow(0);
    // A further handler of the command, run as every command is.
    connect(w.act("NotesDoneUndoneCmd"), &QAction::triggered, &w.form(),
            Guarded::slot([] { throw std::runtime_error("broken handler"); }));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::keyClick(w.form().notesList(), Qt::Key_F9);
    const QString lastTrace = SharedSrc::LastTraceName();

    const MessageBox::Shown shown = takeOneBox(u"发现错误"_s, {}, QMessageBox::Critical);
    const QString logPath = AppPaths::errorLogPath();
    QCOMPARE(shown.text, u"抱歉，程序中存在错误。\n错误日志已被保存到 \""_s + logPath +
                             u"\"\n请发送该文件到 "_s + QLatin1String(Quillet::ContactEmail) +
                             u" 并且该问题将会被修复。"_s);
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = AnsiText::toUnicode(log.readAll());
    QCOMPARE(text.count("Class name: "_L1), 1);
    QVERIFY(text.contains("Class name: std::runtime_error\r\n"_L1));
    QVERIFY(text.contains("Error message: broken handler\r\n"_L1));
    QVERIFY(text.contains("Function: "_L1 + lastTrace + "\r\n"_L1));

    // The program goes on: the handler's own work was done, and commands still run.
    QCOMPARE(w.model().note(0).imageIndex, Note::ImageDone);
    QVERIFY(w.form().isVisible());
    addThroughDialog(u"after"_s);
    QCOMPARE(w.texts(), (QStringList{"a", "after"}));
}

// ---------------------------------------------------------------------------------------------------------
// Screen readers and the keyboard

void TestMainForm::everyWindowReadAloud_data()
{
    QTest::addColumn<int>("window");
    const QList<WindowMaker> windows = everyWindow();
    for (int i = 0; i < windows.size(); ++i)
        QTest::newRow(windows.at(i).name) << i;
}

// Every control has a name that says what it is, and no access key serves two controls; Qt's own
// font chooser in the font dialog with its Chinese texts.
void TestMainForm::everyWindowReadAloud()
{
    QFETCH(int, window);
    QVERIFY(QtTranslation::install());
    createForm();
    QWidget* shown = everyWindow().at(window).make(w.form());
    const std::unique_ptr<QWidget> dialog(shown == &w.form() ? nullptr : shown);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    const QStringList faults = accessibilityFaults(shown);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    const QStringList repeats = repeatedAccessKeys(shown);
    QVERIFY2(repeats.isEmpty(), qPrintable(repeats.join(u'\n')));
}

void TestMainForm::notesListSpeaksEachNote()
{
    createForm();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w.form().notesList());
    QVERIFY(list && list->tableInterface());
    QCOMPARE(list->text(QAccessible::Name), u"记事本列表"_s);
    QCOMPARE(list->text(QAccessible::Description), u"列表中没有记事本"_s);

    w.seed({makeNote(u"open task"), makeNote(u"finished task", u"最高", true)});
    QCOMPARE(list->text(QAccessible::Description), QString());
    const auto cell = [list](int row, int column) { return list->tableInterface()->cellAt(row, column); };
    QCOMPARE(cell(0, 0)->text(QAccessible::Name), u"open task"_s);
    QCOMPARE(cell(0, 0)->text(QAccessible::Description), u"优先级: 标准, 未完成"_s);
    QCOMPARE(cell(1, 0)->text(QAccessible::Name), u"finished task"_s);
    QCOMPARE(cell(1, 1)->text(QAccessible::Description), u"优先级: 最高, 已完成"_s);

    w.act("NotesDoneUndoneCmd")->trigger(); // no row selected: nothing changes
    w.form().notesList()->selectRow(0);
    w.act("NotesDoneUndoneCmd")->trigger();
    QCOMPARE(cell(0, 0)->text(QAccessible::Description), u"优先级: 标准, 已完成"_s);
    MessageBox::setNextAnswers({QMessageBox::No}); // not saved
    w.act("FileNewCmd")->trigger();
    QCOMPARE(list->text(QAccessible::Description), u"列表中没有记事本"_s);
}

void TestMainForm::keyboardReachesAndShowsFocus_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("notes list without a current row") << u"NotesList"_s;
    QTest::newRow("toolbar open button") << u"ToolbarOpenCmd"_s;
    QTest::newRow("status bar folder") << u"StatusPanel5"_s;
}

// Tab reaches the control, which then looks focused.
void TestMainForm::keyboardReachesAndShowsFocus()
{
    QFETCH(QString, target);
    createForm();
    w.seed({makeNote(u"a"), makeNote(u"b")});
    w.form().notesList()->selectionModel()->clear();
    auto* widget = w.form().findChild<QWidget*>(target);
    QVERIFY(widget);
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    w.form().findChild<QWidget*>(u"NoteText"_s)->setFocus();
    const QImage unfocused = widget->grab().toImage();
    for (int tab = 0; tab < 30 && QApplication::focusWidget() != widget; ++tab)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), widget);
    QVERIFY(widget->grab().toImage() != unfocused);
}

QTEST_MAIN(TestMainForm)

void TestMainForm::qtOwnTextsInChinese()
{
    QVERIFY(QtTranslation::install());
    createForm();
    // What each of Qt's own dialogs says: its title, its labels and buttons.
    const auto textsOfNextDialog = [this](QStringList& texts) {
        w.driver.onNextDialog([&texts](QDialog* dialog) {
            texts.append(dialog->windowTitle());
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                texts.append(label->text());
            for (const QAbstractButton* button : dialog->findChildren<QPushButton*>())
                texts.append(button->text());
            dialog->reject();
        });
    };
    QStringList box;
    textsOfNextDialog(box);
    MessageBox::show(&w.form(), QMessageBox::Question, u"确认"_s, u"保存更改吗?"_s,
                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    for (const QString& text : {u"是(&Y)"_s, u"否(&N)"_s, u"取消"_s})
        QVERIFY2(box.contains(text), qPrintable(box.join(u' ')));

    QStringList file;
    textsOfNextDialog(file);
    FileDialog::getOpenFileName(&w.form(), u"打开"_s, {u"所有文件 (*)"_s});
    for (const QString& text : {u"查找范围："_s, u"文件名称(&N)："_s, u"文件类型："_s, u"打开(&O)"_s})
        QVERIFY2(file.contains(text), qPrintable(file.join(u' ')));

    QStringList font;
    textsOfNextDialog(font);
    bool chosen = false;
    QFontDialog::getFont(&chosen, &w.form());
    QCOMPARE(font.value(0), u"选择字体"_s);
    QStringList colour;
    textsOfNextDialog(colour);
    QColorDialog::getColor(Qt::white, &w.form());
    QCOMPARE(colour.value(0), u"选择颜色"_s);
}

#include "tst_mainform.moc"
