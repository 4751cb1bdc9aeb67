#include "ChildCase.h"
#include "TestFiles.h"

#include "document/QltFile.h"

#include "document/QltFormat.h"
#include "shared/FileSizeLimit.h"
#include "shared/NoteFields.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using QltFile::ReadStatus;

namespace {

constexpr QFileDevice::Permissions AllPermissionBits =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther |
    QFileDevice::ExeOther;

QFileDevice::Permissions modeOf(const QString& path)
{
    return QFile::permissions(path) & AllPermissionBits;
}

} // namespace

class TestQltFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void readAllGivesTheWholeFile_data();
    void readAllGivesTheWholeFile();
    void readAllMissingFile();
    void readAllRefusesWhatIsNoRegularFile();
    void readAllUnreadableFile();

    void newFilePermissions_data();
    void newFilePermissions();
    void writeReplacesAndKeepsPermissions();
    void writeLeavesNoTemporaryFiles();
    void guardedWriteKeepsAnotherVersion_data();
    void guardedWriteKeepsAnotherVersion();
    void writeIntoMissingFolderFails();
    void writeIntoReadOnlyFolderKeepsOldFile();
    void unusableTargetRefused_data();
    void unusableTargetRefused();
    void pipeTakesTextInPlace();
    void saveOverOtherUsersFileKeepsOwner();
    void plantedLinkNotFollowed_data();
    void plantedLinkNotFollowed();
    void failedCommitKeepsOldFile_data();
    void failedCommitKeepsOldFile();
    void writeNotesMatchesTheWholeFile_data();
    void writeNotesMatchesTheWholeFile();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    QTemporaryDir m_base;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestQltFile::initTestCase()
{
    QVERIFY(m_base.isValid());
    qputenv("QUILLET_APPDIR", m_base.path().toLocal8Bit());
}

void TestQltFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>(m_base.filePath("case-XXXXXX"));
    QVERIFY(m_dir->isValid());
}

void TestQltFile::cleanup()
{
    // A test may leave a folder read-only; make it removable again.
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_dir.reset();
}

void TestQltFile::readAllGivesTheWholeFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("with zero bytes") << QByteArray("\x04qltf\0\x01\0", 8);
    QByteArray large(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char(i * 7);
    QTest::newRow("several MiB") << large;
    Note note{"line one\r\nline two", "x", Note::ImageNotDone};
    QTest::newRow("notes file") << QltFormat::write({note, note}, "pw", 42);
}

void TestQltFile::readAllGivesTheWholeFile()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(QltFile::writeAtomically(path("notes.qlt"), bytes));
    QVERIFY(readFile(path("notes.qlt")) == bytes);
    const auto result = QltFile::readAll(path("notes.qlt"));
    QCOMPARE(result.status, ReadStatus::Ok);
    QCOMPARE(result.bytes.size(), bytes.size());
    QVERIFY(result.bytes == bytes);
}

void TestQltFile::readAllMissingFile()
{
    const auto result = QltFile::readAll(path("nothing-here.qlt"));
    QCOMPARE(result.status, ReadStatus::Missing);
    QVERIFY(result.bytes.isEmpty());
    QCOMPARE(QltFile::readAll(path("no-folder/notes.qlt")).status, ReadStatus::Missing);
}

void TestQltFile::readAllRefusesWhatIsNoRegularFile()
{
    QVERIFY(QDir(m_dir->path()).mkdir("folder.qlt"));
    QCOMPARE(QltFile::readAll(path("folder.qlt")).status, ReadStatus::CannotRead);

    // Opening a pipe would wait for a writer forever.
    const QByteArray fifo = QFile::encodeName(path("pipe.qlt"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    QCOMPARE(QltFile::readAll(path("pipe.qlt")).status, ReadStatus::CannotRead);
}

void TestQltFile::readAllUnreadableFile()
{
    if (!runsUnprivileged())
        return;
    QVERIFY(writeFile(path("locked.qlt"), "secret"));
    QVERIFY(QFile::setPermissions(path("locked.qlt"), QFileDevice::WriteOwner));
    QFile probe(path("locked.qlt"));
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("file permissions do not apply to this user");
    const auto result = QltFile::readAll(path("locked.qlt"));
    QCOMPARE(result.status, ReadStatus::CannotRead);
    QVERIFY(result.bytes.isEmpty());
}

void TestQltFile::newFilePermissions_data()
{
    QTest::addColumn<bool>("notes");
    QTest::addColumn<int>("umask");
    QTest::addColumn<QFileDevice::Permissions>("expected");
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    // The widest umask: the 0600 must come from the writer itself.
    QTest::newRow("notes, umask 000") << true << 0 << ownerOnly;
    QTest::newRow("text, umask 022") << false << 022
                                     << (ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QTest::newRow("text, umask 077") << false << 077 << ownerOnly;
}

void TestQltFile::newFilePermissions()
{
    QFETCH(bool, notes);
    QFETCH(int, umask);
    QFETCH(QFileDevice::Permissions, expected);
    const mode_t oldMask = ::umask(mode_t(umask));
    const bool ok = notes ? QltFile::writeNotes(path("new"), {}, {}, 0)
                          : QltFile::writeAtomically(path("new"), "content");
    ::umask(oldMask);
    QVERIFY(ok);
    QCOMPARE(modeOf(path("new")), expected);
}

void TestQltFile::writeReplacesAndKeepsPermissions()
{
    const QFileDevice::Permissions shared =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QVERIFY(writeFile(path("old.qlt"), "a much longer old content than the new one"));
    QVERIFY(QFile::setPermissions(path("old.qlt"), shared));
    QVERIFY(QltFile::writeAtomically(path("old.qlt"), "new"));
    QCOMPARE(readFile(path("old.qlt")), QByteArray("new"));
    QCOMPARE(modeOf(path("old.qlt")), shared);

    QVERIFY(QltFile::writeAtomically(path("old.qlt"), QByteArray()));
    QCOMPARE(readFile(path("old.qlt")), QByteArray());

    // The set-group-ID bit, which no Qt permission names, stays too: 2640 stays 2640.
    const QByteArray name = QFile::encodeName(path("old.qlt"));
    QCOMPARE(::chmod(name.constData(), 02640), 0);
    QVERIFY(QltFile::writeNotes(path("old.qlt"), {}, {}, 0));
    struct stat info;
    QCOMPARE(::stat(name.constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(02640));
}

void TestQltFile::writeLeavesNoTemporaryFiles()
{
    QVERIFY(QltFile::writeAtomically(path("a.qlt"), "one"));
    QVERIFY(QltFile::writeAtomically(path("a.qlt"), "two"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.qlt"});
}

void TestQltFile::guardedWriteKeepsAnotherVersion_data()
{
    QTest::addColumn<bool>("otherArrives"); // another program's version comes right after the last look
    QTest::newRow("nobody else") << false;
    QTest::newRow("another version during the rename") << true;
}

void TestQltFile::guardedWriteKeepsAnotherVersion()
{
    QFETCH(bool, otherArrives);
    const QString target = path("a.qlt");
    QVERIFY(writeFile(target, "mine before"));
    QltFile::ReplaceGuard guard;
    int looks = 0;
    guard.isUnchanged = [&](const QString& file) {
        const bool unchanged = readFile(file) == "mine before";
        if (++looks == 1 && otherArrives)
            writeFile(target, "theirs");
        return unchanged;
    };
    QVERIFY(QltFile::writeComposedNotes(
        target, [](QIODevice& out) { return out.write("mine now") == 8; }, nullptr, &guard));
    QCOMPARE(looks, 2);
    QVERIFY(!guard.refused);
    QCOMPARE(readFile(target), QByteArray("mine now"));
    QStringList expected{u"a.qlt"_s};
    if (otherArrives) {
        QVERIFY2(QRegularExpression(u"/a\\.conflict-\\d{8}-\\d{6}\\.qlt$"_s).match(guard.keptAs).hasMatch(),
                 qPrintable(guard.keptAs));
        QCOMPARE(readFile(guard.keptAs), QByteArray("theirs"));
        expected.prepend(QFileInfo(guard.keptAs).fileName());
    } else {
        QVERIFY(guard.keptAs.isEmpty());
    }
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TestQltFile::writeIntoMissingFolderFails()
{
    QVERIFY(!QltFile::writeAtomically(path("missing/notes.qlt"), "x"));
    QVERIFY(!QFile::exists(path("missing")));
    QVERIFY(writeFile(path("plain"), "i am a file"));
    QVERIFY(!QltFile::writeAtomically(path("plain/notes.qlt"), "x"));
    QCOMPARE(readFile(path("plain")), QByteArray("i am a file"));
}

void TestQltFile::unusableTargetRefused_data()
{
    QTest::addColumn<QString>("target"); // what stands at the path
    QTest::addColumn<bool>("notes");
    QTest::newRow("no write permission bit, notes") << "read-only" << true;
    QTest::newRow("no write permission bit, text") << "read-only" << false;
    QTest::newRow("link to itself") << "link to itself" << true;
    QTest::newRow("link to nothing") << "link to nothing" << false;
    QTest::newRow("pipe, notes") << "pipe" << true;
}

// Refused for root too: its writes are not stopped by permissions, and a rename would replace anything.
void TestQltFile::unusableTargetRefused()
{
    QFETCH(QString, target);
    QFETCH(bool, notes);
    const QString file = path("target");
    if (target == u"read-only") {
        QVERIFY(writeFile(file, "old"));
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    } else if (target == u"pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    } else {
        QVERIFY(QFile::link(target == u"link to itself" ? file : path("nothing"), file));
    }
    const auto identity = [&] {
        struct stat info = {};
        ::lstat(QFile::encodeName(file).constData(), &info);
        return std::pair(info.st_ino, info.st_mode);
    };
    const auto before = identity();
    QString error;
    QVERIFY(!(notes ? QltFile::writeNotes(file, {}, {}, 0, &error)
                    : QltFile::writeAtomically(file, "x", &error)));
    QVERIFY(!error.isEmpty());
    QVERIFY(identity() == before);
    QVERIFY(!QFile::exists(path("nothing")));
    if (target == u"read-only")
        QCOMPARE(readFile(file), QByteArray("old"));
}

void TestQltFile::pipeTakesTextInPlace()
{
    const QString fifo = path("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QProcess reader;
    reader.start(u"cat"_s, {fifo});
    QVERIFY(reader.waitForStarted());
    QVERIFY(QltFile::writeAtomically(fifo, "report"));
    QVERIFY(reader.waitForFinished(10000));
    QCOMPARE(reader.readAllStandardOutput(), QByteArray("report"));
    struct stat info = {};
    QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &info), 0);
    QVERIFY(S_ISFIFO(info.st_mode));
}

// Root saving a user's file must leave it that user's, with its group and mode.
void TestQltFile::plantedLinkNotFollowed_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<bool>("byNobody"); // else the link is this user's
    QTest::addColumn<bool>("followed");
    QTest::newRow("sticky, another user's") << 01777 << true << false;
    QTest::newRow("writable by all, another user's") << 0777 << true << false;
    QTest::newRow("sticky, own") << 01777 << false << true;
    QTest::newRow("private folder, another user's") << 0755 << true << true;
}

// Another user plants a link in a shared folder, pointing at a private file of this user: a report written
// to that name never lands in the private file.
void TestQltFile::plantedLinkNotFollowed()
{
    QFETCH(int, folderMode);
    QFETCH(bool, byNobody);
    QFETCH(bool, followed);
    if (::geteuid() != 0)
        QSKIP("only root can give a link to another user");
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    const QString secret = path("secret.qlt");
    QVERIFY(writeFile(secret, "private"));
    QCOMPARE(::chmod(QFile::encodeName(secret).constData(), 0600), 0);
    QVERIFY(QDir().mkdir(path("shared")));
    QCOMPARE(::chmod(QFile::encodeName(path("shared")).constData(), mode_t(folderMode)), 0);
    const QByteArray link = QFile::encodeName(path("shared/report.txt"));
    QCOMPARE(::symlink(QFile::encodeName(secret).constData(), link.constData()), 0);
    if (byNobody)
        QCOMPARE(::lchown(link.constData(), nobody->pw_uid, nobody->pw_gid), 0);
    QCOMPARE(QltFile::writeAtomically(path("shared/report.txt"), "report"), followed);
    QCOMPARE(readFile(secret), followed ? QByteArray("report") : QByteArray("private"));
}

void TestQltFile::saveOverOtherUsersFileKeepsOwner()
{
    if (::geteuid() != 0)
        QSKIP("only root can save over another user's file");
    const passwd* nobody = ::getpwnam("nobody");
    QVERIFY(nobody);
    const QString file = path("theirs.qlt");
    QVERIFY(writeFile(file, "old"));
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    QCOMPARE(::chown(QFile::encodeName(file).constData(), nobody->pw_uid, nobody->pw_gid), 0);
    QVERIFY(QltFile::writeNotes(file, {}, {}, 0));
    struct stat info = {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &info), 0);
    QCOMPARE(info.st_uid, nobody->pw_uid);
    QCOMPARE(info.st_gid, nobody->pw_gid);
    QCOMPARE(info.st_mode & 07777, mode_t(0640));
    QCOMPARE(readFile(file).size(), QltFormat::StreamOffset);
}

void TestQltFile::writeIntoReadOnlyFolderKeepsOldFile()
{
    if (!runsUnprivileged())
        return;
    QVERIFY(writeFile(path("notes.qlt"), "old notes"));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QFile probe(path("probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("folder permissions do not apply to this user");
    }
    QVERIFY(!QltFile::writeAtomically(path("notes.qlt"), "new notes"));
    QCOMPARE(readFile(path("notes.qlt")), QByteArray("old notes"));
    QVERIFY(!QltFile::writeAtomically(path("other.qlt"), "x"));
    QVERIFY(!QFile::exists(path("other.qlt")));
}

void TestQltFile::failedCommitKeepsOldFile_data()
{
    QTest::addColumn<bool>("asNotes");
    QTest::newRow("bytes") << false;
    QTest::newRow("notes") << true;
}

void TestQltFile::failedCommitKeepsOldFile()
{
    QFETCH(bool, asNotes);
    Note note;
    note.text = QByteArray(64 * 1024, 'n');
    const auto save = [&](const QString& target) {
        return asNotes ? QltFile::writeNotes(target, {note}, "pw", 0)
                       : QltFile::writeAtomically(target, note.text);
    };
    QVERIFY(writeFile(path("notes.qlt"), "old notes"));
    bool ok = true;
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            QSKIP("cannot lower the file size limit");
        ok = save(path("notes.qlt"));
    }
    QVERIFY(!ok);
    QCOMPARE(readFile(path("notes.qlt")), QByteArray("old notes"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.qlt"});

    // The same failure on a new file leaves nothing behind.
    {
        FileSizeLimit limit(4096);
        ok = save(path("fresh.qlt"));
    }
    QVERIFY(!ok);
    QVERIFY(!QFile::exists(path("fresh.qlt")));
}

void TestQltFile::writeNotesMatchesTheWholeFile_data()
{
    QTest::addColumn<QList<qsizetype>>("textSizes");
    QTest::addColumn<QByteArray>("password");
    QTest::newRow("no notes") << QList<qsizetype>{} << QByteArray();
    QTest::newRow("small notes, protected") << QList<qsizetype>{0, 1, 500, 3} << QByteArray("Kennwort");
    // Texts larger than the writer's piece, and records that straddle piece edges.
    QTest::newRow("large texts") << QList<qsizetype>{300000, 7, 262137, 1, 1048576} << QByteArray("k");
}

void TestQltFile::writeNotesMatchesTheWholeFile()
{
    QFETCH(QList<qsizetype>, textSizes);
    QFETCH(QByteArray, password);
    QList<Note> notes;
    for (const qsizetype size : textSizes) {
        Note note;
        note.text.resize(size);
        for (qsizetype i = 0; i < size; ++i)
            note.text[i] = char('a' + (i * 7 + size) % 26);
        note.priority = SharedSrc::GetPriorityByIndex(int(size % 4));
        note.imageIndex = size % 3 ? Note::ImageDone : Note::ImageNotDone;
        notes.append(note);
    }
    QVERIFY(QltFile::writeNotes(path("stream.qlt"), notes, password, 7));
    const QByteArray written = readFile(path("stream.qlt"));
    QVERIFY(written == QltFormat::write(notes, password, 7));
    const auto read =
        QltFormat::readNotes(written.mid(QltFormat::StreamOffset), QltFormat::streamKey(password));
    QVERIFY(read.has_value());
    QVERIFY(*read == notes);
}

QTEST_GUILESS_MAIN(TestQltFile)
#include "tst_qltfile.moc"
