#include "TestFiles.h"
#include "TypeText.h"
#include "WindowHarness.h"

#include "app/StatusPanel.h"
#include "document/NotesDocument.h"
#include "document/NotesModel.h"
#include "document/QltFile.h"
#include "forms/AddEditFormU.h"
#include "forms/FileDialog.h"
#include "forms/MessageBox.h"
#include "shared/FileSizeLimit.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString ChangedOnDisk = u"文件在打开或上次保存之后已被其他程序更改:\n%1\n\n"
                              "覆盖它的更改, 另存为其他文件, 还是取消保存?"_s;

// Larger than the pieces a save is written in, so that failures can strike in the middle of the stream.
QList<Note> largeNotes(const QString& word)
{
    QList<Note> notes;
    for (int i = 0; i < 300; ++i)
        notes.append(makeNote(word + QString::number(i) + u"\r\n"_s + QString(1000, QChar(u'文')), u"高"_s,
                              i % 2 == 0));
    return notes;
}

#ifdef Q_OS_UNIX
void removeAllNotes(NotesDocument& document)
{
    while (!document.notes().isEmpty())
        document.removeNote(0);
}
#endif

QList<Note> notesOf(const QStringList& texts)
{
    QList<Note> notes;
    for (const QString& text : texts)
        notes.append(makeNote(text));
    return notes;
}

// The files beside a notes file, but for the window's lock on it.
QStringList filesBeside(const QString& path)
{
    QStringList names = QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(u'.' + QFileInfo(path).fileName() + u".lock"_s);
    names.removeAll(u"ErrorLog.txt"_s); // where a failed save leaves its reason
    return names;
}

#ifdef Q_OS_LINUX
// A tmpfs of its own at `dir` for one test, to have a disk that fills up or turns read-only. Needs the
// right to mount (root); tests skip without it.
class ScratchMount
{
public:
    ScratchMount(const QString& dir, int kibibytes) : m_dir(QFile::encodeName(dir))
    {
        QDir().mkpath(dir);
        const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k,mode=0700";
        m_mounted = ::mount("tmpfs", m_dir.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~ScratchMount()
    {
        if (m_readOnly)
            ::umount2(m_dir.constData(), MNT_DETACH);
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool mounted() const { return m_mounted; }
    // A read-only view laid over the disk: the window's lock keeps a file open for writing on the disk
    // itself, which would refuse to be remounted read-only.
    bool makeReadOnly()
    {
        m_readOnly =
            ::mount(m_dir.constData(), m_dir.constData(), nullptr, MS_BIND, nullptr) == 0 &&
            ::mount(nullptr, m_dir.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
        return m_readOnly;
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
    bool m_readOnly = false;
};
#endif

} // namespace

// Saves that fail part-way or cannot start: each time the message, the old file as it was, no temporary
// file left behind, the document still whole and modified, and the next save succeeding.
class TestFaultInjection : public WindowTest
{
    Q_OBJECT

private Q_SLOTS:
    void writeFailsAfterSomeBytes_data();
    void writeFailsAfterSomeBytes();
    void fullDisk();
    void readOnlyFolder();
    void documentFileChangedBehindTheWindow_data();
    void documentFileChangedBehindTheWindow();
    void changedFileAsksBeforeSaving_data();
    void changedFileAsksBeforeSaving();
    void changedFileReloadsUnmodified();
    void halfWrittenFileIsNeitherTakenNorSavedOver();
    void notesNoLongerOnDiskAreUnsaved_data();
    void notesNoLongerOnDiskAreUnsaved();
    void changeUnderAnOpenDialogWaits_data();
    void changeUnderAnOpenDialogWaits();
    void unwritableDebugLog();

private:
    // Triggers Save and checks what a failed save must leave.
    void saveFailsKeeping(const QString& path, const QByteArray& old, const QList<Note>& document);
    void saveSucceeds(const QString& path);
};

void TestFaultInjection::saveFailsKeeping(const QString& path, const QByteArray& old,
                                          const QList<Note>& document)
{
    MessageBox::setNextAnswers({QMessageBox::Ok});
    w.act("FileSaveCmd")->trigger();
    const MessageBox::Shown shown = takeOneBox();
    QVERIFY2(isSaveFailure(shown.text), qPrintable(shown.text));
    // The report names the routine that failed, where the full disk left room for one.
    if (const QString log = w.errorLog(); log != u"<unreadable>"_s) {
        QVERIFY2(log.contains(u"Function: TMainForm.SaveFile\r\n"_s), qPrintable(log));
        QVERIFY(!log.contains(u"Function: TMainForm.SetFileInfo"_s));
    }
    QCOMPARE(readFile(path), old);
    QCOMPARE(filesBeside(path), QStringList{QFileInfo(path).fileName()});
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.model().notes(), document);
}

void TestFaultInjection::saveSucceeds(const QString& path)
{
    w.act("FileSaveCmd")->trigger();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(!w.form().GetModified());
    QCOMPARE(notesIn(path), w.model().notes());
}

void TestFaultInjection::writeFailsAfterSomeBytes_data()
{
    QTest::addColumn<qint64>("room");
    QTest::newRow("no byte") << qint64(0);
    QTest::newRow("header only") << qint64(18);
    QTest::newRow("inside the second piece") << qint64(300 * 1024);
    QTest::newRow("all but the last byte") << qint64(-1);
}

void TestFaultInjection::writeFailsAfterSomeBytes()
{
#ifdef Q_OS_UNIX
    QFETCH(qint64, room);
    const QString path = w.path(u"notes.qlt"_s);
    const QList<Note> changed = largeNotes(u"new "_s);
    // The old file: the first version of the document, saved before the change.
    w.createForm();
    w.seed(largeNotes(u"old "_s), true);
    w.form().SaveFile(path);
    const QByteArray old = readFile(path);
    removeAllNotes(w.form().document());
    w.seed(changed, true);
    if (room < 0)
        room = notesFile(changed).size() - 1;
    {
        FileSizeLimit limit{rlim_t(room)};
        QVERIFY(limit.active());
        saveFailsKeeping(path, old, changed);
    }
    saveSucceeds(path);
#else
    QSKIP("Needs a file size limit.");
#endif
}

void TestFaultInjection::fullDisk()
{
#ifdef Q_OS_LINUX
    const QString dir = w.path(u"small disk"_s);
    ScratchMount disk(dir, 1024);
    if (!disk.mounted())
        QSKIP("Cannot mount a small file system here (needs root).");
    const QString path = QDir(dir).filePath(u"notes.qlt"_s);
    w.createForm();
    w.seed({makeNote(u"kept"_s)}, true);
    w.form().SaveFile(path);
    const QByteArray old = readFile(path);
    QVERIFY(!old.isEmpty());

    // Two copies of this document do not fit: the old file and the new one beside it.
    QList<Note> larger = largeNotes(u"grown "_s);
    larger += largeNotes(u"more "_s);
    w.seed(larger, true);
    const QList<Note> document = w.model().notes();
    QVERIFY(notesFile(document).size() > 1024 * 1024);
    saveFailsKeeping(path, old, document);

    // Space made in the document: the next save fits, and no leftover is in its way.
    removeAllNotes(w.form().document());
    w.seed(largeNotes(u"smaller "_s), true);
    QVERIFY(notesFile(w.model().notes()).size() + old.size() < 1024 * 1024);
    MessageBox::setNextAnswers({QMessageBox::Ok}); // so that a failure fails the test instead of waiting
    saveSucceeds(path);
#else
    QSKIP("Needs Linux mounts.");
#endif
}

void TestFaultInjection::readOnlyFolder()
{
#ifdef Q_OS_LINUX
    const QString dir = w.path(u"read-only"_s);
    std::optional<ScratchMount> disk;
    if (::geteuid() == 0) {
        disk.emplace(dir, 4096);
        if (!disk->mounted())
            QSKIP("Cannot mount a file system to make read-only here.");
    } else {
        QVERIFY(QDir().mkpath(dir));
    }
    const QString path = QDir(dir).filePath(u"notes.qlt"_s);
    w.createForm();
    w.seed({makeNote(u"kept"_s)}, true);
    w.form().SaveFile(path);
    const QByteArray old = readFile(path);
    QVERIFY(!old.isEmpty());
    if (disk)
        QVERIFY(disk->makeReadOnly());
    else
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    w.seed({makeNote(u"added"_s)}, true);
    saveFailsKeeping(path, old, w.model().notes());

    // The program goes on: the document is saved somewhere else instead.
    const QString elsewhere = w.path(u"elsewhere.qlt"_s);
    FileDialog::setNextResults({{true, elsewhere, 1}});
    w.act("FileSaveAsCmd")->trigger();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(notesIn(elsewhere), w.model().notes());
    QCOMPARE(w.form().FileName(), elsewhere);
    if (!disk)
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
#else
    QSKIP("Needs Linux mounts.");
#endif
}

void TestFaultInjection::documentFileChangedBehindTheWindow_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("saves");
    QTest::newRow("file deleted") << "delete" << true;
    // Another program's file in its place: the save asks first (see changedFileAsksBeforeSaving).
    QTest::newRow("file replaced by another") << "replace" << false;
    QTest::newRow("file replaced by a folder") << "folder" << false;
    QTest::newRow("folder removed") << "remove folder" << false;
}

void TestFaultInjection::documentFileChangedBehindTheWindow()
{
    QFETCH(QString, change);
    QFETCH(bool, saves);
    QVERIFY(QDir(w.dir()).mkdir(u"docs"_s));
    const QString path = w.path(u"docs/notes.qlt"_s);
    QVERIFY(writeFile(path, notesFile({makeNote(u"on disk"_s)})));
    w.createForm({path});
    QCOMPARE(w.form().FileName(), path);
    w.seed({makeNote(u"typed since"_s)}, true);
    const QList<Note> document = w.model().notes();

    if (change == u"delete") {
        QVERIFY(QFile::remove(path));
    } else if (change == u"replace") {
        QVERIFY(QFile::remove(path));
        QVERIFY(writeFile(path, "another program's file"));
    } else if (change == u"folder") {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
    } else {
#ifdef Q_OS_WIN
        QSKIP("a folder that holds an open file (the window's lock) cannot be removed here");
#endif
        QVERIFY(QDir(w.path(u"docs"_s)).removeRecursively());
    }

    if (saves) {
        saveSucceeds(path);
        QCOMPARE(notesIn(path), document);
        return;
    }
    const bool replaced = change == u"replace";
    MessageBox::setNextAnswers({replaced ? QMessageBox::Cancel : QMessageBox::Ok});
    w.act("FileSaveCmd")->trigger();
    const MessageBox::Shown shown = takeOneBox();
    if (replaced) {
        QCOMPARE(shown.text, ChangedOnDisk.arg(QDir::toNativeSeparators(path)));
        QCOMPARE(readFile(path), QByteArray("another program's file"));
    } else {
        QVERIFY2(isSaveFailure(shown.text), qPrintable(shown.text));
    }
    QVERIFY(w.form().GetModified());
    QCOMPARE(w.model().notes(), document);

    const QString elsewhere = w.path(u"rescued.qlt"_s);
    FileDialog::setNextResults({{true, elsewhere, 1}});
    w.act("FileSaveAsCmd")->trigger();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(notesIn(elsewhere), document);
    QVERIFY(!w.form().GetModified());
}

void TestFaultInjection::changedFileAsksBeforeSaving_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("overwrite") << int(QMessageBox::Yes);
    QTest::newRow("save as") << int(QMessageBox::Save);
    QTest::newRow("cancel") << int(QMessageBox::Cancel);
}

// A second window opened the file despite the warning, added a note and saved: this window hears of it
// at once and asks before its own save would erase that note.
void TestFaultInjection::changedFileAsksBeforeSaving()
{
    QFETCH(int, answer);
    const QString path = w.path(u"notes.qlt"_s);
    QVERIFY(writeFile(path, notesFile({makeNote(u"on disk"_s)})));
    w.createForm({path});
    w.seed({makeNote(u"typed here"_s)}, true);
    const QList<Note> mine = w.model().notes();

    struct : NotesDocument::OpenQuestions
    {
        std::optional<QByteArray> password(const NotesDocument::PasswordTest&) override { return {}; }
        bool openDespiteLock() override { return true; }
    } despiteLock;
    NotesDocument second(NotesDocument::Locking::HoldFileLock);
    QCOMPARE(second.open(path, despiteLock).status, NotesDocument::OpenStatus::Opened);
    second.insertNote(1, makeNote(u"typed there"_s));
    QVERIFY(second.save(path).saved);
    const QByteArray theirs = readFile(path);

    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTRY_VERIFY(!MessageBox::hasPendingAnswers());
    QVERIFY(takeOneBox().text.startsWith(u"文件已被其他程序更改:\n"_s));
    QCOMPARE(w.model().notes(), mine);

    const QString elsewhere = w.path(u"mine.qlt"_s);
    FileDialog::setNextResults({{true, elsewhere, 1}});
    MessageBox::setNextAnswers({QMessageBox::StandardButton(answer)});
    w.act("FileSaveCmd")->trigger();
    const MessageBox::Shown shown =
        takeOneBox({}, ChangedOnDisk.arg(QDir::toNativeSeparators(path)), QMessageBox::NoIcon,
                   QMessageBox::Yes | QMessageBox::Save | QMessageBox::Cancel);
    QCOMPARE(shown.defaultButton, QMessageBox::Cancel);
    QCOMPARE(w.form().GetModified(), answer == QMessageBox::Cancel);
    QCOMPARE(readFile(path) == theirs, answer != QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        QCOMPARE(notesIn(path), mine);
    if (answer == QMessageBox::Save) {
        QCOMPARE(notesIn(elsewhere), mine);
        QCOMPARE(w.form().FileName(), elsewhere);
    }
}

// A sync engine puts another machine's version in place by a rename, again and again: the window without
// unsaved changes shows each one, keeping the selected note where it still exists.
void TestFaultInjection::changedFileReloadsUnmodified()
{
    const QString path = w.path(u"synced.qlt"_s);
    QVERIFY(writeFile(path, notesFile(notesOf({"one", "two", "three"}), "pw")));
    w.createForm();
    w.answerPassword(u"pw"_s);
    QCOMPARE(w.form().OpenFile(path, QByteArray(), false, false), TMainForm::OpenOutcome::Loaded);
    w.form().selectRow(1);

    const QList<Note> arrived = notesOf({"new", "one", "two", "three"});
    QVERIFY(QltFile::writeAtomically(path, notesFile(arrived, "pw")));
    QTRY_COMPARE(w.model().notes(), arrived);
    QCOMPARE(w.form().selectedRow(), 2);
    QVERIFY(w.form().statusBar()->currentMessage().startsWith(u"文件已被其他程序更改, 已重新载入"_s));
    // Readable: the panels step aside while it shows, and come back after.
    for (int panel = 0; panel < TMainForm::StatusPanelCount; ++panel)
        QVERIFY(!w.form().statusPanel(panel)->isVisible());
    w.form().statusBar()->clearMessage();
    for (int panel = 0; panel < TMainForm::StatusPanelCount; ++panel)
        QVERIFY(w.form().statusPanel(panel)->isVisible());
    QVERIFY(!w.form().GetModified());
    QCOMPARE(w.form().Password(), QByteArray("pw"));

    const QList<Note> without = notesOf({"one", "three"});
    QVERIFY(QltFile::writeAtomically(path, notesFile(without, "pw")));
    QTRY_COMPARE(w.model().notes(), without);
    QVERIFY(!w.form().IsSelected());

    // Caught half-written, the file is not taken: the notes shown stay until it is whole.
    QVERIFY(writeFile(path, notesFile(arrived, "pw").chopped(3)));
    QTest::qWait(200);
    QCOMPARE(w.model().notes(), without);
    QCOMPARE(w.form().FileName(), path);
    QVERIFY(MessageBox::takeShown().isEmpty());
}

// A writer that truncates the file and writes it in pieces pauses where what is there is a shorter list
// that reads well: the window neither shows that nor lets its own change overwrite the writer's file.
void TestFaultInjection::halfWrittenFileIsNeitherTakenNorSavedOver()
{
    const QString path = w.path(u"notes.qlt"_s);
    const QList<Note> before = notesOf({"one", "two", "three"});
    QVERIFY(writeFile(path, notesFile(before)));
    w.createForm({path});
    w.form().setAutoSaveOnAddEdit(true);
    const QByteArray theirs = notesFile(notesOf({"first", "second", "third", "fourth"}));
    const QByteArray piece = notesFile(notesOf({"first"}));
    QVERIFY(theirs.startsWith(piece));

    QFile writer(path);
    QVERIFY(writer.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(writer.write(piece), piece.size());
    QVERIFY(writer.flush());
    QTest::qWait(100);
    QCOMPARE(w.model().notes(), before);
    w.form().selectRow(0);
    MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("NotesDoneUndoneCmd")->trigger();
    takeOneBox({}, ChangedOnDisk.arg(QDir::toNativeSeparators(path)));
    QCOMPARE(writer.write(theirs.sliced(piece.size())), theirs.size() - piece.size());
    writer.close();
    QCOMPARE(readFile(path), theirs);

    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTRY_VERIFY(!MessageBox::hasPendingAnswers());
    QVERIFY(takeOneBox().text.startsWith(u"文件已被其他程序更改:\n"_s));
    QVERIFY(w.form().GetModified());
}

void TestFaultInjection::notesNoLongerOnDiskAreUnsaved_data()
{
    QTest::addColumn<QByteArray>("replacement"); // empty: the file is deleted
    QTest::newRow("garbage") << QByteArray("garbage\n");
    QTest::newRow("deleted") << QByteArray();
}

// The window shows the only good copy of the notes once the file is replaced by what cannot be read or is
// deleted: they count as unsaved, New asks, and a save writes them back.
void TestFaultInjection::notesNoLongerOnDiskAreUnsaved()
{
    QFETCH(QByteArray, replacement);
    const QString path = w.path(u"notes.qlt"_s);
    const QList<Note> notes = notesOf({"one", "two"});
    QVERIFY(writeFile(path, notesFile(notes)));
    w.createForm({path});
    if (replacement.isEmpty())
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(QltFile::writeAtomically(path, replacement));
    QTRY_VERIFY(w.form().GetModified());
    QCOMPARE(w.panel(TMainForm::PanelModified), u"已修改"_s);

    MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("FileNewCmd")->trigger();
    takeOneBox(u"确认"_s);
    QCOMPARE(w.model().notes(), notes);

    if (!replacement.isEmpty())
        MessageBox::setNextAnswers({QMessageBox::Yes});
    w.act("FileSaveCmd")->trigger();
    if (!replacement.isEmpty())
        takeOneBox({}, ChangedOnDisk.arg(QDir::toNativeSeparators(path)));
    QCOMPARE(notesIn(path), notes);
    QVERIFY(!w.form().GetModified());
}

void TestFaultInjection::changeUnderAnOpenDialogWaits_data()
{
    QTest::addColumn<bool>("autoSave");
    QTest::newRow("auto-save") << true;
    QTest::newRow("no auto-save") << false;
}

// Another program drops a note above the one being edited: the edit still goes to the note the dialog
// was opened on, and the other version is neither taken under the dialog nor saved over unasked.
void TestFaultInjection::changeUnderAnOpenDialogWaits()
{
    QFETCH(bool, autoSave);
    const QString path = w.path(u"notes.qlt"_s);
    QVERIFY(writeFile(path, notesFile(notesOf({"Alpha", "Bravo", "Charlie", "Delta", "Echo"}))));
    w.createForm({path});
    w.form().setAutoSaveOnAddEdit(autoSave);
    w.form().selectRow(2);
    const QByteArray theirs = notesFile(notesOf({"Alpha", "Charlie", "Delta", "Echo"}));
    w.driver.onNext<TAddEditForm>([&](TAddEditForm* form) {
        QVERIFY(QltFile::writeAtomically(path, theirs));
        QTest::qWait(1500);
        QTest::keyClick(form->NoteText, Qt::Key_End, Qt::ControlModifier);
        typeText(form->NoteText, u" EDITED"_s);
        QTest::mouseClick(form->OkBtn, Qt::LeftButton);
    });
    if (autoSave)
        MessageBox::setNextAnswers({QMessageBox::Cancel});
    w.act("NotesEditCmd")->trigger();
    QVERIFY(w.driver.seen());
    QCOMPARE(w.texts(), QStringList({"Alpha", "Bravo", "Charlie EDITED", "Delta", "Echo"}));
    if (autoSave)
        takeOneBox({}, ChangedOnDisk.arg(QDir::toNativeSeparators(path)));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    QTRY_VERIFY(!MessageBox::hasPendingAnswers());
    QVERIFY(takeOneBox().text.startsWith(u"文件已被其他程序更改:\n"_s));
    QCOMPARE(readFile(path), theirs);
    QVERIFY(w.form().GetModified());
}

void TestFaultInjection::unwritableDebugLog()
{
    // A folder where the debug log should be: tracing fails on every call, and nothing else may.
    QVERIFY(QDir(w.dir()).mkdir(u"qltdbg.dat"_s));
    MessageBox::setNextAnswers({QMessageBox::Ok});
    w.createForm({u"/debug"_s});
    QCOMPARE(MessageBox::takeShown().size(), 1); // "Quillet in debug mode."
    const QString path = w.path(u"traced.qlt"_s);
    w.seed(largeNotes(u"traced "_s), true);
    FileDialog::setNextResults({{true, path, 1}});
    w.act("FileSaveAsCmd")->trigger();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(notesIn(path), w.model().notes());
    QVERIFY(QFileInfo(w.path(u"qltdbg.dat"_s)).isDir());
}

QTEST_MAIN(TestFaultInjection)
#include "tst_faultinjection.moc"
