#include "platform/Autostart.h"
#include "platform/Console.h"
#include "platform/FileAssociation.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsRegistry.h"
#include "shared/RegularFile.h"
#include "shared/SaveFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {
const QString Exe = u"C:\\Program Files\\Quillet\\quillet.exe"_s;
const QString RunKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"_s;

std::optional<QString> runValue()
{
    return WindowsRegistry::readString(HKEY_CURRENT_USER, RunKey, u"Quillet"_s);
}

std::optional<QString> classesValue(const QString& subKey)
{
    return WindowsRegistry::readString(HKEY_CURRENT_USER, FileAssociation::classesKey() + u'\\' + subKey, {});
}
} // namespace

// The Win32 side of the platform layer, against the registry of the test's own Wine prefix.
class TestWindowsPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void autostartReadsOurValue_data();
    void autostartReadsOurValue();
    void autostartWritesAndRemovesOnlyOurs();
    void associationWritesTheClasses();
    void systemDescribed();
    void outputInTheAnsiCodePage();
    void saveReplacesAnOpenFile();
    void saveKeepsTheFileAttributes();
    void failedSaveKeepsTheOldFile();
};

void TestWindowsPlatform::init()
{
    // The Run key exists on every Windows; the tests start from no value of ours.
    QCOMPARE(WindowsRegistry::writeString(HKEY_CURRENT_USER, RunKey, u"Quillet"_s, {}, true), ERROR_SUCCESS);
    QCOMPARE(WindowsRegistry::deleteValue(HKEY_CURRENT_USER, RunKey, u"Quillet"_s), ERROR_SUCCESS);
}

void TestWindowsPlatform::cleanup()
{
    WindowsRegistry::deleteValue(HKEY_CURRENT_USER, RunKey, u"Quillet"_s);
}

void TestWindowsPlatform::autostartReadsOurValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("minimized");
    QTest::newRow("ours") << Exe << true << false;
    QTest::newRow("ours, minimised") << Exe + u" /minimize"_s << true << true;
    QTest::newRow("other letter case") << Exe.toUpper() + u" /MINIMIZE"_s << true << true;
    QTest::newRow("another program") << u"C:\\Other\\quillet.exe"_s << false << false;
    QTest::newRow("quoted, as others write it") << u'"' + Exe + u'"' << false << false;
}

void TestWindowsPlatform::autostartReadsOurValue()
{
    QFETCH(QString, value);
    QFETCH(bool, enabled);
    QFETCH(bool, minimized);
    QCOMPARE(WindowsRegistry::writeString(HKEY_CURRENT_USER, RunKey, u"Quillet"_s, value, false),
             ERROR_SUCCESS);
    const Autostart::AutostartState state = Autostart::read(Exe);
    QCOMPARE(state.enabled, enabled);
    QCOMPARE(state.minimized, minimized);
}

void TestWindowsPlatform::autostartWritesAndRemovesOnlyOurs()
{
    QVERIFY(Autostart::enable(Exe, true));
    QCOMPARE(runValue(), Exe + u" /minimize"_s);
    QVERIFY(Autostart::enable(Exe, false));
    QCOMPARE(runValue(), Exe);
    QVERIFY(Autostart::disableIfOurs(Exe));
    QCOMPARE(runValue(), std::nullopt);

    const QString other = u"D:\\Quillet\\quillet.exe"_s;
    QVERIFY(Autostart::enable(other, false));
    QVERIFY(Autostart::disableIfOurs(Exe));
    QCOMPARE(runValue(), other);
}

void TestWindowsPlatform::associationWritesTheClasses()
{
    QString error;
    QVERIFY2(FileAssociation::registerFileType(Exe, &error), qPrintable(error));
    QCOMPARE(classesValue(u".qlt"_s), u"QuilletFile"_s);
    QCOMPARE(classesValue(u"QuilletFile"_s), u"Quillet File"_s);
    QCOMPARE(classesValue(u"QuilletFile\\DefaultIcon"_s), Exe + u",0"_s);
    QCOMPARE(classesValue(u"QuilletFile\\shell\\open\\command"_s), u'"' + Exe + u"\" \"%1\""_s);
}

void TestWindowsPlatform::systemDescribed()
{
    const SystemDescription system = SystemInfo::describe();
    QVERIFY(system.productName && !system.productName->isEmpty());
    QVERIFY2(QRegularExpression(u"^\\d+\\.\\d+ Build \\d+ "_s).match(system.version).hasMatch(),
             qPrintable(system.version));
    QCOMPARE(SystemInfo::versionText(5, 1, 2600, u"Service Pack 3 %1"_s),
             u"5.1 Build 2600 Service Pack 3 %1"_s);
}

void TestWindowsPlatform::outputInTheAnsiCodePage()
{
    // Run with a Chinese locale, where the ANSI code page is 936 (GBK); the output here is a pipe.
    if (GetACP() != 936)
        QSKIP("needs the ANSI code page 936 (LC_ALL=zh_CN.UTF-8 under Wine)");
    QCOMPARE(Console::forOutput("中文 ok\n"), QByteArray("\xD6\xD0\xCE\xC4 ok\n"));
    QCOMPARE(Console::inputEncoding(), QByteArray("windows-936"));
}

namespace {
bool save(const QString& path, const QByteArray& bytes)
{
    SaveFile file(path);
    return file.open() && file.device().write(bytes) == bytes.size() && file.commit();
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const wchar_t* wide(const QString& path)
{
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

} // namespace

void TestWindowsPlatform::saveReplacesAnOpenFile()
{
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"notes.qlt"_s));
    QVERIFY(save(path, "first"));
    QCOMPARE(contentOf(path), "first");
    // Another reader of ours holding the file open, as a second window may.
    QFile reader;
    QCOMPARE(RegularFile::open(reader, path, QIODevice::ReadOnly), RegularFile::Opened::Yes);
    QVERIFY(save(path, "second"));
    reader.close();
    QCOMPARE(contentOf(path), "second");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"notes.qlt"_s});
}

void TestWindowsPlatform::saveKeepsTheFileAttributes()
{
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"notes.qlt"_s));
    QVERIFY(save(path, "old"));
    QVERIFY(SetFileAttributesW(wide(path), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    // What the file system keeps of them: under Wine hidden and system, with the archive mark always set.
    const DWORD given = GetFileAttributesW(wide(path));
    if (!(given & FILE_ATTRIBUTE_HIDDEN))
        QSKIP("this file system keeps no file attributes");
    QVERIFY(save(path, "new"));
    QCOMPARE(contentOf(path), "new");
    // Changed, so to be archived again.
    QCOMPARE(GetFileAttributesW(wide(path)), given | FILE_ATTRIBUTE_ARCHIVE);
    QVERIFY(SetFileAttributesW(wide(path), FILE_ATTRIBUTE_NORMAL));
}

void TestWindowsPlatform::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    const QString path = QDir::toNativeSeparators(dir.filePath(u"notes.qlt"_s));
    QVERIFY(save(path, "old"));
    // Another program holds it open without letting anyone delete it, as many do.
    QFile other(path);
    QVERIFY(other.open(QIODevice::ReadOnly));
    SaveFile file(path);
    QVERIFY(file.open());
    QCOMPARE(file.device().write("new"), 3);
    QVERIFY(!file.commit());
    QVERIFY(!file.errorString().isEmpty());
    other.close();
    QCOMPARE(contentOf(path), "old");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"notes.qlt"_s});
}

QTEST_GUILESS_MAIN(TestWindowsPlatform)
#include "tst_windowsplatform.moc"
