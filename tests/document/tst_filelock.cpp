#include "TestFiles.h"

#include "document/FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FileLock::Status)

// One window per notes file: a second window is warned, a lock left by a killed process is taken over.
class TestFileLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void lockFileSitsBesideTheNotesFile_data();
    void lockFileSitsBesideTheNotesFile();
    void lockNamesThisProcessAndGoesOnRelease();

    void secondAcquireIsWarned();
    void otherProcessHoldsTheFile();
    void lockOfKilledProcessIsTakenOver();
    void lockContentDecidesWhetherItIsStale_data();
    void lockContentDecidesWhetherItIsStale();
    void lockOfZombieIsTakenOver();
    void plantedLockIsNotFollowed();

    void acquireAgainKeepsOrReleasesThePreviousLock();
    void moveHandsTheLockOver();

private:
    QString notesPath(const QString& name = u"notes.qlt"_s) const;
    static QMap<QByteArray, QByteArray> fields(const QByteArray& content);
    std::unique_ptr<QProcess> startHolder(const QString& notes);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_holder;
};

void TestFileLock::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFileLock::cleanup()
{
    if (m_holder) {
        m_holder->kill();
        m_holder->waitForFinished();
        m_holder.reset();
    }
}

QString TestFileLock::notesPath(const QString& name) const
{
    return m_dir->filePath(name);
}

// The lock's lines by name: process id, program, host.
QMap<QByteArray, QByteArray> TestFileLock::fields(const QByteArray& content)
{
    const QList<QByteArray> lines = content.split('\n');
    return {{"pid", lines.value(0)}, {"program", lines.value(1)}, {"host", lines.value(2)}};
}

std::unique_ptr<QProcess> TestFileLock::startHolder(const QString& notes)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(QUILLET_FILELOCK_HOLDER), {notes});
    // Ready once it says it holds the lock.
    if (!process->waitForStarted() || !process->waitForReadyRead() ||
        process->readLine().trimmed() != "Acquired")
        return {};
    return process;
}

void TestFileLock::lockFileSitsBesideTheNotesFile_data()
{
    QTest::addColumn<QString>("notes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("absolute") << u"/home/user/notes.qlt"_s << u"/home/user/.notes.qlt.lock"_s;
    QTest::newRow("odd name") << u"/tmp/my notes.v2.qlt"_s << u"/tmp/.my notes.v2.qlt.lock"_s;
    QTest::newRow("relative") << u"notes.qlt"_s << QDir::current().absoluteFilePath(u".notes.qlt.lock"_s);
    QTest::newRow("chinese name") << u"/tmp/记事本.qlt"_s << u"/tmp/.记事本.qlt.lock"_s;
}

void TestFileLock::lockFileSitsBesideTheNotesFile()
{
    QFETCH(QString, notes);
    QFETCH(QString, expected);
    QCOMPARE(FileLock::lockPathFor(notes), expected);
}

void TestFileLock::lockNamesThisProcessAndGoesOnRelease()
{
    FileLock lock;
    QVERIFY(!lock.isHeld());
    const FileLock::Result result = lock.acquire(notesPath());
    QCOMPARE(result.status, FileLock::Status::Acquired);
    QVERIFY(lock.isHeld());
    QCOMPARE(lock.lockPath(), notesPath(u".notes.qlt.lock"_s));

    const QMap<QByteArray, QByteArray> content = fields(readFile(lock.lockPath()));
    QCOMPARE(content.value("pid"), QByteArray::number(qint64(::getpid())));
    QCOMPARE(content.value("program"), QByteArray("tst_filelock"));
    QCOMPARE(content.value("host"), QSysInfo::machineHostName().toUtf8());
    // Other users who open the same file must be able to read who has it.
    QVERIFY(QFileInfo(lock.lockPath()).permissions().testFlag(QFile::ReadOther));
    // Only the lock itself: no temporary file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u".notes.qlt.lock"_s});

    const QString path = lock.lockPath();
    lock.release();
    QVERIFY(!lock.isHeld());
    QVERIFY(!QFileInfo::exists(path));
    lock.release(); // twice is harmless
    QVERIFY(QDir(m_dir->path()).isEmpty());

    {
        FileLock destroyed;
        QCOMPARE(destroyed.acquire(notesPath()).status, FileLock::Status::Acquired);
        QVERIFY(QFileInfo::exists(path));
    }
    QVERIFY(!QFileInfo::exists(path));
}

void TestFileLock::secondAcquireIsWarned()
{
    FileLock first;
    QCOMPARE(first.acquire(notesPath()).status, FileLock::Status::Acquired);
    const QByteArray before = readFile(first.lockPath());
    {
        FileLock second;
        const FileLock::Result result = second.acquire(notesPath());
        QCOMPARE(result.status, FileLock::Status::HeldByOther);
        QCOMPARE(result.holder.pid, qint64(::getpid()));
        QCOMPARE(result.holder.host, QSysInfo::machineHostName());
        QVERIFY(!second.isHeld());
    }
    // The warned window going away leaves the first one's lock alone.
    QCOMPARE(readFile(first.lockPath()), before);
    // Asking again for the file already held changes nothing.
    QCOMPARE(first.acquire(notesPath()).status, FileLock::Status::Acquired);
    QCOMPARE(readFile(first.lockPath()), before);
}

void TestFileLock::otherProcessHoldsTheFile()
{
    m_holder = startHolder(notesPath());
    QVERIFY(m_holder);

    FileLock lock;
    FileLock::Result result = lock.acquire(notesPath());
    QCOMPARE(result.status, FileLock::Status::HeldByOther);
    QCOMPARE(result.holder.pid, m_holder->processId());
    QVERIFY(!lock.isHeld());

    // The other window closes the file: the lock goes with it and the file is free.
    m_holder->closeWriteChannel();
    QVERIFY(m_holder->waitForFinished());
    QCOMPARE(m_holder->exitCode(), 0);
    QVERIFY(!QFileInfo::exists(FileLock::lockPathFor(notesPath())));
    QCOMPARE(lock.acquire(notesPath()).status, FileLock::Status::Acquired);
}

void TestFileLock::lockOfKilledProcessIsTakenOver()
{
    m_holder = startHolder(notesPath());
    QVERIFY(m_holder);
    const qint64 pid = m_holder->processId();

    m_holder->kill(); // SIGKILL: no chance to clean up, as in a crash
    QVERIFY(m_holder->waitForFinished());
    QCOMPARE(m_holder->exitStatus(), QProcess::CrashExit);
    const QString lockPath = FileLock::lockPathFor(notesPath());
    QCOMPARE(fields(readFile(lockPath)).value("pid"), QByteArray::number(pid));

    FileLock lock;
    QCOMPARE(lock.acquire(notesPath()).status, FileLock::Status::Acquired);
    QVERIFY(lock.isHeld());
    QCOMPARE(fields(readFile(lockPath)).value("pid"), QByteArray::number(qint64(::getpid())));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u".notes.qlt.lock"_s});

    // The next window now finds this process, alive.
    FileLock next;
    QCOMPARE(next.acquire(notesPath()).status, FileLock::Status::HeldByOther);

    // Killed while it took over a stale lock: the lock removed, the takeover's own lock left behind.
    lock.release();
    m_holder = startHolder(notesPath());
    QVERIFY(m_holder);
    m_holder->kill();
    QVERIFY(m_holder->waitForFinished());
    QVERIFY(QFile::rename(lockPath, lockPath + u".rmlock"_s));
    QCOMPARE(lock.acquire(notesPath()).status, FileLock::Status::Acquired);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u".notes.qlt.lock"_s});
}

void TestFileLock::lockContentDecidesWhetherItIsStale_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<FileLock::Status>("expected");

    const QByteArray pid = QByteArray::number(qint64(::getpid()));
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    const QByteArray machine = QSysInfo::machineUniqueId();
    QFile bootFile(u"/proc/sys/kernel/random/boot_id"_s);
    QVERIFY(bootFile.open(QIODevice::ReadOnly));
    const QByteArray boot = bootFile.readAll().trimmed();
    const QByteArray program = "tst_filelock\n";

    QTest::newRow("this process") << pid + "\n" + program + host + "\n" + machine + "\n" + boot + "\n"
                                  << FileLock::Status::HeldByOther;
    QTest::newRow("this process, no machine recorded") << pid + "\n" + program + host + "\n"
                                                       << FileLock::Status::HeldByOther;
    QTest::newRow("pid now used by another program")
        << pid + "\nsome-other-program\n" + host + "\n" + machine + "\n" + boot + "\n"
        << FileLock::Status::Acquired;
    QTest::newRow("written before the machine restarted")
        << pid + "\n" + program + host + "\n" + machine + "\n00000000-0000-0000-0000-000000000000\n"
        << FileLock::Status::Acquired;
    QTest::newRow("another host, which cannot be asked") << pid + "\n" + program + "elsewhere.example\n"
                                                         << FileLock::Status::HeldByOther;
    QTest::newRow("empty") << QByteArray() << FileLock::Status::Acquired;
    QTest::newRow("not a lock") << QByteArray("\x00\xff garbage", 10) << FileLock::Status::Acquired;
    QTest::newRow("pid 0, a process group to kill()") << "0\n" + program + host + "\n"
                                                      << FileLock::Status::Acquired;
    QTest::newRow("negative pid") << "-1\n" + program + host + "\n" << FileLock::Status::Acquired;
    QTest::newRow("pid too large") << "99999999999\n" + program + host + "\n" << FileLock::Status::Acquired;
}

void TestFileLock::lockContentDecidesWhetherItIsStale()
{
    QFETCH(QByteArray, content);
    QFETCH(FileLock::Status, expected);
    const QString lockPath = FileLock::lockPathFor(notesPath());
    QVERIFY(writeFile(lockPath, content));

    FileLock lock;
    QCOMPARE(lock.acquire(notesPath()).status, expected);
    if (expected == FileLock::Status::HeldByOther) {
        QVERIFY(!lock.isHeld());
        QCOMPARE(readFile(lockPath), content);
    } else {
        QVERIFY(lock.isHeld());
        QCOMPARE(fields(readFile(lockPath)).value("pid"), QByteArray::number(qint64(::getpid())));
    }
}

// A zombie still answers to its process id, but it will never release anything.
void TestFileLock::lockOfZombieIsTakenOver()
{
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0)
        ::_exit(0);
    const auto reap = qScopeGuard([child] { ::waitpid(child, nullptr, 0); });
    QTRY_VERIFY(QFile(u"/proc/%1/stat"_s.arg(child)).open(QIODevice::ReadOnly) &&
                QFile(u"/proc/%1/exe"_s.arg(child)).symLinkTarget().isEmpty());
    QVERIFY(writeFile(FileLock::lockPathFor(notesPath()), QByteArray::number(child) + "\ntst_filelock\n" +
                                                              QSysInfo::machineHostName().toUtf8() + "\n"));
    FileLock lock;
    QCOMPARE(lock.acquire(notesPath()).status, FileLock::Status::Acquired);
}

// Anyone who may write to the folder can plant something where the lock goes; opening the file must
// neither hang on a pipe nor follow a link.
void TestFileLock::plantedLockIsNotFollowed()
{
    const QString lockPath = FileLock::lockPathFor(notesPath());
    QVERIFY(::mkfifo(QFile::encodeName(lockPath).constData(), 0600) == 0);
    FileLock lock;
    QCOMPARE(lock.acquire(notesPath()).status, FileLock::Status::HeldByOther);
    QVERIFY(!lock.isHeld());

    QVERIFY(QFile::remove(lockPath));
    const QString target = notesPath(u"victim"_s);
    QVERIFY(writeFile(target, "keep me"));
    QVERIFY(QFile::link(target, lockPath));
    QCOMPARE(lock.acquire(notesPath()).status, FileLock::Status::HeldByOther);
    QCOMPARE(readFile(target), QByteArray("keep me"));
}

void TestFileLock::acquireAgainKeepsOrReleasesThePreviousLock()
{
    FileLock other;
    QCOMPARE(other.acquire(notesPath(u"b.qlt"_s)).status, FileLock::Status::Acquired);

    // Not even root makes files in /proc; the file still opens, just unguarded.
    FileLock lock;
    QCOMPARE(lock.acquire(u"/proc/self/notes.qlt"_s).status, FileLock::Status::Unavailable);
    QVERIFY(!lock.isHeld());

    QCOMPARE(lock.acquire(notesPath(u"a.qlt"_s)).status, FileLock::Status::Acquired);
    const QString first = lock.lockPath();
    QCOMPARE(lock.acquire(notesPath(u"b.qlt"_s)).status, FileLock::Status::HeldByOther);
    QCOMPARE(lock.lockPath(), first);
    QVERIFY(QFileInfo::exists(first));
    QCOMPARE(lock.acquire(u"/proc/self/notes.qlt"_s).status, FileLock::Status::Unavailable);
    QCOMPARE(lock.lockPath(), first);
    QVERIFY(QFileInfo::exists(first));

    QCOMPARE(lock.acquire(notesPath(u"saved as.qlt"_s)).status, FileLock::Status::Acquired);
    QVERIFY(!QFileInfo::exists(first));
    QCOMPARE(lock.lockPath(), notesPath(u".saved as.qlt.lock"_s));
    QVERIFY(QFileInfo::exists(lock.lockPath()));
}

void TestFileLock::moveHandsTheLockOver()
{
    FileLock a;
    FileLock b;
    QCOMPARE(a.acquire(notesPath(u"a.qlt"_s)).status, FileLock::Status::Acquired);
    QCOMPARE(b.acquire(notesPath(u"b.qlt"_s)).status, FileLock::Status::Acquired);
    const QString lockA = a.lockPath();
    const QString lockB = b.lockPath();

    a = std::move(b);
    QVERIFY(!QFileInfo::exists(lockA));
    QCOMPARE(a.lockPath(), lockB);
    QVERIFY(!b.isHeld()); // NOLINT(bugprone-use-after-move): a moved-from lock is empty by design
    {
        FileLock c(std::move(a));
        QCOMPARE(c.lockPath(), lockB);
        QVERIFY(!a.isHeld()); // NOLINT(bugprone-use-after-move)
    }
    QVERIFY(!QFileInfo::exists(lockB));
}

QTEST_GUILESS_MAIN(TestFileLock)
#include "tst_filelock.moc"
