#include "DialogLayout.h"
#include "TestFiles.h"
#include "WindowHarness.h"

#include "app/QtTranslation.h"
#include "document/NotesModel.h"
#include "forms/AddEditFormU.h"
#include "forms/FontColorDialog.h"
#include "forms/MessageBox.h"
#include "forms/MnemonicClicks.h"
#include "forms/OptionsFormU.h"
#include "platform/Autostart.h"
#include "platform/FileAssociation.h"
#include "shared/AnsiText.h"
#include "shared/AppPaths.h"
#include "shared/IniFile.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

const QString General = u"General"_s;
const QStringList Sections{u"NotesListText"_s, u"NoteText"_s, u"AddEditText"_s};
const QStringList FontKeys{u"Name"_s, u"Charset"_s, u"Size"_s,      u"Height"_s,   u"Color"_s,
                           u"Bold"_s, u"Italic"_s,  u"Underline"_s, u"Strikeout"_s};

QString asciiUpper(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return result;
}

QColor base(const QWidget* widget)
{
    return widget->palette().color(QPalette::Base);
}

// A font dialog that records what it was started with and answers from a queue.
struct ScriptedFontDialog
{
    QList<QFont> answers;  // an empty list answers Cancel
    QList<QColor> colours; // text colours chosen with the answers; none keeps the colour
    QList<QFont> started;

    bool operator()(QFont& font, QColor& colour, QWidget*)
    {
        started.append(font);
        if (answers.isEmpty())
            return false;
        font = answers.takeFirst();
        if (!colours.isEmpty())
            colour = colours.takeFirst();
        return true;
    }
};

QFont font(const QString& family, int points, bool bold = false, bool italic = false, bool underline = false)
{
    QFont result(family, points);
    result.setBold(bold);
    result.setItalic(italic);
    result.setUnderline(underline);
    return result;
}

} // namespace

class TestOptionsForm : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void layout();
    void openedByTheCommand();
    void samplesSkippedByTabWithoutMenu();
    void accessKeysMoveFocus_data();
    void accessKeysMoveFocus();
    void fontDialogKeys();

    void generalOptionsShown_data();
    void generalOptionsShown();
    void okWritesEveryKeyInOrder();
    void okWithoutChangeRewritesStoredValues();
    void colourValues_data();
    void colourValues();
    void dialogsChangeOnlySamplesAndCancelKeepsAll();
    void cancelledFontAndColourDialogsKeepSamples();
    void realFontAndColourDialogs_data();
    void realFontAndColourDialogs();
    void appliedAtOnceAndAtNextStart();
    void unwritableSettingsReported();

    void loadAtWinStartClick();
    void autostartShown_data();
    void autostartShown();
    void autostartWritten_data();
    void autostartWritten();
    void autostartFailureReported();

    void fileAssociation_data();
    void fileAssociation();
    void fileAssociationFailureReachesHandler();

private:
    QString readIni(const QString& section, const QString& key) const;
    // "Key=Value" lines and "[Section]" lines of the settings file, in file order.
    QStringList iniLines() const;
    QString exe() const { return AppPaths::executablePath(); }
    void writeAutostart(const QString& exec);
    // Opens the dialog through its command and runs `step` while it is shown; rejects it afterwards
    // when the step left it open.
    void throughCommand(const std::function<void(TOptionsForm*)>& step);

    QByteArray m_savedPath;
};

void TestOptionsForm::initTestCase()
{
    w.initTestCase();
    MnemonicClicks::install(); // as the program does at start
    w.queuesUsed = true;
    m_savedPath = qgetenv("PATH");
}

void TestOptionsForm::cleanupTestCase()
{
    qputenv("PATH", m_savedPath);
}

void TestOptionsForm::init()
{
    w.init();
    // The desktop's refresh tools only where a test puts them.
    qputenv("PATH", QFile::encodeName(w.path(u"bin"_s)));
    QVERIFY(QDir().mkpath(w.path(u"bin"_s)));
    w.createForm();
}

QString TestOptionsForm::readIni(const QString& section, const QString& key) const
{
    return IniFile(w.iniPath()).ReadString(section, key, u"<missing>"_s);
}

QStringList TestOptionsForm::iniLines() const
{
    QStringList lines;
    for (const QString& line : AnsiText::toUnicode(readFile(w.iniPath())).split(u"\r\n"_s)) {
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

void TestOptionsForm::writeAutostart(const QString& exec)
{
    QVERIFY(writeFile(Autostart::entryPath(),
                      "[Desktop Entry]\nType=Application\nName=Quillet\nExec=" + exec.toUtf8() + '\n'));
}

void TestOptionsForm::throughCommand(const std::function<void(TOptionsForm*)>& step)
{
    w.driver.onNext<TOptionsForm>([step](TOptionsForm* form) {
        step(form);
        if (form->isVisible())
            form->reject();
    });
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(w.form().notesList(), Qt::Key_F11);
    QVERIFY(w.driver.seen());
}

// ---------------------------------------------------------------------------------------------------------
// Layout

void TestOptionsForm::layout()
{
    TOptionsForm dialog(w.form());
    QCOMPARE(dialog.objectName(), u"OptionsForm"_s);
    verifyFixedDialog(dialog, u"选项"_s, QSize(289, 434), &w.form());

    QCOMPARE(dialog.GroupBox1->title(), u" 常规 "_s);
    const QList<std::pair<QAbstractButton*, QString>> general{
        {dialog.LoadAtWinStart, u"Windows 启动时载入(&L)"_s},
        {dialog.MinToTray, u"最小化到系统托盘(&M)"_s},
        {dialog.OpenLastFile, u"启动时打开最后使用的文件(&P)"_s},
        {dialog.AutoSave, u"添加/编辑/更改后自动保存"_s},
        {dialog.MinOnClose, u"关闭到系统托盘"_s},
        {dialog.RegisterFileTypeBtn, u"注册为 QLT 文件的默认编辑器(&E)"_s},
    };
    int previousTop = -1;
    for (const auto& [control, caption] : general) {
        QCOMPARE(control->text(), caption);
        QCOMPARE(control->parentWidget(), dialog.GroupBox1);
        QVERIFY(control->y() > previousTop);
        previousTop = control->y();
    }
    // The start-minimised box belongs to the start-up box, set in below it.
    QVERIFY(dialog.MinToTray->x() > dialog.LoadAtWinStart->x());

    QCOMPARE(dialog.GroupBox2->title(), u" 界面 "_s);
    QVERIFY(dialog.GroupBox2->y() > dialog.GroupBox1->geometry().bottom());
    const struct
    {
        QLabel* label;
        QString caption;
        QLineEdit* sample;
        QString sampleName;
        QPushButton* fontButton;
        QString fontName;
        QPushButton* colorButton;
        QString colorName;
    } rows[] = {
        {dialog.Label1, u"记事本列表"_s, dialog.NotesListTextSample, u"NotesListTextSample"_s,
         dialog.NotesListFont, u"NotesListFont"_s, dialog.NotesListColor, u"NotesListColor"_s},
        {dialog.Label2, u"记事本文本"_s, dialog.NoteTextSample, u"NoteTextSample"_s, dialog.NotesTextFont,
         u"NotesTextFont"_s, dialog.NotesTextColor, u"NotesTextColor"_s},
        {dialog.Label3, u"添加/删除文本"_s, dialog.AddEditTextSample, u"AddEditTextSample"_s,
         dialog.AddEditTextFont, u"AddEditTextFont"_s, dialog.AddEditTextColor, u"AddEditTextColor"_s},
    };
    previousTop = -1;
    for (const auto& row : rows) {
        QCOMPARE(row.label->text(), row.caption);
        QCOMPARE(row.sample->objectName(), row.sampleName);
        QCOMPARE(row.sample->text(), u"示例"_s);
        QVERIFY(row.sample->isReadOnly());
        QVERIFY(!row.sample->hasFrame());
        QCOMPARE(row.fontButton->objectName(), row.fontName);
        QCOMPARE(row.fontButton->text(), u"字体"_s);
        QCOMPARE(row.colorButton->objectName(), row.colorName);
        QCOMPARE(row.colorButton->text(), u"颜色"_s);
        for (QWidget* part :
             std::initializer_list<QWidget*>{row.label, row.sample, row.fontButton, row.colorButton})
            QVERIFY(dialog.GroupBox2->isAncestorOf(part));
        // One row: label, sample, font and colour buttons from left to right.
        const auto left = [&](QWidget* part) { return part->mapTo(dialog.GroupBox2, QPoint(0, 0)).x(); };
        QVERIFY(left(row.label) < left(row.sample));
        QVERIFY(left(row.sample) < left(row.fontButton));
        QVERIFY(left(row.fontButton) < left(row.colorButton));
        QVERIFY(row.fontButton->y() > previousTop);
        previousTop = row.fontButton->y();
    }
    // Below the rows, one box under the other, each a line of its own.
    previousTop = dialog.AddEditTextColor->geometry().bottom();
    const QList<std::pair<QCheckBox*, QString>> view{
        {dialog.ResizableWindow, u"可调整窗口大小(&R)"_s},
        {dialog.WordWrap, u"长行自动换行(&W)"_s},
        {dialog.PriorityColors, u"以颜色突出显示优先级(&H)"_s},
    };
    for (const auto& [box, caption] : view) {
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->parentWidget(), dialog.GroupBox2);
        QCOMPARE(box->x(), dialog.LoadAtWinStart->x());
        QVERIFY(box->y() > previousTop);
        QVERIFY(box->sizeHint().width() <= box->width());
        previousTop = box->geometry().bottom();
    }
    QVERIFY(previousTop < dialog.GroupBox2->height());

    QCOMPARE(dialog.OkBtn->text(), u"确定(&O)"_s);
    QVERIFY(dialog.OkBtn->isDefault());
    QCOMPARE(dialog.CancelBtn->text(), u"取消(&C)"_s);
    QVERIFY(dialog.OkBtn->geometry().bottom() < dialog.height());
    QVERIFY(dialog.OkBtn->y() > dialog.GroupBox2->geometry().bottom());
}

void TestOptionsForm::openedByTheCommand()
{
    QIcon shownIcon;
    TOptionsForm* held = nullptr;
    throughCommand([&](TOptionsForm* form) {
        shownIcon = form->windowIcon();
        held = OptionsForm;
        QVERIFY(form->isModal());
        QTest::keyClick(form, Qt::Key_Escape);
    });
    QCOMPARE(shownIcon.cacheKey(), w.form().image(15).cacheKey());
    QVERIFY(held != nullptr);
    QCOMPARE(OptionsForm, nullptr);
    // Esc closes like Cancel: nothing written.
    QVERIFY(!QFile::exists(w.iniPath()));
}

void TestOptionsForm::samplesSkippedByTabWithoutMenu()
{
    throughCommand([](TOptionsForm* dialog) {
        // Focus moves only inside the active window; the dialog may not be active yet when it is shown.
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->RegisterFileTypeBtn->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), dialog->RegisterFileTypeBtn);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->NotesListFont);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->NotesListColor);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog->NotesTextFont);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), dialog->RegisterFileTypeBtn);

        for (QLineEdit* sample :
             {dialog->NotesListTextSample, dialog->NoteTextSample, dialog->AddEditTextSample}) {
            QVERIFY(!(sample->focusPolicy() & Qt::TabFocus));
            // A menu that opens is closed again at once, and counted.
            bool popped = false;
            QTimer::singleShot(0, sample, [&popped] {
                if (QWidget* popup = QApplication::activePopupWidget()) {
                    popped = true;
                    popup->close();
                }
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    sample->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(sample, &event);
            QCoreApplication::processEvents();
            QVERIFY(!popped);
        }
        QVERIFY(dialog->EmptyMenu->isEmpty());
    });
}

void TestOptionsForm::accessKeysMoveFocus_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::newRow("Alt+L") << u"LoadAtWinStart"_s << int(Qt::Key_L);
    QTest::newRow("Alt+M") << u"MinToTray"_s << int(Qt::Key_M);
    QTest::newRow("Alt+P") << u"OpenLastFile"_s << int(Qt::Key_P);
    QTest::newRow("Alt+R") << u"ResizableWindow"_s << int(Qt::Key_R);
    QTest::newRow("Alt+W") << u"WordWrap"_s << int(Qt::Key_W);
    QTest::newRow("Alt+H") << u"PriorityColors"_s << int(Qt::Key_H);
}

// An access key changes its box and takes the focus there, where the user hears and sees the change.
void TestOptionsForm::accessKeysMoveFocus()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    throughCommand([&](TOptionsForm* dialog) {
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        dialog->LoadAtWinStart->setChecked(true);
        dialog->MinToTray->setEnabled(true);
        dialog->OkBtn->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), dialog->OkBtn);
        auto* box = dialog->findChild<QCheckBox*>(control);
        QVERIFY(box);
        const bool before = box->isChecked();
        QTest::keyClick(dialog, Qt::Key(key), Qt::AltModifier);
        QCOMPARE(box->isChecked(), !before);
        QCOMPARE(QApplication::focusWidget(), box);
    });
}

// Alt+C chooses the text colour and leaves the focus on its button, where Enter still confirms the
// dialog; Alt+O confirms it from anywhere.
void TestOptionsForm::fontDialogKeys()
{
    QVERIFY(QtTranslation::install());
    TOptionsForm dialog(w.form());
    dialog.show();
    for (const bool throughColour : {true, false}) {
        int result = -1;
        w.driver.onNext<FontColorDialog>([&](FontColorDialog* fontDialog) {
            QApplication::setActiveWindow(fontDialog);
            QVERIFY(QTest::qWaitForWindowActive(fontDialog));
            QCOMPARE(fontDialog->OkBtn->text(), u"确定(&O)"_s);
            if (throughColour) {
                ModalDriver colourDriver;
                colourDriver.onNextDialog([](QDialog* nested) { nested->reject(); });
                QTest::keyClick(fontDialog, Qt::Key_C, Qt::AltModifier);
                QVERIFY(colourDriver.seen());
                // Back from the colour dialog, the focus is on the colour button.
                QApplication::setActiveWindow(fontDialog);
                QTRY_COMPARE(QApplication::focusWidget(), fontDialog->ColorBtn);
                // No second colour dialog: one would fail the test as unexpected.
                QTest::keyClick(fontDialog->ColorBtn, Qt::Key_Return);
            } else {
                QTest::keyClick(fontDialog, Qt::Key_O, Qt::AltModifier);
            }
            result = fontDialog->result();
        });
        QTest::mouseClick(dialog.NotesTextFont, Qt::LeftButton);
        QVERIFY(w.driver.seen());
        QCOMPARE(result, int(QDialog::Accepted));
    }
}

// ---------------------------------------------------------------------------------------------------------
// Settings file

void TestOptionsForm::generalOptionsShown_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");
    QTest::newRow("1") << u"1"_s << true;
    QTest::newRow("0") << u"0"_s << false;
    QTest::newRow("true") << u"true"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("missing") << u"<missing>"_s << false;
}

void TestOptionsForm::generalOptionsShown()
{
    QFETCH(QString, value);
    QFETCH(bool, checked);
    // The other keys hold the opposite, so that a mix-up of keys shows.
    const QList<const char*> keys{"OpenLastFile",    "AutoSaveOnAddEdit", "MinToTrayOnClose",
                                  "ResizableWindow", "WordWrap",          "PriorityColors"};
    for (const char* key : keys) {
        IniFile(w.iniPath()).EraseSection(General);
        for (const char* other : keys) {
            if (qstrcmp(key, other) != 0)
                w.writeIni(General, QLatin1String(other), checked ? u"0"_s : u"1"_s);
            else if (value != u"<missing>")
                w.writeIni(General, QLatin1String(other), value);
        }
        TOptionsForm dialog(w.form());
        dialog.show();
        const QMap<QString, QCheckBox*> boxes{
            {u"OpenLastFile"_s, dialog.OpenLastFile},   {u"AutoSaveOnAddEdit"_s, dialog.AutoSave},
            {u"MinToTrayOnClose"_s, dialog.MinOnClose}, {u"ResizableWindow"_s, dialog.ResizableWindow},
            {u"WordWrap"_s, dialog.WordWrap},           {u"PriorityColors"_s, dialog.PriorityColors}};
        for (auto it = boxes.cbegin(); it != boxes.cend(); ++it)
            QCOMPARE(it.value()->isChecked(), it.key() == QLatin1String(key) ? checked : !checked);
    }
}

void TestOptionsForm::okWritesEveryKeyInOrder()
{
    TOptionsForm dialog(w.form());
    dialog.show();
    dialog.OpenLastFile->setChecked(true);
    dialog.MinOnClose->setChecked(true);
    dialog.WordWrap->setChecked(true);
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());

    QStringList expected{u"[General]"_s,          u"OpenLastFile=1"_s,    u"AutoSaveOnAddEdit=0"_s,
                         u"MinToTrayOnClose=1"_s, u"ResizableWindow=0"_s, u"WordWrap=1"_s,
                         u"PriorityColors=0"_s};
    // The window's design font (Tahoma 8 pt, window-text colour) in every section, white backgrounds; the
    // list and the pane have the window's character set, the note dialog the font object's default.
    for (const QString& section : Sections) {
        expected << QLatin1Char('[') + section + QLatin1Char(']') << u"Name=Tahoma"_s
                 << (section == u"AddEditText" ? u"Charset=1"_s : u"Charset=255"_s) << u"Size=8"_s
                 << u"Height=-11"_s << u"Color=-16777208"_s << u"Bold=0"_s << u"Italic=0"_s
                 << u"Underline=0"_s << u"Strikeout=0"_s << u"ForeColor=16777215"_s;
    }
    QCOMPARE(iniLines(), expected);
    QVERIFY(!w.form().autoSaveOnAddEdit());
}

void TestOptionsForm::okWithoutChangeRewritesStoredValues()
{
    w.writeIni(u"NotesListText"_s, u"Name"_s, u"Courier New"_s);
    w.writeIni(u"NotesListText"_s, u"Size"_s, u"12"_s);
    w.writeIni(u"NotesListText"_s, u"Bold"_s, u"1"_s);
    w.writeIni(u"NotesListText"_s, u"Color"_s, u"32768"_s);
    w.writeIni(u"NotesListText"_s, u"ForeColor"_s, u"0xFF"_s);
    w.writeIni(u"NoteText"_s, u"StrikeOut"_s, u"1"_s);
    w.writeIni(u"NoteText"_s, u"ForeColor"_s, u"$FF00"_s);
    w.writeIni(u"AddEditText"_s, u"Italic"_s, u"1"_s);
    w.writeIni(u"AddEditText"_s, u"Color"_s, u"255"_s);
    w.writeIni(General, u"AutoSaveOnAddEdit"_s, u"1"_s);
    w.writeIni(u"Other"_s, u"Kept"_s, u"yes"_s);

    TOptionsForm dialog(w.form());
    dialog.show();
    QCOMPARE(dialog.NotesListTextSample->font().family(), u"Courier New"_s);
    QVERIFY(dialog.NotesListTextSample->font().bold());
    QCOMPARE(base(dialog.NotesListTextSample), QColor(255, 0, 0));
    QVERIFY(dialog.NoteTextSample->font().strikeOut());
    QCOMPARE(base(dialog.NoteTextSample), QColor(0, 255, 0));
    QVERIFY(dialog.AddEditTextSample->font().italic());
    QCOMPARE(dialog.AddEditTextSample->palette().color(QPalette::Text), QColor(255, 0, 0));
    QVERIFY(dialog.AutoSave->isChecked());
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);

    for (const QString& section : Sections) {
        for (const QString& key : FontKeys)
            QVERIFY2(readIni(section, key) != u"<missing>", qPrintable(section + QLatin1Char('/') + key));
    }
    QCOMPARE(readIni(u"NotesListText"_s, u"Name"_s), u"Courier New"_s);
    QCOMPARE(readIni(u"NotesListText"_s, u"Size"_s), u"12"_s);
    QCOMPARE(readIni(u"NotesListText"_s, u"Height"_s), u"-16"_s);
    QCOMPARE(readIni(u"NotesListText"_s, u"Bold"_s), u"1"_s);
    QCOMPARE(readIni(u"NotesListText"_s, u"Italic"_s), u"0"_s);
    // Hexadecimal values come back in decimal.
    QCOMPARE(readIni(u"NotesListText"_s, u"ForeColor"_s), u"255"_s);
    QCOMPARE(readIni(u"NoteText"_s, u"Strikeout"_s), u"1"_s);
    QCOMPARE(readIni(u"NoteText"_s, u"ForeColor"_s), u"65280"_s);
    QCOMPARE(readIni(u"AddEditText"_s, u"Italic"_s), u"1"_s);
    QCOMPARE(readIni(u"AddEditText"_s, u"Color"_s), u"255"_s);
    QCOMPARE(readIni(u"AddEditText"_s, u"ForeColor"_s), u"16777215"_s);
    QCOMPARE(readIni(General, u"AutoSaveOnAddEdit"_s), u"1"_s);
    QCOMPARE(readIni(u"Other"_s, u"Kept"_s), u"yes"_s);

    // The font colours are the text colours, the Add/Edit box's included.
    QCOMPARE(readIni(u"NotesListText"_s, u"Color"_s), u"32768"_s);
    QCOMPARE(w.form().notesList()->palette().color(QPalette::Text), QColor(0, 128, 0));
    QColor addEditText;
    w.driver.onNextDialog([&](QDialog* shown) {
        if (auto* form = qobject_cast<TAddEditForm*>(shown))
            addEditText = form->NoteText->palette().color(QPalette::Text);
        shown->reject();
    });
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(w.form().notesList(), Qt::Key_Insert);
    QVERIFY(w.driver.seen());
    QCOMPARE(addEditText, QColor(255, 0, 0));
}

void TestOptionsForm::colourValues_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QColor>("shown"); // invalid: the desktop's window colour
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("reported");
    QTest::newRow("0x hex") << u"0xFF"_s << QColor(255, 0, 0) << u"255"_s << false;
    QTest::newRow("$ hex") << u"$FF0000"_s << QColor(0, 0, 255) << u"16711680"_s << false;
    QTest::newRow("decimal") << u"8421504"_s << QColor(128, 128, 128) << u"8421504"_s << false;
    QTest::newRow("word") << u"green"_s << QColor(Qt::white) << u"16777215"_s << false;
    QTest::newRow("system colour") << u"-16777211"_s << QColor() << u"-16777211"_s << false;
    QTest::newRow("no colour") << u"0x12345678"_s << QColor(Qt::white) << u"16777215"_s << true;
}

void TestOptionsForm::colourValues()
{
    QFETCH(QString, stored);
    QFETCH(QColor, shown);
    QFETCH(QString, written);
    QFETCH(bool, reported);
    w.writeIni(u"NotesListText"_s, u"ForeColor"_s, stored);
    w.writeIni(u"NoteText"_s, u"ForeColor"_s, u"255"_s);
    if (reported)
        MessageBox::setNextAnswers({QMessageBox::Ok});

    TOptionsForm dialog(w.form());
    dialog.show();
    const QList<MessageBox::Shown> boxes = MessageBox::takeShown();
    QCOMPARE(boxes.size(), reported ? 1 : 0);
    if (reported) {
        QCOMPARE(boxes.at(0).caption, u"错误"_s);
        QCOMPARE(boxes.at(0).text, u"字体颜色设置无效。"_s);
    }
    if (!shown.isValid())
        shown = dialog.palette().color(QPalette::Active, QPalette::Base);
    QCOMPARE(base(dialog.NotesListTextSample), shown);
    // A bad value ends the colour block: the rows after it keep their design colour.
    QCOMPARE(base(dialog.NoteTextSample), reported ? QColor(Qt::white) : QColor(255, 0, 0));

    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
    QCOMPARE(readIni(u"NotesListText"_s, u"ForeColor"_s), written);
    QCOMPARE(base(w.form().notesList()), shown);
}

void TestOptionsForm::dialogsChangeOnlySamplesAndCancelKeepsAll()
{
    w.writeIni(u"Other"_s, u"Kept"_s, u"yes"_s);
    writeAutostart(exe());
    const QByteArray iniBefore = readFile(w.iniPath());
    const QByteArray autostartBefore = readFile(Autostart::entryPath());
    const QFont listFontBefore = w.form().notesList()->font();
    const QColor listColourBefore = base(w.form().notesList());
    const QFont addEditFontBefore = w.form().AddEditFont();

    TOptionsForm dialog(w.form());
    ScriptedFontDialog fonts;
    fonts.answers = {font(u"DejaVu Serif"_s, 14, true), font(u"DejaVu Sans"_s, 10),
                     font(u"DejaVu Sans Mono"_s, 12, false, true)};
    dialog.setFontDialog(std::ref(fonts));
    QList<QColor> colours{QColor(10, 20, 30), QColor(40, 50, 60), QColor(70, 80, 90)};
    QList<QColor> coloursStarted;
    dialog.setColorDialog([&](QColor& colour, QWidget* parent) {
        if (parent != &dialog)
            return false;
        coloursStarted.append(colour);
        colour = colours.takeFirst();
        return true;
    });
    dialog.show();
    for (QPushButton* button : {dialog.NotesListFont, dialog.NotesTextFont, dialog.AddEditTextFont,
                                dialog.NotesListColor, dialog.NotesTextColor, dialog.AddEditTextColor})
        QTest::mouseClick(button, Qt::LeftButton);

    // Each dialog started from its row's sample.
    QCOMPARE(fonts.started.size(), 3);
    QCOMPARE(fonts.started.at(0).family(), u"Tahoma"_s);
    QCOMPARE(fonts.started.at(0).pointSize(), 8);
    QCOMPARE(coloursStarted, (QList<QColor>{Qt::white, Qt::white, Qt::white}));

    QCOMPARE(dialog.NotesListTextSample->font().family(), u"DejaVu Serif"_s);
    QCOMPARE(dialog.NotesListTextSample->font().pointSize(), 14);
    QVERIFY(dialog.NotesListTextSample->font().bold());
    QCOMPARE(dialog.NoteTextSample->font().family(), u"DejaVu Sans"_s);
    QVERIFY(dialog.AddEditTextSample->font().italic());
    QCOMPARE(base(dialog.NotesListTextSample), QColor(10, 20, 30));
    QCOMPARE(base(dialog.NoteTextSample), QColor(40, 50, 60));
    QCOMPARE(base(dialog.AddEditTextSample), QColor(70, 80, 90));

    // Nothing reaches the file or the window before OK, and Cancel keeps it so.
    dialog.LoadAtWinStart->setChecked(false);
    dialog.AutoSave->setChecked(true);
    QCOMPARE(readFile(w.iniPath()), iniBefore);
    QCOMPARE(w.form().notesList()->font(), listFontBefore);
    QTest::mouseClick(dialog.CancelBtn, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(readFile(w.iniPath()), iniBefore);
    QCOMPARE(readFile(Autostart::entryPath()), autostartBefore);
    QCOMPARE(w.form().notesList()->font(), listFontBefore);
    QCOMPARE(base(w.form().notesList()), listColourBefore);
    QCOMPARE(w.form().AddEditFont(), addEditFontBefore);
    QCOMPARE(w.form().AddEditColor(), QColor(Qt::white));
    QVERIFY(!w.form().autoSaveOnAddEdit());
}

void TestOptionsForm::cancelledFontAndColourDialogsKeepSamples()
{
    TOptionsForm dialog(w.form());
    ScriptedFontDialog fonts; // no answers: every dialog is cancelled
    dialog.setFontDialog(std::ref(fonts));
    int colourDialogs = 0;
    dialog.setColorDialog([&](QColor& colour, QWidget*) {
        ++colourDialogs;
        colour = QColor(1, 2, 3); // what the dialog showed last; not confirmed
        return false;
    });
    dialog.show();
    const QFont before = dialog.NoteTextSample->font();
    QTest::mouseClick(dialog.NotesTextFont, Qt::LeftButton);
    QTest::mouseClick(dialog.NotesTextColor, Qt::LeftButton);
    QCOMPARE(fonts.started.size(), 1);
    QCOMPARE(colourDialogs, 1);
    QCOMPARE(dialog.NoteTextSample->font(), before);
    QCOMPARE(base(dialog.NoteTextSample), QColor(Qt::white));

    FontValue value;
    value.name = u"Courier New"_s;
    value.charset = 134;
    value.color = 255;
    QVERIFY(!dialog.ShowFontDialog(value));
    QCOMPARE(value.name, u"Courier New"_s);
    QCOMPARE(value.charset, 134);
    QColor colour(Qt::green);
    QVERIFY(!dialog.ShowColorDialog(colour));
    QCOMPARE(colour, QColor(Qt::green));

    // A confirmed font keeps what the font dialog does not choose: character set and colour.
    fonts.answers = {font(u"DejaVu Sans"_s, 20, false, false, true)};
    QVERIFY(dialog.ShowFontDialog(value));
    QCOMPARE(value.name, u"DejaVu Sans"_s);
    QCOMPARE(value.size, 20);
    QVERIFY(value.underline);
    QCOMPARE(value.charset, 134);
    QCOMPARE(value.color, 255);
    // The colour chosen with it is the font's, 0x00BBGGRR.
    fonts.answers = {font(u"DejaVu Sans"_s, 20)};
    fonts.colours = {QColor(0, 0, 255)};
    QVERIFY(dialog.ShowFontDialog(value));
    QCOMPARE(value.color, 0xFF0000);
}

void TestOptionsForm::realFontAndColourDialogs_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

void TestOptionsForm::realFontAndColourDialogs()
{
    QFETCH(bool, confirm);
    const QStringList families = QFontDatabase::families();
    QVERIFY(!families.isEmpty());
    const QString family = families.constLast();

    TOptionsForm dialog(w.form());
    dialog.show();
    const QFont fontBefore = dialog.AddEditTextSample->font();

    const QColor textBefore = dialog.AddEditTextSample->palette().color(QPalette::Text);
    ModalDriver colourDriver;
    w.driver.onNext<FontColorDialog>([&](FontColorDialog* fontDialog) {
        QCOMPARE(fontDialog->windowTitle(), u"字体"_s);
        fontDialog->FontChooser->setCurrentFont(QFont(family, 14));
        // The text colour is chosen in the same dialog, through Qt's colour dialog.
        colourDriver.onNextDialog([](QDialog* nested) {
            if (auto* colourDialog = qobject_cast<QColorDialog*>(nested))
                colourDialog->setCurrentColor(QColor(200, 0, 0));
            nested->accept();
        });
        QTest::mouseClick(fontDialog->ColorBtn, Qt::LeftButton);
        QVERIFY(colourDriver.seen());
        confirm ? fontDialog->accept() : fontDialog->reject();
    });
    QTest::mouseClick(dialog.AddEditTextFont, Qt::LeftButton);
    QVERIFY(w.driver.seen());
    if (confirm) {
        QCOMPARE(dialog.AddEditTextSample->font().family(), family);
        QCOMPARE(dialog.AddEditTextSample->font().pointSize(), 14);
        QCOMPARE(dialog.AddEditTextSample->palette().color(QPalette::Text), QColor(200, 0, 0));
    } else {
        QCOMPARE(dialog.AddEditTextSample->font(), fontBefore);
        QCOMPARE(dialog.AddEditTextSample->palette().color(QPalette::Text), textBefore);
    }

    w.driver.onNext<QColorDialog>([&](QColorDialog* colourDialog) {
        colourDialog->setCurrentColor(QColor(1, 2, 3));
        confirm ? colourDialog->accept() : colourDialog->reject();
    });
    QTest::mouseClick(dialog.AddEditTextColor, Qt::LeftButton);
    QVERIFY(w.driver.seen());
    QCOMPARE(base(dialog.AddEditTextSample), confirm ? QColor(1, 2, 3) : QColor(Qt::white));
}

void TestOptionsForm::appliedAtOnceAndAtNextStart()
{
    throughCommand([](TOptionsForm* form) {
        ScriptedFontDialog fonts;
        fonts.answers = {font(u"DejaVu Serif"_s, 14, true), font(u"DejaVu Sans Mono"_s, 10, false, true),
                         font(u"DejaVu Sans"_s, 12, false, false, true)};
        form->setFontDialog(std::ref(fonts));
        QList<QColor> colours{QColor(10, 20, 30), QColor(40, 50, 60), QColor(70, 80, 90)};
        form->setColorDialog([&](QColor& colour, QWidget*) {
            colour = colours.takeFirst();
            return true;
        });
        for (QPushButton* button : {form->NotesListFont, form->NotesListColor, form->NotesTextFont,
                                    form->NotesTextColor, form->AddEditTextFont, form->AddEditTextColor})
            QTest::mouseClick(button, Qt::LeftButton);
        form->AutoSave->setChecked(true);
        form->ResizableWindow->setChecked(true);
        form->WordWrap->setChecked(true);
        form->PriorityColors->setChecked(true);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
    });

    const auto check = [this] {
        const QWidget* list = w.form().notesList();
        const auto* pane = w.form().findChild<QPlainTextEdit*>(u"NoteText"_s);
        QCOMPARE(list->font().family(), u"DejaVu Serif"_s);
        QCOMPARE(list->font().pointSize(), 14);
        QVERIFY(list->font().bold());
        QCOMPARE(base(list), QColor(10, 20, 30));
        QCOMPARE(pane->font().family(), u"DejaVu Sans Mono"_s);
        QCOMPARE(pane->font().pointSize(), 10);
        QVERIFY(pane->font().italic());
        QCOMPARE(base(pane), QColor(40, 50, 60));
        QCOMPARE(w.form().AddEditFont().family(), u"DejaVu Sans"_s);
        QVERIFY(w.form().AddEditFont().underline());
        QCOMPARE(w.form().AddEditColor(), QColor(70, 80, 90));
        QVERIFY(w.form().autoSaveOnAddEdit());
        QVERIFY(w.form().minimumSize() != w.form().maximumSize());
        QCOMPARE(pane->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(w.form().notesList()->itemDelegateForColumn(NotesModel::PriorityColumn));
    };
    check();
    if (QTest::currentTestFailed())
        return;

    // The Add/Edit dialog shows them the next time it opens.
    QFont addEditShown;
    QColor addEditColour;
    auto addEditWrap = QPlainTextEdit::NoWrap;
    w.driver.onNextDialog([&](QDialog* dialog) {
        if (auto* form = qobject_cast<TAddEditForm*>(dialog)) {
            addEditShown = form->NoteText->font();
            addEditColour = base(form->NoteText);
            addEditWrap = form->NoteText->lineWrapMode();
        }
        dialog->reject();
    });
    w.form().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.form()));
    QTest::keyClick(w.form().notesList(), Qt::Key_Insert);
    QVERIFY(w.driver.seen());
    QCOMPARE(addEditShown.family(), u"DejaVu Sans"_s);
    QCOMPARE(addEditShown.pointSize(), 12);
    QVERIFY(addEditShown.underline());
    QCOMPARE(addEditColour, QColor(70, 80, 90));
    QCOMPARE(addEditWrap, QPlainTextEdit::WidgetWidth);

    // And the next start applies them from the settings file.
    w.createForm();
    check();
}

void TestOptionsForm::unwritableSettingsReported()
{
    // A folder where the settings file should be: every write fails.
    QVERIFY(QDir().mkdir(w.iniPath()));
    const QFont listFont = w.form().notesList()->font();
    throughCommand([](TOptionsForm* form) {
        form->setFontDialog([](QFont& font, QColor&, QWidget*) {
            font = QFont(u"DejaVu Serif"_s, 20);
            return true;
        });
        QTest::mouseClick(form->NotesListFont, Qt::LeftButton);
        form->LoadAtWinStart->setChecked(true);
        form->AutoSave->setChecked(true);
        MessageBox::setNextAnswers({QMessageBox::Ok});
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
        // The failure is reported and the dialog stays, so that the user can still cancel.
        QVERIFY(form->isVisible());
    });
    takeOneBox(u"发现错误"_s);
    const QString log = w.errorLog();
    QVERIFY2(log.contains(u"Class name: IniWriteError\r\n"_s), qPrintable(log));
    QVERIFY2(log.contains(u"Error message: 无法写入 "_s), qPrintable(log));
    // Nothing after the failed write happened.
    QVERIFY(!QFile::exists(Autostart::entryPath()));
    QCOMPARE(w.form().notesList()->font(), listFont);
    QVERIFY(!w.form().autoSaveOnAddEdit());
}

// ---------------------------------------------------------------------------------------------------------
// Start with the desktop

void TestOptionsForm::loadAtWinStartClick()
{
    TOptionsForm dialog(w.form());
    dialog.show();
    QVERIFY(!dialog.LoadAtWinStart->isChecked());
    QVERIFY(!dialog.MinToTray->isChecked());
    QVERIFY(!dialog.MinToTray->isEnabled());

    QTest::mouseClick(dialog.LoadAtWinStart, Qt::LeftButton);
    QVERIFY(dialog.LoadAtWinStart->isChecked());
    QVERIFY(dialog.MinToTray->isEnabled());
    QVERIFY(!dialog.MinToTray->isChecked());
    QTest::mouseClick(dialog.MinToTray, Qt::LeftButton);
    QVERIFY(dialog.MinToTray->isChecked());

    QTest::mouseClick(dialog.LoadAtWinStart, Qt::LeftButton);
    QVERIFY(!dialog.LoadAtWinStart->isChecked());
    QVERIFY(!dialog.MinToTray->isChecked());
    QVERIFY(!dialog.MinToTray->isEnabled());
}

void TestOptionsForm::autostartShown_data()
{
    QTest::addColumn<QString>("exec"); // empty: no entry
    QTest::addColumn<bool>("load");
    QTest::addColumn<bool>("minimized");
    const QString self = AppPaths::executablePath();
    QTest::newRow("none") << QString() << false << false;
    QTest::newRow("plain") << self << true << false;
    QTest::newRow("minimize") << self + u" /minimize"_s << true << true;
    QTest::newRow("other case") << asciiUpper(self) + u" /MINIMIZE"_s << true << true;
    QTest::newRow("other program") << u"/usr/bin/other /minimize"_s << false << false;
}

void TestOptionsForm::autostartShown()
{
    QFETCH(QString, exec);
    QFETCH(bool, load);
    QFETCH(bool, minimized);
    if (!exec.isEmpty())
        writeAutostart(exec);
    TOptionsForm dialog(w.form());
    dialog.show();
    QCOMPARE(dialog.LoadAtWinStart->isChecked(), load);
    QCOMPARE(dialog.MinToTray->isChecked(), minimized);
    QCOMPARE(dialog.MinToTray->isEnabled(), load);
}

void TestOptionsForm::autostartWritten_data()
{
    QTest::addColumn<QString>("exec"); // empty: no entry before
    QTest::addColumn<bool>("load");
    QTest::addColumn<bool>("minimized");
    QTest::addColumn<QString>("outcome"); // "ours", "ours minimized", "none" or "untouched"
    const QString self = AppPaths::executablePath();
    QTest::newRow("new entry") << QString() << true << false << "ours";
    QTest::newRow("new minimized entry") << QString() << true << true << "ours minimized";
    QTest::newRow("switch added") << self << true << true << "ours minimized";
    QTest::newRow("switch removed") << self + u" /minimize"_s << true << false << "ours";
    QTest::newRow("another program's replaced") << u"/usr/bin/other"_s << true << false << "ours";
    QTest::newRow("ours removed") << self << false << false << "none";
    QTest::newRow("ours in other case removed")
        << asciiUpper(self) + u" /MINIMIZE"_s << false << false << "none";
    QTest::newRow("another program's kept") << u"/usr/bin/other /minimize"_s << false << false << "untouched";
    QTest::newRow("nothing to remove") << QString() << false << false << "none";
}

void TestOptionsForm::autostartWritten()
{
    QFETCH(QString, exec);
    QFETCH(bool, load);
    QFETCH(bool, minimized);
    QFETCH(QString, outcome);
    if (!exec.isEmpty())
        writeAutostart(exec);
    const QByteArray before = readFile(Autostart::entryPath());

    TOptionsForm dialog(w.form());
    dialog.show();
    dialog.LoadAtWinStart->setChecked(load);
    dialog.MinToTray->setChecked(minimized);
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);
    QVERIFY(MessageBox::takeShown().isEmpty());

    const Autostart::AutostartState state = Autostart::read(exe());
    if (outcome == u"none") {
        QVERIFY(!QFile::exists(Autostart::entryPath()));
    } else if (outcome == u"untouched") {
        QCOMPARE(readFile(Autostart::entryPath()), before);
        QVERIFY(!state.enabled);
    } else {
        QVERIFY(state.enabled);
        QCOMPARE(state.minimized, outcome == u"ours minimized");
        const QByteArray entry = readFile(Autostart::entryPath());
        QVERIFY2(entry.contains("Exec=" + exe().toUtf8()), entry.constData());
        QCOMPARE(entry.contains(" /minimize"), state.minimized);
    }
    // The dialog shows what it wrote the next time.
    TOptionsForm again(w.form());
    again.show();
    QCOMPARE(again.LoadAtWinStart->isChecked(), state.enabled);
    QCOMPARE(again.MinToTray->isChecked(), state.minimized);
}

void TestOptionsForm::autostartFailureReported()
{
    // A file where the autostart folder should be.
    QVERIFY(writeFile(w.path(u"config/autostart"_s), "not a folder"));
    TOptionsForm dialog(w.form());
    dialog.show();
    dialog.LoadAtWinStart->setChecked(true);
    dialog.OpenLastFile->setChecked(true);
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::mouseClick(dialog.OkBtn, Qt::LeftButton);

    const MessageBox::Shown shown = takeOneBox(u"错误"_s, {}, QMessageBox::Critical);
    QVERIFY2(shown.text.startsWith(u"无法创建文件夹 "_s), qPrintable(shown.text));
    // The rest of the options are saved and applied all the same.
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(readIni(General, u"OpenLastFile"_s), u"1"_s);
    QCOMPARE(readIni(u"AddEditText"_s, u"ForeColor"_s), u"16777215"_s);
    QVERIFY(!Autostart::read(exe()).enabled);
}

// ---------------------------------------------------------------------------------------------------------
// File association

void TestOptionsForm::fileAssociation_data()
{
    QTest::addColumn<bool>("withTools");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("refresh tools, then OK") << true << true;
    QTest::newRow("no refresh tools, then Cancel") << false << false;
}

void TestOptionsForm::fileAssociation()
{
    QFETCH(bool, withTools);
    QFETCH(bool, confirm);
    const QString log = w.path(u"tools.log"_s);
    QFile::remove(log);
    if (withTools) {
        for (const QString& tool : {u"update-mime-database"_s, u"update-desktop-database"_s}) {
            const QString path = w.path(u"bin/"_s + tool);
            QVERIFY(writeFile(path, "#!/bin/sh\necho \"" + tool.toUtf8() + " $*\" >> '" +
                                        QFile::encodeName(log) + "'\n"));
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner));
        }
    }

    TOptionsForm dialog(w.form());
    dialog.show();
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTest::mouseClick(dialog.RegisterFileTypeBtn, Qt::LeftButton);
    takeOneBox(u"关联"_s, u"扩展名 .qlt 已成功关联到\r"_s + exe(), QMessageBox::Information, QMessageBox::Ok);
    QVERIFY(dialog.isVisible());

    QTest::mouseClick(confirm ? dialog.OkBtn : dialog.CancelBtn, Qt::LeftButton);
    // Registered at once, whatever OK or Cancel do afterwards.
    QVERIFY(readFile(FileAssociation::mimePackagePath()).contains("<glob pattern=\"*.qlt\"/>"));
    const QByteArray entry = readFile(FileAssociation::desktopEntryPath());
    QVERIFY2(entry.contains(exe().toUtf8()), entry.constData());
    QVERIFY(entry.contains("MimeType=application/x-quillet;"));
    QVERIFY(readFile(FileAssociation::mimeAppsListPath()).contains("application/x-quillet=quillet.desktop"));
    const QByteArray dataHome = QFile::encodeName(w.path(u"data"_s));
    QCOMPARE(readFile(log), withTools ? "update-mime-database " + dataHome +
                                            "/mime\nupdate-desktop-database " + dataHome + "/applications\n"
                                      : QByteArray("<unreadable>")); // no tool, no log
    QCOMPARE(QFile::exists(w.iniPath()), confirm);
}

void TestOptionsForm::fileAssociationFailureReachesHandler()
{
    // The data folder lies under a file: nothing can be made there.
    QVERIFY(writeFile(w.path(u"data"_s), "a file"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(w.path(u"data/share"_s)));

    throughCommand([](TOptionsForm* form) {
        MessageBox::setNextAnswers({QMessageBox::Ok});
        QTest::mouseClick(form->RegisterFileTypeBtn, Qt::LeftButton);
        // The failure ends the registration, not the dialog.
        QVERIFY(form->isVisible());
    });
    takeOneBox(u"发现错误"_s);
    const QString log = w.errorLog();
    QVERIFY2(log.contains(u"Class name: QuilletError\r\n"_s), qPrintable(log));
    QVERIFY2(log.contains(u"Error message: 创建文件关联错误:\r\n%1 - "_s.arg(ENOTDIR)), qPrintable(log));
    QVERIFY(!QFile::exists(FileAssociation::desktopEntryPath()));
    QVERIFY(!QFile::exists(FileAssociation::mimeAppsListPath()));
}

QTEST_MAIN(TestOptionsForm)

#include "tst_optionsform.moc"
