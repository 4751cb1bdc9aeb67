#include "SampleDocument.h"

#include "document/QltFile.h"
#include "document/QltFormat.h"
#include "shared/Cipher.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

constexpr int Rounds = 25;
constexpr int MaxKillDelayMs = 120;
// The name a save gives its new file beside the target (QSaveFile's, or on Windows our own).
#ifdef Q_OS_WIN
const QRegularExpression LeftoverName(u"^notes\\.qlt\\.[0-9a-f]{8}$"_s);
#else
const QRegularExpression LeftoverName(u"^notes\\.qlt\\.[A-Za-z0-9]{6}$"_s);
#endif

struct SaverReport
{
    qint64 lastStarted = -1;  // the generation of the last "saving N"
    qint64 lastFinished = -1; // the generation of the last "saved N"
    bool failed = false;
};

SaverReport parseReport(const QByteArray& output)
{
    SaverReport report;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() != 2)
            continue; // the line the kill cut short
        bool ok = false;
        const qint64 generation = words.at(1).toLongLong(&ok);
        if (!ok)
            continue;
        if (words.at(0) == "saving")
            report.lastStarted = generation;
        else if (words.at(0) == "saved")
            report.lastFinished = generation;
        else if (words.at(0) == "failed")
            report.failed = true;
    }
    return report;
}

// The generation the file holds, after checking that it opens as exactly that document.
qint64 generationInFile(const QString& path)
{
    const QltFile::ReadResult read = QltFile::readAll(path);
    if (read.status != QltFile::ReadStatus::Ok) {
        qWarning("the file cannot be read");
        return -1;
    }
    const QltFormat::HeaderResult header = QltFormat::readHeader(read.bytes);
    if (header.error != QltFormat::Error::None) {
        qWarning("the file's header is refused");
        return -1;
    }
    const quint32 generation = header.header.reserved;
    const QByteArray password = SampleDocument::password(generation);
    if (header.header.hasPassword != !password.isEmpty() ||
        (!password.isEmpty() &&
         SharedSrc::GetDecryptCheck(header.header.check, password) != SharedSrc::CheckMagic)) {
        qWarning("generation %u: the password block does not match", generation);
        return -1;
    }
    const std::optional<QList<Note>> notes =
        QltFormat::readNotes(read.bytes.mid(QltFormat::StreamOffset), QltFormat::streamKey(password));
    if (!notes || *notes != SampleDocument::notes(generation)) {
        qWarning("generation %u: the notes are damaged", generation);
        return -1;
    }
    return generation;
}

} // namespace

class TestCrashSafeSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void killedSaverLeavesOldOrNewFile();
    void generationCheckSpotsDamage();

private:
    QTemporaryDir m_appDir;
};

void TestCrashSafeSave::initTestCase()
{
    QVERIFY(m_appDir.isValid());
    qputenv("QUILLET_APPDIR", m_appDir.path().toLocal8Bit());
    QVERIFY2(QFileInfo(QStringLiteral(QUILLET_CRASH_SAVER)).isExecutable(), QUILLET_CRASH_SAVER);
}

// The saver is killed at a random moment of its save loop, round after round. Each time the file must
// open as the last document saved or the one being saved, and the next saver must be able to save over
// it.
void TestCrashSafeSave::killedSaverLeavesOldOrNewFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"notes.qlt"_s);
    QVERIFY(QltFile::writeAtomically(path, QltFormat::write(SampleDocument::notes(0), {}, 0)));

    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("random seed %u", seed);
    QRandomGenerator random(seed);

    qint64 inFile = 0;
    qint64 nextGeneration = 1;
    int killedMidSave = 0;
    QStringList leftovers;
    for (int round = 0; round < Rounds; ++round) {
        QProcess saver;
        saver.start(QStringLiteral(QUILLET_CRASH_SAVER), {path, QString::number(nextGeneration)});
        QVERIFY2(saver.waitForStarted(), qPrintable(saver.errorString()));
        // Once it says it is saving, it does little else until it is killed.
        QByteArray output;
        while (!output.contains("saving") && saver.state() == QProcess::Running) {
            saver.waitForReadyRead(10000);
            output += saver.readAllStandardOutput();
        }
        QVERIFY2(output.contains("saving"), output.constData());
        QThread::msleep(random.bounded(MaxKillDelayMs));
        saver.kill();
        QVERIFY(saver.waitForFinished(10000));
        output += saver.readAllStandardOutput();

        const SaverReport report = parseReport(output);
        QVERIFY2(!report.failed, qPrintable(u"round %1: a save failed"_s.arg(round)));
        QVERIFY(report.lastStarted >= nextGeneration);
        const qint64 found = generationInFile(path);
        const qint64 oldest = report.lastFinished >= 0 ? report.lastFinished : inFile;
        QVERIFY2(found == oldest || found == report.lastStarted,
                 qPrintable(u"round %1: file holds generation %2, expected %3 or %4"_s.arg(round)
                                .arg(found)
                                .arg(oldest)
                                .arg(report.lastStarted)));
        if (report.lastFinished < report.lastStarted)
            ++killedMidSave;
        // A kill between the temporary file's completion (its link, on Windows its keeping) and its rename
        // leaves it under a random name beside the file, complete; a kill before leaves nothing. Such a file
        // must never be mistaken for the target nor stop the next save.
        const QStringList entries =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        QVERIFY(entries.contains(u"notes.qlt"_s));
        for (const QString& entry : entries) {
            if (entry == "notes.qlt"_L1 || leftovers.contains(entry))
                continue;
            QVERIFY2(LeftoverName.match(entry).hasMatch(), qPrintable(entry));
#ifdef Q_OS_WIN
            // The new file cannot be made and marked to be deleted on close in one step here: a kill in
            // between leaves it empty, which is never taken for notes.
            if (QFileInfo(dir.filePath(entry)).size() == 0) {
                leftovers.append(entry);
                continue;
            }
#endif
            QVERIFY2(generationInFile(dir.filePath(entry)) >= 0, qPrintable(entry));
            leftovers.append(entry);
        }
        inFile = found;
        nextGeneration = report.lastStarted + 1;
    }
    qInfo("%d of %d kills came while a save was under way; %d left a temporary file", killedMidSave, Rounds,
          int(leftovers.size()));

    // The saver killed last does not stop the next save either.
    const auto last = quint32(nextGeneration);
    QVERIFY(QltFile::writeAtomically(
        path, QltFormat::write(SampleDocument::notes(last), SampleDocument::password(last), last)));
    QCOMPARE(generationInFile(path), qint64(last));
}

// The check above must be able to fail: a file cut short, or one with a note changed, is not accepted.
void TestCrashSafeSave::generationCheckSpotsDamage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"notes.qlt"_s);
    const QByteArray good = QltFormat::write(SampleDocument::notes(5), SampleDocument::password(5), 5);
    QVERIFY(QltFile::writeAtomically(path, good));
    QCOMPARE(generationInFile(path), 5);

    QVERIFY(QltFile::writeAtomically(path, good.left(good.size() / 2)));
    QTest::ignoreMessage(QtWarningMsg, "generation 5: the notes are damaged");
    QCOMPARE(generationInFile(path), -1);

    // The notes of generation 4 under the header of generation 5.
    QByteArray mixed = QltFormat::write(SampleDocument::notes(4), SampleDocument::password(5), 5);
    QVERIFY(QltFile::writeAtomically(path, mixed));
    QTest::ignoreMessage(QtWarningMsg, "generation 5: the notes are damaged");
    QCOMPARE(generationInFile(path), -1);
}

QTEST_GUILESS_MAIN(TestCrashSafeSave)
#include "tst_crashsafesave.moc"
