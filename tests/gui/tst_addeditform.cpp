#include "DialogLayout.h"
#include "TestFiles.h"
#include "TestNotesHost.h"
#include "TypeText.h"

#include "forms/AddEditFormU.h"

#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/TextFile.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

bool isWholeTextSelected(const QPlainTextEdit* edit)
{
    const QTextCursor cursor = edit->textCursor();
    return cursor.selectionStart() == 0 && cursor.selectionEnd() == edit->document()->characterCount() - 1;
}

QString replaceQuestion(const QString& path)
{
    return QDir::toNativeSeparators(path) + u" 已经存在。\n\r你想要替换它吗?"_s;
}

} // namespace

class TestAddEditForm : public HostedDialogTest
{
    Q_OBJECT

public:
    TestAddEditForm()
        : HostedDialogTest({makeNote(u"第一\r\n正文", u"低"), makeNote(u"second", u"高", true),
                            makeNote(u"third", u"最高")})
    {}

private Q_SLOTS:
    void layout();
    void contextMenuItems();
    void addModeStartsEmptyAtStandardPriority();

    void add_data();
    void add();
    void editRewritesTheRow();
    void textKeepsLineBreaksAndCharacters();
    void longLinesEditedWhole_data();
    void longLinesEditedWhole();

    void cancelLeavesEverything_data();
    void cancelLeavesEverything();

    void selectAllKeys_data();
    void selectAllKeys();
    void contextMenuStates();
    void contextMenuActions();

    void saveExtension_data();
    void saveExtension();
    void saveReplaceQuestion_data();
    void saveReplaceQuestion();
    void saveFailureKeepsDialogOpen();
    void openLoadsFileText_data();
    void openLoadsFileText();
    void openFailure_data();
    void openFailure();

    void withDefaultExtension_data();
    void withDefaultExtension();

    void realFileDialogSavesTypedName();
    void realFileDialogReportsTheFilter();
    void realMessageBoxForReplaceQuestion();
    void realErrorMessage();
    void realMessageBoxEscapeAnswer_data();
    void realMessageBoxEscapeAnswer();
};

void TestAddEditForm::layout()
{
    TAddEditForm form(*host);
    verifyFixedDialog(form, QString(), QSize(389, 311), host.get()); // titled by Add and Edit
    verifyWidgets(form, {{"Panel1", QRect(16, 32, 359, 177)},
                         {"GroupBox1", QRect(16, 216, 359, 57), u" 选项 "_s},
                         {"OkBtn", QRect(), u"确定(&O)"_s},
                         {"CancelBtn", QRect(), u"取消(&C)"_s},
                         {"NoteDone", QRect(), u"完成"_s},
                         {"NoteText", QRect()}});
    QCOMPARE(form.NotePriority->width(), 125);
    QCOMPARE((QList<int>{form.OpenBtn->x(), form.SaveBtn->x(), form.OkBtn->x(), form.CancelBtn->x()}),
             (QList<int>{16, 46, 219, 299}));
    QVERIFY(form.findChild<QMenu*>(u"NoteTextMenu"_s));
    QVERIFY(form.Panel1->geometry().contains(form.NoteText->geometry().translated(form.Panel1->pos())));
    QVERIFY(form.OkBtn->isDefault());
    QCOMPARE(form.OpenBtn->toolTip(), u"从文件打开"_s);
    QCOMPARE(form.SaveBtn->toolTip(), u"保存到文件"_s);
    QCOMPARE(form.Label1->buddy(), form.NoteText);
    QCOMPARE(form.Label2->buddy(), form.NotePriority);

    QCOMPARE(form.NotePriority->count(), 4);
    const QStringList names{u"低"_s, u"标准"_s, u"高"_s, u"最高"_s};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(form.NotePriority->itemText(i), names.at(i));
    QVERIFY(!form.NotePriority->isEditable());

    QCOMPARE(form.NoteText->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(form.NoteText->tabChangesFocus());
    QCOMPARE(form.NoteText->font(), host->addEditFont);
    QCOMPARE(form.NoteText->palette().color(QPalette::Base), host->addEditColor);

    // Tab order: text box, priority, done, open, save, OK, cancel.
    QList<QWidget*> chain;
    QWidget* widget = form.NoteText;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form.NoteText);
    const QList<QWidget*> expected{form.NoteText, form.NotePriority, form.NoteDone, form.OpenBtn,
                                   form.SaveBtn,  form.OkBtn,        form.CancelBtn};
    QCOMPARE(chain.mid(0, expected.size()), expected);
}

void TestAddEditForm::contextMenuItems()
{
    TAddEditForm form(*host);
    QCOMPARE(form.NoteText->contextMenuPolicy(), Qt::CustomContextMenu);
    const QList<QAction*> actions = form.NoteTextMenu->actions();
    QCOMPARE(actions.size(), 8);
    const QList<QPair<const char*, QString>> items{{"NoteTextUndo", u"撤销(&U)"_s},
                                                   {nullptr, {}},
                                                   {"NoteTextCut", u"剪切(&T)"_s},
                                                   {"NoteTextCopy", u"复制(&C)"_s},
                                                   {"NoteTextPaste", u"粘贴(&P)"_s},
                                                   {"NoteTextDelete", u"删除(&D)"_s},
                                                   {nullptr, {}},
                                                   {"NoteTextSelectAll", u"全选(&A)"_s}};
    for (int i = 0; i < items.size(); ++i) {
        if (!items.at(i).first) {
            QVERIFY(actions.at(i)->isSeparator());
            continue;
        }
        QCOMPARE(actions.at(i)->objectName(), QLatin1String(items.at(i).first));
        QCOMPARE(actions.at(i)->text(), items.at(i).second);
    }
}

void TestAddEditForm::addModeStartsEmptyAtStandardPriority()
{
    TAddEditForm form(*host);
    QCOMPARE(form.NotePriority->currentIndex(), 0); // the list's own first entry until add mode sets it
    bool checked = false;
    whenModalShown([&](QWidget* dialog) {
        QCOMPARE(dialog, &form);
        QCOMPARE(form.windowTitle(), u"添加新记事本"_s);
        QCOMPARE(form.windowIcon().cacheKey(), host->images.at(7).cacheKey());
        QVERIFY(form.NoteText->toPlainText().isEmpty());
        QCOMPARE(form.NotePriority->currentText(), u"标准"_s);
        QVERIFY(!form.NoteDone->isChecked());
        QTRY_COMPARE(QApplication::focusWidget(), form.NoteText);
        checked = true;
        form.CancelBtn->click();
    });
    QCOMPARE(form.AddExecute(3), int(QDialog::Rejected));
    QVERIFY(checked);
    QCOMPARE(form.TargetIndex, 3);
}

void TestAddEditForm::add_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("priority"); // set in the dialog; -1 keeps what add mode starts with
    QTest::addColumn<bool>("done");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("priorityName");
    const QString first = u"第一\r\n正文"_s;
    QTest::newRow("at the end") << -1 << 3 << u"Buy milk\nand bread"_s << 3 << true
                                << QStringList{first, u"second"_s, u"third"_s, u"Buy milk\r\nand bread"_s}
                                << u"最高"_s;
    QTest::newRow("below the selection")
        << 0 << 1 << u"新的记事本"_s << -1 << false
        << QStringList{first, u"新的记事本"_s, u"second"_s, u"third"_s} << u"标准"_s;
    QTest::newRow("empty text") << -1 << 0 << QString() << -1 << false
                                << QStringList{QString(), first, u"second"_s, u"third"_s} << u"标准"_s;
}

void TestAddEditForm::add()
{
    QFETCH(int, selected);
    QFETCH(int, target);
    QFETCH(QString, typed);
    QFETCH(int, priority);
    QFETCH(bool, done);
    QFETCH(QStringList, texts);
    QFETCH(QString, priorityName);

    host->selectRow(selected);
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        typeText(form.NoteText, typed); // Return in the box breaks the line and leaves the dialog open
        if (priority >= 0)
            form.NotePriority->setCurrentIndex(priority);
        form.NoteDone->setChecked(done);
        QTest::keyClick(form.OkBtn, Qt::Key_Space);
    });
    QCOMPARE(form.AddExecute(target), int(QDialog::Accepted));

    QCOMPARE(host->texts(), texts);
    const Note& added = host->model.note(target);
    QCOMPARE(added.text, gb(texts.at(target)));
    QCOMPARE(added.priority, gb(priorityName));
    QCOMPARE(added.imageIndex, done ? Note::ImageDone : Note::ImageNotDone);
    QCOMPARE(host->model.index(target, 0).data().toString(), typed.section(u'\n', 0, 0));
    QCOMPARE(host->selectedRow(), target);
    QCOMPARE(host->list->currentIndex().row(), target);
    QVERIFY(host->modified);
    QCOMPARE(host->countNotesCalls, 1);
    QCOMPARE(host->counts.total, 4);
    QCOMPARE(host->counts.done, done ? 2 : 1);
    QCOMPARE(host->counts.notDone, done ? 2 : 3);
}

void TestAddEditForm::editRewritesTheRow()
{
    host->selectRow(0);
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        QCOMPARE(form.windowTitle(), u"编辑记事本 [第一]"_s);
        QCOMPARE(form.windowIcon().cacheKey(), host->images.at(8).cacheKey());
        QCOMPARE(form.NoteText->toPlainText(), u"第一\n正文"_s);
        QCOMPARE(form.NotePriority->currentText(), u"低"_s);
        QVERIFY(!form.NoteDone->isChecked());
        QTRY_COMPARE(QApplication::focusWidget(), form.NoteText);
        form.NoteText->moveCursor(QTextCursor::End);
        QTest::keyClicks(form.NoteText, u" more"_s);
        form.NotePriority->setCurrentIndex(2);
        form.NoteDone->setChecked(true);
        form.OkBtn->click();
    });
    QCOMPARE(form.EditExecute(0), int(QDialog::Accepted));

    QCOMPARE(host->model.rowCount(), 3);
    QCOMPARE(host->model.note(0).text, gb(u"第一\r\n正文 more"));
    QCOMPARE(host->model.note(0).priority, gb(u"高"));
    QCOMPARE(host->model.note(0).imageIndex, Note::ImageDone);
    QCOMPARE(host->selectItemCalls, QList<int>{0});
    QCOMPARE(host->selectedRow(), 0);
    QVERIFY(host->modified);
    QCOMPARE(host->countNotesCalls, 1);

    // Qt's placeholder for a modified mark shows as typed in a caption.
    host->seed(host->doc.notes() + QList<Note>{Note{"a [*] b", gb(u"标准"), Note::ImageNotDone}});
    TAddEditForm marked(*host);
    whenModalShown([&](QWidget*) {
        QCOMPARE(marked.windowHandle()->title(), u"编辑记事本 [a [*] b]"_s);
        marked.reject();
    });
    marked.EditExecute(3);
}

// Lines end in CR LF in the note whatever the box uses inside; other characters pass unchanged.
void TestAddEditForm::textKeepsLineBreaksAndCharacters()
{
    const QString text = u"标题\r\n\r\n第三行\u00A0no-break\ttab\r\n€ 😀 end"_s;
    host->seed(host->doc.notes() + QList<Note>{makeNote(text)});
    host->selectRow(3);
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) { form.OkBtn->click(); });
    QCOMPARE(form.EditExecute(3), int(QDialog::Accepted));
    QCOMPARE(host->model.note(3).text, gb(text));

    whenModalShown([&](QWidget*) {
        form.NoteText->moveCursor(QTextCursor::End);
        QTest::keyClick(form.NoteText, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(form.NoteText, u"x"_s);
        form.OkBtn->click();
    });
    QCOMPARE(form.EditExecute(3), int(QDialog::Accepted));
    QCOMPARE(host->model.note(3).text, gb(text + u"\r\nx"_s));

    // A lone LF in a note from elsewhere becomes CR LF once the note is confirmed.
    Note foreign;
    foreign.text = "a\nb\rc";
    host->doc.setNote(3, foreign);
    whenModalShown([&](QWidget*) { form.OkBtn->click(); });
    QCOMPARE(form.EditExecute(3), int(QDialog::Accepted));
    QCOMPARE(host->model.note(3).text, QByteArray("a\r\nb\r\nc"));
}

void TestAddEditForm::longLinesEditedWhole_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("expected");
    const QString first(2500, u'L');
    const QString rest = u"\r\n"_s + QString(1500, u'M') + u"\r\nend"_s;
    QTest::newRow("unchanged") << QString() << first + rest;
    QTest::newRow("Return inside a piece")
        << u"return"_s << first.left(1499) + u"\r\n"_s + first.mid(1499) + rest;
    QTest::newRow("Return, then undo") << u"return undo"_s << first + rest;
    QTest::newRow("Backspace at a piece's start joins pieces only") << u"backspace"_s << first + rest;
    QTest::newRow("lines pasted inside a piece")
        << u"paste"_s << first.left(1499) + u"a\r\nb"_s + first.mid(1499) + rest;
    QTest::newRow("all cut and pasted back") << u"cut all"_s << first + rest;
    QTest::newRow("typed at the end") << u"type"_s << first + rest + u"!"_s;
}

// A line of more than a block's length is held in several blocks, each a line on screen, and comes back
// whole: typed, pasted and copied line breaks are the only ones the note gets.
void TestAddEditForm::longLinesEditedWhole()
{
    QFETCH(QString, edit);
    QFETCH(QString, expected);
    const QString text = QString(2500, u'L') + u"\r\n"_s + QString(1500, u'M') + u"\r\nend"_s;
    host->seed(host->doc.notes() + QList<Note>{makeNote(text)});
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        QTextDocument* document = form.NoteText->document();
        QCOMPARE(document->blockCount(), 6);
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            QVERIFY(block.length() <= 1025);
        QTextCursor cursor(document);
        cursor.setPosition(1500); // the 1,500th character, in the line's second block
        form.NoteText->setTextCursor(cursor);
        if (edit.startsWith(u"return"_s))
            QTest::keyClick(form.NoteText, Qt::Key_Return);
        if (edit.endsWith(u"undo"_s))
            form.NoteText->undo();
        if (edit == u"backspace"_s) {
            cursor.setPosition(1025);
            form.NoteText->setTextCursor(cursor);
            QTest::keyClick(form.NoteText, Qt::Key_Backspace);
        }
        if (edit == u"paste"_s) {
            QApplication::clipboard()->setText(u"a\nb"_s);
            form.NoteText->paste();
        }
        if (edit == u"cut all"_s) {
            form.NoteText->selectAll();
            form.NoteText->cut();
            QCOMPARE(QApplication::clipboard()->text(), QString(text).replace(u"\r\n"_s, u"\n"_s));
            form.NoteText->paste();
        }
        if (edit == u"type"_s) {
            form.NoteText->moveCursor(QTextCursor::End);
            QTest::keyClicks(form.NoteText, u"!"_s);
        }
        form.OkBtn->click();
    });
    QCOMPARE(form.EditExecute(3), int(QDialog::Accepted));
    QCOMPARE(host->model.note(3).text, gb(expected));
}

void TestAddEditForm::cancelLeavesEverything_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("edit");
    for (const QString& how : {u"CancelBtn"_s, u"Esc in NoteText"_s, u"Esc on a button"_s, u"close box"_s}) {
        QTest::addRow("add, %s", qPrintable(how)) << how << false;
        QTest::addRow("edit, %s", qPrintable(how)) << how << true;
    }
}

void TestAddEditForm::cancelLeavesEverything()
{
    QFETCH(QString, how);
    QFETCH(bool, edit);

    host->selectRow(1);
    const QList<Note> before = host->model.notes();
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        QTest::keyClicks(form.NoteText, u"typed"_s);
        form.NoteDone->setChecked(!form.NoteDone->isChecked());
        form.NotePriority->setCurrentIndex(0);
        if (how == u"CancelBtn")
            QTest::mouseClick(form.CancelBtn, Qt::LeftButton);
        else if (how == u"Esc in NoteText")
            QTest::keyClick(form.NoteText, Qt::Key_Escape);
        else if (how == u"Esc on a button")
            QTest::keyClick(form.NoteDone, Qt::Key_Escape);
        else
            form.close();
    });
    const int result = edit ? form.EditExecute(1) : form.AddExecute(2);

    QCOMPARE(result, int(QDialog::Rejected));
    QVERIFY(!form.isVisible());
    QCOMPARE(host->model.notes(), before);
    QVERIFY(!host->modified);
    QCOMPARE(host->setModifiedCalls, 0);
    QCOMPARE(host->countNotesCalls, 0);
    QVERIFY(host->selectItemCalls.isEmpty());
    QCOMPARE(host->selectedRow(), 1);
}

void TestAddEditForm::selectAllKeys_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+A") << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Shift+A") << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("Ctrl+Alt+A") << int(Qt::ControlModifier | Qt::AltModifier);
}

void TestAddEditForm::selectAllKeys()
{
    QFETCH(int, modifiers);

    TAddEditForm form(*host);
    bool checked = false;
    whenModalShown([&](QWidget*) {
        QTest::keyClicks(form.NoteText, u"one"_s);
        QTest::keyClick(form.NoteText, Qt::Key_Return);
        QTest::keyClicks(form.NoteText, u"two"_s);
        QVERIFY(!form.NoteText->textCursor().hasSelection());
        QTest::keyClick(form.NoteText, Qt::Key_A, Qt::KeyboardModifiers(modifiers));
        QVERIFY(isWholeTextSelected(form.NoteText));
        QCOMPARE(form.NoteText->toPlainText(), u"one\ntwo"_s);
        // A without Ctrl is typed.
        QTest::keyClicks(form.NoteText, u"A"_s);
        QCOMPARE(form.NoteText->toPlainText(), u"A"_s);
        checked = true;
        form.CancelBtn->click();
    });
    form.AddExecute(0);
    QVERIFY(checked);
}

void TestAddEditForm::contextMenuStates()
{
    TAddEditForm form(*host);
    const auto states = [&] {
        Q_EMIT form.NoteTextMenu->aboutToShow();
        return QList<bool>{form.NoteTextUndo->isEnabled(),   form.NoteTextCut->isEnabled(),
                           form.NoteTextCopy->isEnabled(),   form.NoteTextPaste->isEnabled(),
                           form.NoteTextDelete->isEnabled(), form.NoteTextSelectAll->isEnabled()};
    };
    bool checked = false;
    whenModalShown([&](QWidget*) {
        QCOMPARE(states(), (QList<bool>{false, false, false, true, false, true}));
        QTest::keyClicks(form.NoteText, u"abc"_s);
        QCOMPARE(states(), (QList<bool>{true, false, false, true, false, true}));
        QTest::keyClick(form.NoteText, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(states(), (QList<bool>{true, true, true, true, true, true}));

        // The menu opens from the text box and shows those states.
        const QPoint inside = form.NoteText->viewport()->rect().center();
        QTimer::singleShot(0, &form, [&] {
            QTRY_VERIFY(form.NoteTextMenu->isVisible());
            QVERIFY(form.NoteTextCut->isEnabled());
            form.NoteTextMenu->close();
        });
        Q_EMIT form.NoteText->customContextMenuRequested(inside);
        checked = true;
        form.CancelBtn->click();
    });
    form.AddExecute(0);
    QVERIFY(checked);
}

void TestAddEditForm::contextMenuActions()
{
    host->seed(host->doc.notes() + QList<Note>{makeNote(u"hello world")});
    TAddEditForm form(*host);
    bool checked = false;
    whenModalShown([&](QWidget*) {
        form.NoteText->moveCursor(QTextCursor::End);
        QTest::keyClick(form.NoteText, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form.NoteText->textCursor().selectedText(), u"world"_s);
        form.NoteTextDelete->trigger();
        QCOMPARE(form.NoteText->toPlainText(), u"hello "_s);
        form.NoteTextUndo->trigger();
        QCOMPARE(form.NoteText->toPlainText(), u"hello world"_s);
        form.NoteTextSelectAll->trigger();
        QVERIFY(isWholeTextSelected(form.NoteText));
        form.NoteTextCopy->trigger();
        form.NoteText->moveCursor(QTextCursor::End);
        form.NoteTextPaste->trigger();
        QCOMPARE(form.NoteText->toPlainText(), u"hello worldhello world"_s);
        form.NoteTextSelectAll->trigger();
        form.NoteTextCut->trigger();
        QVERIFY(form.NoteText->toPlainText().isEmpty());
        checked = true;
        form.CancelBtn->click();
    });
    form.EditExecute(3);
    QVERIFY(checked);
    QCOMPARE(host->model.note(3).text, QByteArray("hello world"));
}

void TestAddEditForm::saveExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");

    QTest::newRow("no extension") << u"notes"_s << u"notes.txt"_s;
    QTest::newRow("upper-case extension") << u"notes.TXT"_s << u"notes.TXT.txt"_s;
    QTest::newRow("other extension") << u"a.b"_s << u"a.b.txt"_s;
    QTest::newRow("the extension") << u"kept.txt"_s << u"kept.txt"_s;
    QTest::newRow("dot in the folder only") << u"dir.d/notes"_s << u"dir.d/notes.txt"_s;
    QTest::newRow("trailing dot") << u"dot."_s << u"dot..txt"_s;
}

void TestAddEditForm::saveExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);

    QVERIFY(QDir(dir()).mkpath(u"dir.d"_s));
    // Also the typed name: where names ignore letter case, an earlier row's file may answer to it.
    QFile::remove(path(written));
    QFile::remove(path(typed));
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        form.NoteText->setPlainText(u"第一行\n第二行"_s);
        FileDialog::setNextResults({{true, path(typed), 1}});
        form.SaveBtn->click();
        QVERIFY(form.isVisible());
        form.CancelBtn->click();
    });
    form.AddExecute(0);

    QCOMPARE(FileDialog::takeShownTitles(), QStringList{u"保存到..."_s});
    QVERIFY(MessageBox::takeShown().isEmpty());
    // A text file for other programs, in the system's encoding.
    QCOMPARE(readFile(path(written)), TextFile::encode(u"第一行\r\n第二行"));
    if (typed != written)
        QVERIFY(!QFile::exists(path(typed)));
    QCOMPARE(host->model.rowCount(), 3); // saving does not touch the notes
}

void TestAddEditForm::saveReplaceQuestion_data()
{
    QTest::addColumn<bool>("pickAgain");
    QTest::newRow("No, then Yes for another file") << true;
    QTest::newRow("No, then the file dialog cancelled") << false;
}

void TestAddEditForm::saveReplaceQuestion()
{
    QFETCH(bool, pickAgain);
    QVERIFY(writeFile(path(u"first.txt"_s), "old first"));
    QVERIFY(writeFile(path(u"second.txt"_s), "old second"));
    const QStringList paths{path(u"first.txt"_s), path(u"second.txt"_s)};
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        form.NoteText->setPlainText(u"new"_s);
        FileDialog::setNextResults(
            {{true, path(u"first"_s), 1}, {pickAgain, pickAgain ? paths.at(1) : QString(), 1}});
        MessageBox::setNextAnswers(pickAgain ? QList{QMessageBox::No, QMessageBox::Yes}
                                             : QList{QMessageBox::No});
        form.SaveBtn->click();
        QVERIFY(form.isVisible());
        form.CancelBtn->click();
    });
    form.AddExecute(0);

    QCOMPARE(FileDialog::takeShownTitles(), (QStringList{u"保存到..."_s, u"保存到..."_s}));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), pickAgain ? 2 : 1);
    for (int i = 0; i < shown.size(); ++i) {
        QCOMPARE(shown.at(i).caption, u"另存为..."_s);
        QCOMPARE(shown.at(i).text, replaceQuestion(paths.at(i)));
        QCOMPARE(shown.at(i).icon, QMessageBox::Warning);
        QCOMPARE(shown.at(i).buttons, QMessageBox::Yes | QMessageBox::No);
    }
    QCOMPARE(readFile(paths.at(0)), QByteArray("old first"));
    QCOMPARE(readFile(paths.at(1)), pickAgain ? QByteArray("new") : QByteArray("old second"));
}

void TestAddEditForm::saveFailureKeepsDialogOpen()
{
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        form.NoteText->setPlainText(u"text"_s);
        FileDialog::setNextResults({{true, path(u"missing-folder/notes.txt"_s), 1}});
        MessageBox::setNextAnswers({QMessageBox::Ok});
        form.SaveBtn->click();
        QVERIFY(form.isVisible());
        QCOMPARE(form.NoteText->toPlainText(), u"text"_s);
        form.OkBtn->click();
    });
    QCOMPARE(form.AddExecute(0), int(QDialog::Accepted));

    takeOneBox(u"错误"_s, u"无法保存文件。"_s, QMessageBox::Critical, QMessageBox::Ok);
    QVERIFY(!QFile::exists(path(u"missing-folder/notes.txt"_s)));
    QCOMPARE(host->model.note(0).text, QByteArray("text"));
}

void TestAddEditForm::openLoadsFileText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = u"从文件\r\n读入 text"_s;
    QTest::newRow("UTF-8") << text.toUtf8();
    QTest::newRow("UTF-8 with byte-order mark") << "\xEF\xBB\xBF" + text.toUtf8();
    QTest::newRow("GB18030, not valid UTF-8") << gb(text);
}

void TestAddEditForm::openLoadsFileText()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(writeFile(path(u"load.txt"_s), bytes));
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        QTest::keyClicks(form.NoteText, u"before"_s);
        FileDialog::setNextResults({{true, path(u"load.txt"_s), 1}});
        form.OpenBtn->click();
        QCOMPARE(form.NoteText->toPlainText(), u"从文件\n读入 text"_s);
        // The replaced text can be had back.
        form.NoteText->undo();
        QCOMPARE(form.NoteText->toPlainText(), u"before"_s);
        form.NoteText->redo();
        form.OkBtn->click();
    });
    QCOMPARE(form.AddExecute(3), int(QDialog::Accepted));
    QCOMPARE(FileDialog::takeShownTitles(), QStringList{u"选择要打开的文件..."_s});
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(host->model.note(3).text, gb(u"从文件\r\n读入 text"));
}

void TestAddEditForm::openFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << u"no-such-file.txt"_s;
    QTest::newRow("folder") << u"a-folder"_s;
}

void TestAddEditForm::openFailure()
{
    QFETCH(QString, name);

    QVERIFY(QDir(dir()).mkpath(u"a-folder"_s));
    TAddEditForm form(*host);
    whenModalShown([&](QWidget*) {
        QTest::keyClicks(form.NoteText, u"unchanged"_s);
        FileDialog::setNextResults({{true, path(name), 1}});
        MessageBox::setNextAnswers({QMessageBox::Ok});
        form.OpenBtn->click();
        QVERIFY(form.isVisible());
        QCOMPARE(form.NoteText->toPlainText(), u"unchanged"_s);
        form.CancelBtn->click();
    });
    form.AddExecute(0);

    takeOneBox(u"错误"_s, u"无法打开文件。"_s, QMessageBox::Critical);
}

void TestAddEditForm::withDefaultExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no extension") << u"/x/notes"_s << 1 << u"/x/notes.qlt"_s;
    QTest::newRow("upper case") << u"/x/notes.QLT"_s << 1 << u"/x/notes.QLT.qlt"_s;
    QTest::newRow("other") << u"/x/a.b"_s << 1 << u"/x/a.b.qlt"_s;
    QTest::newRow("exact") << u"/x/a.qlt"_s << 1 << u"/x/a.qlt"_s;
    QTest::newRow("dot in a folder") << u"/x.y/notes"_s << 1 << u"/x.y/notes.qlt"_s;
    QTest::newRow("dot in a Windows folder") << u"C:\\x.y\\notes"_s << 1 << u"C:\\x.y\\notes.qlt"_s;
    QTest::newRow("hidden name") << u"/x/.qlt"_s << 1 << u"/x/.qlt"_s;
    QTest::newRow("all files filter") << u"/x/notes"_s << 2 << u"/x/notes"_s;
    QTest::newRow("all files filter, other extension") << u"/x/a.b"_s << 2 << u"/x/a.b"_s;
}

void TestAddEditForm::withDefaultExtension()
{
    QFETCH(QString, path);
    QFETCH(int, filterIndex);
    QFETCH(QString, expected);
    QCOMPARE(FileDialog::withDefaultExtension(path, filterIndex, u".qlt"_s), expected);
}

// The real Qt dialog: a typed name comes back as typed, with the filter that was selected.
void TestAddEditForm::realFileDialogSavesTypedName()
{
    QFile::remove(path(u"typed.txt"_s));
    TAddEditForm form(*host);
    bool typed = false;
    whenModalShown([&](QWidget*) {
        form.NoteText->setPlainText(u"real"_s);
        whenModalShown(
            [&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), u"保存到..."_s);
                QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
                QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
                QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                QCOMPARE(dialog->nameFilters(), QStringList{u"文本文件 (*.txt)"_s});
                QVERIFY(dialog->defaultSuffix().isEmpty());
                dialog->setDirectory(dir());
                auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
                QVERIFY(name);
                name->setText(u"typed"_s);
                typed = true;
                static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it, but it is the one that runs
            },
            &form, QFileDialog::staticMetaObject);
        form.SaveBtn->click();
        form.CancelBtn->click();
    });
    form.AddExecute(0);
    QVERIFY(typed);
    QCOMPARE(readFile(path(u"typed.txt"_s)), QByteArray("real"));
}

// The program's filters reach Qt's dialog as they are; the one the user picks comes back 1-based.
void TestAddEditForm::realFileDialogReportsTheFilter()
{
    const QStringList filter{u"Quillet 记事本 (*.qlt)"_s, u"所有文件 (*)"_s};
    whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"另存为"_s);
        QCOMPARE(dialog->nameFilters(), (QStringList{u"Quillet 记事本 (*.qlt)"_s, u"所有文件 (*)"_s}));
        dialog->setDirectory(dir());
        dialog->selectNameFilter(u"所有文件 (*)"_s);
        dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(u"plain"_s);
        static_cast<QDialog*>(dialog)->accept();
    });
    const FileDialog::Result saved = FileDialog::getSaveFileName(host.get(), u"另存为"_s, filter);
    QVERIFY(saved.accepted);
    QCOMPARE(saved.filterIndex, 2);
    QCOMPARE(saved.path, path(u"plain"_s));
    QCOMPARE(FileDialog::withDefaultExtension(saved.path, saved.filterIndex, u".qlt"_s), path(u"plain"_s));

    QVERIFY(writeFile(path(u"existing.qlt"_s), "x"));
    whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->selectedNameFilter(), u"Quillet 记事本 (*.qlt)"_s);
        dialog->reject();
    });
    const FileDialog::Result cancelled = FileDialog::getOpenFileName(host.get(), u"打开"_s, filter);
    QVERIFY(!cancelled.accepted);
    QVERIFY(cancelled.path.isEmpty());
}

void TestAddEditForm::realMessageBoxForReplaceQuestion()
{
    QVERIFY(writeFile(path(u"exists.txt"_s), "old"));
    TAddEditForm form(*host);
    bool asked = false;
    whenModalShown([&](QWidget*) {
        form.NoteText->setPlainText(u"new"_s);
        FileDialog::setNextResults({{true, path(u"exists.txt"_s), 1}, {true, path(u"exists.txt"_s), 1}});
        whenModalShown(
            [&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box);
                QCOMPARE(box->windowTitle(), u"另存为..."_s);
                QCOMPARE(box->text(), replaceQuestion(path(u"exists.txt"_s)));
                QCOMPARE(box->icon(), QMessageBox::Warning);
                QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
                QCOMPARE(box->parentWidget(), &form);
                // No asks again; the second box is answered Yes.
                whenModalShown(
                    [&](QWidget* second) {
                        auto* again = qobject_cast<QMessageBox*>(second);
                        QVERIFY(again);
                        asked = true;
                        again->button(QMessageBox::Yes)->click();
                    },
                    box, QMessageBox::staticMetaObject);
                box->button(QMessageBox::No)->click();
            },
            &form, QMessageBox::staticMetaObject);
        form.SaveBtn->click();
        form.CancelBtn->click();
    });
    form.AddExecute(0);
    QVERIFY(asked);
    QCOMPARE(readFile(path(u"exists.txt"_s)), QByteArray("new"));
}

void TestAddEditForm::realErrorMessage()
{
    bool shown = false;
    whenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), u"错误"_s);
        QCOMPARE(box->text(), u"无法打开文件。"_s);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!box->parentWidget());
        shown = true;
        box->button(QMessageBox::Ok)->click();
    });
    SharedSrc::ErrorMsg(u"无法打开文件。"_s);
    QVERIFY(shown);
}

void TestAddEditForm::realMessageBoxEscapeAnswer_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("answer");
    QTest::newRow("Yes/No") << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::No);
    QTest::newRow("Yes/No/Cancel") << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                                   << int(QMessageBox::Cancel);
    QTest::newRow("OK") << int(QMessageBox::Ok) << int(QMessageBox::Ok);
}

void TestAddEditForm::realMessageBoxEscapeAnswer()
{
    QFETCH(int, buttons);
    QFETCH(int, answer);
    whenModalShown([&](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    const auto result = MessageBox::show(host.get(), QMessageBox::Question, u"确认"_s, u"?"_s,
                                         QMessageBox::StandardButtons(buttons));
    QCOMPARE(int(result), answer);
}

QTEST_MAIN(TestAddEditForm)

#include "tst_addeditform.moc"
