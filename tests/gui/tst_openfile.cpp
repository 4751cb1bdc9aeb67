#include "TestFiles.h"
#include "WindowHarness.h"

#include "app/StatusPanel.h"
#include "document/FileLock.h"
#include "document/NotesModel.h"
#include "document/QltFormat.h"
#include "document/StrongFormat.h"
#include "forms/EnterPassFormU.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/Cipher.h"
#include "shared/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Damaged = u"打开文件时发生错误。文件可能已损坏。"_s;

QList<Note> sampleNotes()
{
    return {makeNote(u"购物\r\n牛奶 and bread"_s, u"高"_s, true), makeNote(u"Latin only"_s, u"低"_s),
            makeNote(QString(), u"最高"_s, true), makeNote(u"outside GBK: \U0001F600 € ẞ"_s, u"标准"_s)};
}

} // namespace

class TestOpenFile : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void saveAndOpenRoundTrip_data();
    void saveAndOpenRoundTrip();
    void passwordDialog();
    void passwordWrongThenRight_data();
    void passwordWrongThenRight();
    void passwordCancelled_data();
    void passwordCancelled();
    void longPasswordKeptWhole();
    void refusedFiles_data();
    void refusedFiles();
    void missingFileSilent();
    void refusedSaveQuestionLoadsNothing();
    void damagedAfterResetLeavesEmptyDocument();
    void failedSave_data();
    void failedSave();
    void commandLineWithPassword();
    void commandLineBareName();
    void commandLineUnprotectedIgnoresPassword();
    void lastFile_data();
    void lastFile();
    void lockWarnsSecondWindow_data();
    void lockWarnsSecondWindow();
    void lockFollowsTheDocument();
};

// ---------------------------------------------------------------------------------------------------------
// Round trips

void TestOpenFile::saveAndOpenRoundTrip_data()
{
    QTest::addColumn<QList<Note>>("notes");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("strong");
    QTest::newRow("plain") << sampleNotes() << QString() << false;
    QTest::newRow("password") << sampleNotes() << u"s3cret"_s << false;
    QTest::newRow("chinese password") << sampleNotes() << u"密码abc"_s << false;
    QTest::newRow("empty list") << QList<Note>() << QString() << false;
    QTest::newRow("empty list, password") << QList<Note>() << u"key"_s << false;
    QTest::newRow("strong") << sampleNotes() << u"s3cret"_s << true;
    QTest::newRow("strong, chinese password") << sampleNotes() << u"密码abc"_s << true;
    QTest::newRow("strong, empty list") << QList<Note>() << u"key"_s << true;
}

void TestOpenFile::saveAndOpenRoundTrip()
{
    QFETCH(QList<Note>, notes);
    QFETCH(QString, password);
    QFETCH(bool, strong);
    w.createForm();
    w.seed(notes, true);
    givePassword(w.form(), gb(password), strong ? Protection::Kind::Strong : Protection::Kind::Classic);
    const QString path = w.path(u"round.qlt"_s);
    w.form().SaveFile(path);
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(!w.form().GetModified());
    QCOMPARE(w.form().FileName(), path);
    // Byte for byte what quillet-cli writes for the same notes; a strong file as quillet-cli reads it.
    QCOMPARE(StrongFormat::isStrong(readFile(path)), strong);
    if (strong)
        QCOMPARE(notesIn(path, gb(password)), notes);
    else
        QCOMPARE(readFile(path), notesFile(notes, gb(password)));
    if (notes.isEmpty() && !strong)
        QCOMPARE(readFile(path).size(), 18);

    w.createForm();
    bool dialogShown = false;
    if (!password.isEmpty()) {
        // Chinese text is not typed key by key: the box gets it directly, as an input method would.
        w.driver.onNext<TEnterPassForm>([&](TEnterPassForm* form) {
            dialogShown = true;
            form->Pass->setText(password);
            QTest::mouseClick(form->OkBtn, Qt::LeftButton);
        });
    }
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QCOMPARE(dialogShown, !password.isEmpty());
    QCOMPARE(w.model().notes(), notes);
    QCOMPARE(w.form().FileName(), path);
    QCOMPARE(w.form().Password(), gb(password));
    QVERIFY(!w.form().GetModified());
    QCOMPARE(w.panel(0), u"总计: %1"_s.arg(notes.size()));
    QCOMPARE(w.form().MRUList().value(0), path);
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - round.qlt"_s);
    QCOMPARE(w.form().statusPanel(4)->hasIcon(), !password.isEmpty());
    QCOMPARE(w.form().statusPanel(4)->toolTip().startsWith(u"强保护"_s), strong);
    QCOMPARE(w.panel(5), QDir::toNativeSeparators(w.dir()) + QDir::separator());
    // Captions come back from the texts.
    for (int row = 0; row < notes.size(); ++row) {
        const QString caption = w.model().data(w.model().index(row, NotesModel::CaptionColumn)).toString();
        QCOMPARE(caption, AnsiText::toUnicode(notes.at(row).text).section(QLatin1Char('\r'), 0, 0));
    }
}

// ---------------------------------------------------------------------------------------------------------
// The enter-password dialog

void TestOpenFile::passwordDialog()
{
    const QString path = w.path(u"locked.qlt"_s);
    QVERIFY(writeFile(path, golden(u"password.qlt")));
    w.createForm();
    QFont font(u"Noto Sans"_s);
    font.setPointSize(11);
    w.form().setFont(font);

    QString title, working, prefilled;
    bool hasIcon = false, sameFont = false, fileOpen = false;
    w.driver.onNext<TEnterPassForm>([&](TEnterPassForm* form) {
        title = form->windowTitle();
        hasIcon = !form->windowIcon().isNull();
        sameFont = form->font() == w.form().font();
        prefilled = form->Pass->text();
        working = w.panel(5);
        fileOpen = isOpenHere(path);
        form->Pass->setText(u"密码"_s);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
    });
    QCOMPARE(w.form().OpenFile(path, "given", false, false), TMainForm::OpenOutcome::Loaded);
    QCOMPARE(title, u"输入密码"_s);
    QVERIFY(hasIcon);
    QVERIFY(sameFont);
    QCOMPARE(prefilled, u"given"_s);
    // The document was reset before the question, and the file stays open while it is asked.
    QCOMPARE(working, u"正在打开..."_s);
    QVERIFY(fileOpen);
    QVERIFY(!isOpenHere(path));
    QCOMPARE(w.model().notes(), goldenNotes(u"password.qlt"));
    QCOMPARE(w.panel(5), QDir::toNativeSeparators(w.dir()) + QDir::separator());
}

void TestOpenFile::passwordWrongThenRight_data()
{
    QTest::addColumn<bool>("merge");
    QTest::addColumn<bool>("strong");
    QTest::newRow("open") << false << false;
    QTest::newRow("import") << true << false;
    QTest::newRow("open, strong") << false << true;
    QTest::newRow("import, strong") << true << true;
}

void TestOpenFile::passwordWrongThenRight()
{
    QFETCH(bool, merge);
    QFETCH(bool, strong);
    const QString path = w.path(u"locked.qlt"_s);
    QVERIFY(writeFile(path,
                      strong ? strongFile(sampleNotes(), "right123") : notesFile(sampleNotes(), "right123")));
    w.createForm();
    const QList<Note> before{makeNote(u"mine"_s)};
    w.seed(before, false);

    QList<MessageBox::Shown> refusals;
    bool stayedOpen = false;
    w.driver.onNext<TEnterPassForm>([&](TEnterPassForm* form) {
        MessageBox::setNextAnswers({QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok});
        // "right124" shares the check value of "right123"; the notes it deciphers give it away.
        for (const QString& wrong : {u"Right"_s, QString(), u"right124"_s}) {
            form->Pass->clear();
            QTest::keyClicks(form->Pass, wrong);
            QTest::mouseClick(form->OkBtn, Qt::LeftButton);
        }
        refusals = MessageBox::takeShown();
        stayedOpen = form->isVisible();
        form->Pass->clear();
        QTest::keyClicks(form->Pass, u"right123"_s);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
        if (form->isVisible())
            form->reject();
    });
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, merge), TMainForm::OpenOutcome::Loaded);
    QVERIFY(stayedOpen);
    QCOMPARE(refusals.size(), 3);
    for (qsizetype i = 0; i < refusals.size(); ++i) {
        // What "right124" deciphers of a classic file could as well be a damaged file's; the dialog says so.
        QCOMPARE(refusals[i].text, i == 2 && !strong ? u"密码不正确或文件已损坏。"_s : u"密码不正确。"_s);
        QCOMPARE(refusals[i].caption, u"错误"_s);
    }
    if (merge) {
        QCOMPARE(w.model().notes(), before + sampleNotes());
        QVERIFY(w.form().GetModified());
        QCOMPARE(w.form().FileName(), QString());
        QCOMPARE(w.form().Password(), QByteArray());
        // An unnamed document is not entered in the recent list.
        QVERIFY(w.form().MRUList().isEmpty());
    } else {
        QCOMPARE(w.model().notes(), sampleNotes());
        QVERIFY(!w.form().GetModified());
        QCOMPARE(w.form().Password(), QByteArray("right123"));
    }
}

void TestOpenFile::passwordCancelled_data()
{
    QTest::addColumn<bool>("merge");
    QTest::newRow("open") << false;
    QTest::newRow("import") << true;
}

void TestOpenFile::passwordCancelled()
{
    QFETCH(bool, merge);
    const QString path = w.path(u"locked.qlt"_s);
    QVERIFY(writeFile(path, notesFile(sampleNotes(), "right")));
    const QString mine = w.path(u"mine.qlt"_s);
    w.createForm();
    w.seed({makeNote(u"mine"_s)}, false);
    givePassword(w.form(), "old");
    w.form().SaveFile(mine);
    // Before a load without merge the caller has dealt with the changes; an import keeps them.
    w.form().SetModified(merge);

    w.answerPassword(u"right"_s, false);
    const TMainForm::OpenOutcome outcome = w.form().OpenFile(path, QByteArray(), false, merge);
    QVERIFY(w.driver.seen());
    QVERIFY(MessageBox::takeShown().isEmpty());
    if (merge) {
        QCOMPARE(outcome, TMainForm::OpenOutcome::Untouched);
        QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"mine"_s)});
        QVERIFY(w.form().GetModified());
        QCOMPARE(w.form().FileName(), mine);
        QCOMPARE(w.form().Password(), QByteArray("old"));
        QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - mine.qlt"_s);
    } else {
        // The empty, unnamed document of the reset remains.
        QCOMPARE(outcome, TMainForm::OpenOutcome::Reset);
        QCOMPARE(w.model().rowCount(), 0);
        QVERIFY(!w.form().GetModified());
        QCOMPARE(w.form().FileName(), QString());
        QCOMPARE(w.form().Password(), QByteArray());
        QCOMPARE(w.form().windowTitle(), u"Quillet v1.54"_s);
        QCOMPARE(w.panel(5), QString());
        QCOMPARE(w.panel(0), u"总计: 0"_s);
    }
    QCOMPARE(w.form().MRUList(), QStringList{mine});
}

// Longer than a user may set (another program wrote it): kept whole.
void TestOpenFile::longPasswordKeptWhole()
{
    const QByteArray longPassword(120, 'k');
    const QString typed = QString::fromLatin1(longPassword);
    const QString path = w.path(u"long.qlt"_s);
    QVERIFY(writeFile(path, notesFile(sampleNotes(), longPassword)));
    w.createForm();
    w.answerPassword(typed);
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QCOMPARE(w.model().notes(), sampleNotes());
    QCOMPARE(w.form().Password(), longPassword);
    w.form().SaveFile(path);
    QCOMPARE(readFile(path), notesFile(sampleNotes(), longPassword));
}

// ---------------------------------------------------------------------------------------------------------
// Refused and damaged files

void TestOpenFile::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
    QTest::addColumn<QString>("message");
    const QByteArray good = notesFile({makeNote(u"x"_s)});
    QByteArray version3 = good;
    version3[6] = 3;
    QByteArray strongAltered = strongFile({makeNote(u"x"_s)}, "pw");
    strongAltered[20] = char(strongAltered[20] ^ 1);
    QByteArray otherLetters = good;
    otherLetters[1] = 'Q';
    QByteArray otherLength = good;
    otherLength[0] = 5;
    QTest::newRow("missing") << QByteArray() << u"文件不存在:\r%1"_s;
    QTest::newRow("other letters") << otherLetters << u"这不是一个 Quillet 文件。"_s;
    QTest::newRow("other length byte") << otherLength << u"这不是一个 Quillet 文件。"_s;
    QTest::newRow("text file") << QByteArray("hello world, not notes") << u"这不是一个 Quillet 文件。"_s;
    QTest::newRow("version 3") << version3 << u"不兼容的文件版本 (3)"_s;
    QTest::newRow("header cut short") << good.left(15) << Damaged;
    QTest::newRow("strong, parameters altered") << strongAltered << Damaged;
}

// Refused before the document is reset: nothing changes, the old caption and folder come back.
void TestOpenFile::refusedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = w.path(u"refused.qlt"_s);
    if (!bytes.isEmpty())
        QVERIFY(writeFile(path, bytes));
    w.createForm();
    const QString mine = w.path(u"mine.qlt"_s);
    w.seed({makeNote(u"keep me"_s)}, false);
    w.form().SaveFile(mine);
    w.form().SetModified(true);
    const QString folder = w.panel(5);

    MessageBox::setNextAnswers({QMessageBox::Ok});
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Untouched);
    takeOneBox(u"错误"_s, message.contains("%1"_L1) ? message.arg(path) : message);
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"keep me"_s)});
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.form().FileName(), mine);
    QCOMPARE(w.panel(5), folder);
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - mine.qlt"_s);
    QCOMPARE(w.form().MRUList(), QStringList{mine});
}

void TestOpenFile::missingFileSilent()
{
    w.createForm();
    w.seed({makeNote(u"keep"_s)}, true);
    QCOMPARE(w.form().OpenFile(w.path(u"gone.qlt"_s), QByteArray(), true, false),
             TMainForm::OpenOutcome::Untouched);
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(w.model().rowCount(), 1);
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.panel(5), QString());
}

// Callers clear the modified mark before a load; when one does not and the question is refused, the
// file's notes must not end up among the rows that stay.
void TestOpenFile::refusedSaveQuestionLoadsNothing()
{
    const QString path = w.path(u"other.qlt"_s);
    QVERIFY(writeFile(path, golden(u"plain.qlt")));
    w.createForm();
    w.seed({makeNote(u"unsaved"_s)}, true);
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Untouched);
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"unsaved"_s)});
    QCOMPARE(w.form().FileName(), QString());
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.panel(5), QString());
}

void TestOpenFile::damagedAfterResetLeavesEmptyDocument()
{
    QByteArray bytes = notesFile(sampleNotes());
    bytes.chop(3); // the last record ends early
    const QString path = w.path(u"cut.qlt"_s);
    QVERIFY(writeFile(path, bytes));
    // Without a password: behind one, such a record is what a wrong password deciphers, and is refused so.
    QByteArray tooLong = notesFile({makeNote(u"abc"_s)});
    // TextLength is enciphered: flip its high byte so that it claims far more than the file holds.
    tooLong[18 + 3] = char(tooLong[18 + 3] ^ 0x40);
    const QString longPath = w.path(u"long.qlt"_s);
    QVERIFY(writeFile(longPath, tooLong));

    w.createForm();
    w.seed({makeNote(u"old"_s)}, false);
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Reset);
    QCOMPARE(MessageBox::takeShown().value(0).text, Damaged);
    QCOMPARE(w.model().rowCount(), 0);
    QCOMPARE(w.form().FileName(), QString());
    QVERIFY(w.form().MRUList().isEmpty());

    // Import is all or nothing: no row and no change mark from a damaged file.
    w.seed({makeNote(u"old"_s)}, false);
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QCOMPARE(w.form().OpenFile(longPath, QByteArray(), false, true), TMainForm::OpenOutcome::Untouched);
    QCOMPARE(MessageBox::takeShown().value(0).text, Damaged);
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"old"_s)});
    QVERIFY(!w.form().GetModified());
}

// ---------------------------------------------------------------------------------------------------------
// Failed saves

void TestOpenFile::failedSave_data()
{
    QTest::addColumn<bool>("sizeLimit");
    QTest::newRow("folder that cannot exist") << false;
    QTest::newRow("device full after some bytes") << true;
}

void TestOpenFile::failedSave()
{
    QFETCH(bool, sizeLimit);
#ifndef Q_OS_UNIX
    if (sizeLimit)
        QSKIP("needs a file size limit");
#endif
    w.createForm();
    const QString path = w.path(u"kept.qlt"_s);
    w.seed({makeNote(u"first"_s)}, true);
    w.form().SaveFile(path);
    const QByteArray old = readFile(path);
    QVERIFY(old.size() > 18);

    // Enough new text that the file cannot stay under the limit.
    w.seed({makeNote(QString(4000, QLatin1Char('n')))}, true);
    // A regular file where the folder should be: no save can succeed there, also for root.
    const QString blocker = w.path(u"blocker"_s);
    QVERIFY(writeFile(blocker, "a file"));
    const QString target = sizeLimit ? path : blocker + u"/inside.qlt"_s;
    MessageBox::setNextAnswers({QMessageBox::Ok});
    {
#ifdef Q_OS_UNIX
        std::unique_ptr<FileSizeLimit> limit;
        if (sizeLimit) {
            limit = std::make_unique<FileSizeLimit>(old.size() + 100);
            QVERIFY(limit->active());
        }
#endif
        w.form().SaveFile(target);
    }
    const MessageBox::Shown shown = takeOneBox(u"错误"_s);
    QVERIFY2(isSaveFailure(shown.text), qPrintable(shown.text));
    QCOMPARE(readFile(path), old);
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.panel(3), u"已修改"_s);
    QCOMPARE(w.form().FileName(), path);
    QCOMPARE(w.form().MRUList(), QStringList{path});
    QCOMPARE(w.form().windowTitle(), u"Quillet v1.54 - kept.qlt"_s);
    QCOMPARE(w.panel(5), QDir::toNativeSeparators(w.dir()) + QDir::separator());
    // No temporary file is left behind beside the old one.
    QCOMPARE(QDir(w.dir()).entryList({u"kept.qlt*"_s}, QDir::Files | QDir::Hidden), QStringList{"kept.qlt"});
    // The message is the same whatever went wrong; the error log keeps the system's reason.
    if (!sizeLimit)
        QVERIFY(w.errorLog().contains(u"inside.qlt: "_s));
}

// ---------------------------------------------------------------------------------------------------------
// First activation

void TestOpenFile::commandLineWithPassword()
{
    QVERIFY(QDir(w.dir()).mkpath(u"docs"_s));
    const QString path = w.path(u"docs/cmd.qlt"_s);
    QVERIFY(writeFile(path, notesFile(sampleNotes(), "secret")));
    QString prefilled;
    QPoint centre, screenCentre;
    w.driver.onNext<TEnterPassForm>([&](TEnterPassForm* form) {
        prefilled = form->Pass->text();
        centre = form->frameGeometry().center();
        screenCentre = form->screen()->availableGeometry().center();
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
        if (form->isVisible())
            form->reject();
    });
    w.createForm({path, u"secret"_s});
    QVERIFY(w.driver.seen());
    QCOMPARE(prefilled, u"secret"_s);
    QVERIFY2(
        (centre - screenCentre).manhattanLength() <= 2,
        qPrintable(
            u"%1,%2 vs %3,%4"_s.arg(centre.x()).arg(centre.y()).arg(screenCentre.x()).arg(screenCentre.y())));
    QCOMPARE(w.model().notes(), sampleNotes());
    QCOMPARE(w.form().FileName(), path);
    QCOMPARE(w.form().Password(), QByteArray("secret"));

    // Later opens place the dialog over the window as usual, and a second activation opens nothing.
    w.driver.onNextDialog([&](QDialog* dialog) {
        centre = dialog->frameGeometry().center();
        dialog->reject();
    });
    w.form().OpenFile(path, QByteArray(), false, false);
    QVERIFY(w.driver.seen());
    QVERIFY((centre - w.form().frameGeometry().center()).manhattanLength() <= 2);
}

void TestOpenFile::commandLineBareName()
{
    // The current folder comes first, as a terminal user means; the program's folder after it.
    QVERIFY(QDir(w.dir()).mkpath(u"cwd"_s));
    QVERIFY(writeFile(w.path(u"cwd/bare.qlt"_s), notesFile({makeNote(u"here"_s)})));
    QVERIFY(writeFile(w.path(u"bare.qlt"_s), notesFile({makeNote(u"beside"_s)})));
    QVERIFY(writeFile(w.path(u"only.qlt"_s), notesFile({makeNote(u"only"_s)})));
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(w.path(u"cwd"_s)));
    w.createForm({u"bare.qlt"_s});
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"here"_s)});
    QCOMPARE(w.form().FileName(), w.path(u"cwd/bare.qlt"_s));
    w.createForm({u"only.qlt"_s});
    QVERIFY(QDir::setCurrent(old));
    QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"only"_s)});
    QCOMPARE(w.form().FileName(), w.path(u"only.qlt"_s));

    // A missing one is reported with the path it was looked for under.
    MessageBox::setNextAnswers({QMessageBox::Ok});
    w.createForm({u"nothere.qlt"_s});
    QCOMPARE(MessageBox::takeShown().value(0).text, u"文件不存在:\r"_s + w.path(u"nothere.qlt"_s));
}

void TestOpenFile::commandLineUnprotectedIgnoresPassword()
{
    const QString path = w.path(u"open.qlt"_s);
    QVERIFY(writeFile(path, golden(u"plain.qlt")));
    w.driver.onNextDialog([](QDialog* dialog) { dialog->reject(); });
    w.createForm({path, u"unused"_s});
    QVERIFY(!w.driver.seen());
    w.driver.cancel();
    QCOMPARE(w.model().notes(), goldenNotes(u"plain.qlt"));
    QCOMPARE(w.form().Password(), QByteArray());
}

void TestOpenFile::lastFile_data()
{
    QTest::addColumn<QString>("openLastFile");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("opened");
    QTest::newRow("on") << u"1"_s << true << QStringList() << true;
    QTest::newRow("on, file gone") << u"1"_s << false << QStringList() << false;
    QTest::newRow("off") << u"0"_s << true << QStringList() << false;
    QTest::newRow("true is not on") << u"true"_s << true << QStringList() << false;
    QTest::newRow("minimize ignores the path")
        << u"1"_s << true << QStringList{"other.qlt", "-MINIMIZE"} << true;
}

void TestOpenFile::lastFile()
{
    QFETCH(QString, openLastFile);
    QFETCH(bool, exists);
    QFETCH(QStringList, arguments);
    QFETCH(bool, opened);
    const QString path = w.path(u"last.qlt"_s);
    if (exists)
        QVERIFY(writeFile(path, notesFile(sampleNotes())));
    QVERIFY(writeFile(w.path(u"other.qlt"_s), notesFile({makeNote(u"other"_s)})));
    w.writeIni(u"General"_s, u"OpenLastFile"_s, openLastFile);
    w.writeIni(u"General"_s, u"LastFile"_s, path);
    w.createForm(arguments);
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(w.model().notes(), opened ? sampleNotes() : QList<Note>());
    QCOMPARE(w.form().FileName(), opened ? path : QString());
    QVERIFY(!w.form().GetModified());
}

// ---------------------------------------------------------------------------------------------------------
// One window per file

void TestOpenFile::lockWarnsSecondWindow_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("no") << int(QMessageBox::No);
    QTest::newRow("yes") << int(QMessageBox::Yes);
}

void TestOpenFile::lockWarnsSecondWindow()
{
    QFETCH(int, answer);
    const QString path = w.path(u"shared.qlt"_s);
    QVERIFY(writeFile(path, notesFile(sampleNotes())));
    // Another running window holds the file: its lock names a live process of this host.
    FileLock other;
    QCOMPARE(other.acquire(path).status, FileLock::Status::Acquired);
    w.createForm();
    w.seed({makeNote(u"unsaved"_s)}, true);
    MessageBox::setNextAnswers({QMessageBox::No, QMessageBox::StandardButton(answer)});
    FileDialog::setNextResults({FileDialog::Result{true, path, 1}});
    w.act("FileOpenCmd")->trigger();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(1).text, u"该文件已在另一个 Quillet 窗口中打开。\n"
                               "两个窗口保存同一个文件时会互相覆盖对方的更改。\n"
                               "仍要打开吗?"_s);
    QCOMPARE(shown.at(1).caption, u"确认"_s);
    QCOMPARE(shown.at(1).icon, QMessageBox::Warning);
    QCOMPARE(shown.at(1).buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(shown.at(1).defaultButton, QMessageBox::No);
    if (answer == QMessageBox::No) {
        // Nothing opened, and the unsaved notes are still protected.
        QCOMPARE(w.model().notes(), QList<Note>{makeNote(u"unsaved"_s)});
        QVERIFY(w.form().GetModified());
        QCOMPARE(w.form().FileName(), QString());
    } else {
        QCOMPARE(w.model().notes(), sampleNotes());
        QCOMPARE(w.form().FileName(), path);
    }
    // The other window's lock is left alone either way.
    QVERIFY(other.isHeld());
    QVERIFY(QFile::exists(FileLock::lockPathFor(path)));
    w.destroyForm();
    QVERIFY(QFile::exists(FileLock::lockPathFor(path)));
}

void TestOpenFile::lockFollowsTheDocument()
{
    const QString first = w.path(u"first.qlt"_s);
    const QString second = w.path(u"second.qlt"_s);
    QVERIFY(writeFile(first, notesFile(sampleNotes())));
    w.createForm();
    QCOMPARE(w.form().OpenFile(first, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QVERIFY(QFile::exists(FileLock::lockPathFor(first)));
    // Opening our own file again asks nothing.
    QCOMPARE(w.form().OpenFile(first, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(QFile::exists(FileLock::lockPathFor(first)));

    // Save as moves the lock to the new name; new lets it go; close releases it.
    w.form().SaveFile(second);
    QVERIFY(!QFile::exists(FileLock::lockPathFor(first)));
    QVERIFY(QFile::exists(FileLock::lockPathFor(second)));
    w.act("FileNewCmd")->trigger();
    QVERIFY(!QFile::exists(FileLock::lockPathFor(second)));
    QCOMPARE(w.form().OpenFile(second, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    QVERIFY(QFile::exists(FileLock::lockPathFor(second)));
    w.destroyForm();
    QVERIFY(!QFile::exists(FileLock::lockPathFor(second)));

    // Import does not take the imported file's lock.
    w.createForm();
    QCOMPARE(w.form().OpenFile(first, QByteArray(), false, true), TMainForm::OpenOutcome::Loaded);
    QVERIFY(!QFile::exists(FileLock::lockPathFor(first)));
}

QTEST_MAIN(TestOpenFile)
#include "tst_openfile.moc"
