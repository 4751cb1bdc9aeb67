// Runs one fuzz target over its seed corpus and over every input the fuzzer ever saved as a finding, so
// that each of them stays fixed in the normal build. An input that crashes or breaks a property aborts
// the process, and QTest names the input.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

QStringList inputsIn(const QString& folder)
{
    QStringList paths;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

} // namespace

class TestFuzzReplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void seedCorpusIsThere();
    void replay_data();
    void replay();

private:
    QTemporaryDir m_appDir;
};

void TestFuzzReplay::initTestCase()
{
    // Nothing here should write beside the program; if anything does, it lands in this folder. The
    // settings target keeps its scratch file in /dev/shm.
    QVERIFY(m_appDir.isValid());
    qputenv("QUILLET_APPDIR", m_appDir.path().toLocal8Bit());
}

void TestFuzzReplay::seedCorpusIsThere()
{
    QVERIFY2(!inputsIn(QStringLiteral(FUZZ_CORPUS_DIR)).isEmpty(), FUZZ_CORPUS_DIR);
}

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("path");
    for (const char* folder : {FUZZ_CORPUS_DIR, FUZZ_CRASHES_DIR}) {
        for (const QString& path : inputsIn(QString::fromUtf8(folder))) {
            const QString tag =
                QFileInfo(QFileInfo(path).path()).fileName() + u'/' + QFileInfo(path).fileName();
            QTest::newRow(qPrintable(tag)) << path;
        }
    }
}

void TestFuzzReplay::replay()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    // A copy of its own, so that a read past the end hits the sanitizer's red zone as under the fuzzer.
    const QByteArray input = file.readAll();
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size_t(input.size())]);
    std::memcpy(bytes.get(), input.constData(), size_t(input.size()));
    QCOMPARE(LLVMFuzzerTestOneInput(bytes.get(), size_t(input.size())), 0);
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzzreplay.moc"
