#include "document/QltFile.h"

#include "document/QltFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

// Lowers the process's file size limit for one scope, so that writes past it fail even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

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

    void writeCreatesOwnerOnlyFile();
    void writeReplacesAndKeepsPermissions();
    void writeLeavesNoTemporaryFiles();
    void writeIntoMissingFolderFails();
    void writeIntoReadOnlyFolderKeepsOldFile();
    void failedCommitKeepsOldFile();
    void savedNotesReadBack();

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
}

void TestQltFile::readAllGivesTheWholeFile()
{
    QFETCH(QByteArray, bytes);
    writeFile(path("notes.qlt"), bytes);
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
    writeFile(path("locked.qlt"), "secret");
    QVERIFY(QFile::setPermissions(path("locked.qlt"), QFileDevice::WriteOwner));
    QFile probe(path("locked.qlt"));
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("file permissions do not apply to this user (root)");
    const auto result = QltFile::readAll(path("locked.qlt"));
    QCOMPARE(result.status, ReadStatus::CannotRead);
    QVERIFY(result.bytes.isEmpty());
}

void TestQltFile::writeCreatesOwnerOnlyFile()
{
    const mode_t oldMask = ::umask(0); // the widest umask: the 0600 must come from the writer itself
    const bool ok = QltFile::writeAtomically(path("new.qlt"), "content");
    ::umask(oldMask);
    QVERIFY(ok);
    QCOMPARE(contentOf(path("new.qlt")), QByteArray("content"));
    QCOMPARE(modeOf(path("new.qlt")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestQltFile::writeReplacesAndKeepsPermissions()
{
    const QFileDevice::Permissions shared =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    writeFile(path("old.qlt"), "a much longer old content than the new one");
    QVERIFY(QFile::setPermissions(path("old.qlt"), shared));
    QVERIFY(QltFile::writeAtomically(path("old.qlt"), "new"));
    QCOMPARE(contentOf(path("old.qlt")), QByteArray("new"));
    QCOMPARE(modeOf(path("old.qlt")), shared);

    QVERIFY(QltFile::writeAtomically(path("old.qlt"), QByteArray()));
    QCOMPARE(contentOf(path("old.qlt")), QByteArray());
}

void TestQltFile::writeLeavesNoTemporaryFiles()
{
    QVERIFY(QltFile::writeAtomically(path("a.qlt"), "one"));
    QVERIFY(QltFile::writeAtomically(path("a.qlt"), "two"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.qlt"});
}

void TestQltFile::writeIntoMissingFolderFails()
{
    QVERIFY(!QltFile::writeAtomically(path("missing/notes.qlt"), "x"));
    QVERIFY(!QFile::exists(path("missing")));
    writeFile(path("plain"), "i am a file");
    QVERIFY(!QltFile::writeAtomically(path("plain/notes.qlt"), "x"));
    QCOMPARE(contentOf(path("plain")), QByteArray("i am a file"));
}

void TestQltFile::writeIntoReadOnlyFolderKeepsOldFile()
{
    writeFile(path("notes.qlt"), "old notes");
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QFile probe(path("probe"));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("folder permissions do not apply to this user (root); see failedCommitKeepsOldFile");
    }
    QVERIFY(!QltFile::writeAtomically(path("notes.qlt"), "new notes"));
    QCOMPARE(contentOf(path("notes.qlt")), QByteArray("old notes"));
    QVERIFY(!QltFile::writeAtomically(path("other.qlt"), "x"));
    QVERIFY(!QFile::exists(path("other.qlt")));
}

void TestQltFile::failedCommitKeepsOldFile()
{
    writeFile(path("notes.qlt"), "old notes");
    const QByteArray big(64 * 1024, 'n');
    bool ok = true;
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            QSKIP("cannot lower the file size limit");
        ok = QltFile::writeAtomically(path("notes.qlt"), big);
    }
    QVERIFY(!ok);
    QCOMPARE(contentOf(path("notes.qlt")), QByteArray("old notes"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.qlt"});

    // The same failure on a new file leaves nothing behind.
    {
        FileSizeLimit limit(4096);
        ok = QltFile::writeAtomically(path("fresh.qlt"), big);
    }
    QVERIFY(!ok);
    QVERIFY(!QFile::exists(path("fresh.qlt")));
}

void TestQltFile::savedNotesReadBack()
{
    Note note;
    note.text = "line one\r\nline two";
    note.priority = "x";
    const QByteArray file = QltFormat::write({note, note}, "pw", 42);
    QVERIFY(QltFile::writeAtomically(path("round.qlt"), file));
    const auto read = QltFile::readAll(path("round.qlt"));
    QCOMPARE(read.status, ReadStatus::Ok);
    QVERIFY(read.bytes == file);
}

QTEST_GUILESS_MAIN(TestQltFile)
#include "tst_qltfile.moc"
