#include "TestFiles.h"

#include "shared/IniFile.h"
#include "shared/Settings.h"

#include "shared/FileSizeLimit.h"
#include "shared/PlantedFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Lines the program does not know, in several line-end styles, comments (one that looks like a key),
// blanks and a last line without a line end.
const QByteArray MixedFile = "; Quillet settings\r\n"
                             "[General]\r\n"
                             "GridLines=1\r\n"
                             "  Unknown = keep me  \r\n"
                             "\r\n"
                             "; about Other: a = b\r\n"
                             "[Other]\n"
                             "  a = b\n"
                             "# no comment for us, kept all the same\n"
                             "[NotesListText]\r"
                             "Name=Tahoma\r\n"
                             "; trailing comment";

using IniEdit = std::function<void(IniFile&)>;

} // namespace

Q_DECLARE_METATYPE(IniEdit)

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void missingFileGivesDefaults();
    void missingSectionOrKeyGivesDefault();
    void namesMatchInAnyCase_data();
    void namesMatchInAnyCase();
    void blanksAroundNamesAndValuesIgnored();
    void firstOfDuplicateNamesCounts();
    void editKeepsOtherLines_data();
    void editKeepsOtherLines();

    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void readStringCut_data();
    void readStringCut();
    void chineseValueStoredAsGb18030();
    void bracketAsTrailByte();

    void objectsOnOneFileAgree();
    void externalChangeSeenAtNextRead();

    void removingNothingLeavesFileAlone();
    void rewriteKeepsPermissions();

    void readOnlyFileRefusesWrite_data();
    void readOnlyFileRefusesWrite();
    void unusablePathRefused_data();
    void unusablePathRefused();
    void ownLinkInPrivateFolderFollowed();
    void fullDiskKeepsOldFile();
    void unstorableTextRefused_data();
    void unstorableTextRefused();

private:
    QString path(const QString& name = u"Quillet.ini"_s) const { return m_dir->filePath(name); }
    void writeRaw(const QByteArray& bytes) const { QVERIFY(writeFile(path(), bytes)); }
    QByteArray readRaw() const { return readFile(path()); }
    void setModifiedHoursAgo(int hours) const;
    // Runs `write` and returns the IniWriteError message, or a null string when nothing was raised.
    template <typename F> static QString writeErrorOf(F write);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestIniFile::setModifiedHoursAgo(int hours) const
{
    QFile file(path());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600 * hours),
                             QFileDevice::FileModificationTime));
}

template <typename F> QString TestIniFile::writeErrorOf(F write)
{
    try {
        write();
    } catch (const IniWriteError& error) {
        return error.message();
    }
    return QString();
}

void TestIniFile::missingFileGivesDefaults()
{
    const IniFile ini(path());
    QCOMPARE(ini.ReadString(u"General"_s, u"Theme"_s, u"Office11XP"_s), u"Office11XP"_s);
    QCOMPARE(ini.ReadInteger(u"NoteText"_s, u"ForeColor"_s, 16777215), 16777215);
    QCOMPARE(ini.ReadBool(u"General"_s, u"GridLines"_s), false);
    QVERIFY(!QFile::exists(path()));
}

void TestIniFile::missingSectionOrKeyGivesDefault()
{
    writeRaw("[General]\r\nTheme=Roma\r\n[MRU]\r\nMRU1=a.qlt\r\n");
    const IniFile ini(path());
    QCOMPARE(ini.ReadString(u"Missing"_s, u"Theme"_s, u"d"_s), u"d"_s);
    QCOMPARE(ini.ReadString(u"General"_s, u"MRU1"_s, u"d"_s), u"d"_s);
    QCOMPARE(ini.ReadInteger(u"MRU"_s, u"Theme"_s, -4), -4);
    QCOMPARE(ini.ReadString(u"General"_s, u"Theme"_s, u"d"_s), u"Roma"_s);
}

void TestIniFile::namesMatchInAnyCase_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    QTest::newRow("as written") << u"NotesListText"_s << u"StrikeOut"_s;
    QTest::newRow("lower") << u"noteslisttext"_s << u"strikeout"_s;
    QTest::newRow("upper") << u"NOTESLISTTEXT"_s << u"STRIKEOUT"_s;
    QTest::newRow("mixed") << u"nOtEsLiStTeXt"_s << u"Strikeout"_s;
}

void TestIniFile::namesMatchInAnyCase()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    writeRaw("[NotesListText]\r\nStrikeOut=1\r\n");
    IniFile ini(path());
    QCOMPARE(ini.ReadString(section, key, QString()), u"1"_s);
    QVERIFY(ini.ReadBool(section, key));

    ini.WriteInteger(section, key, 7);
    QCOMPARE(readRaw(), QByteArray("[NotesListText]\r\nStrikeOut=7\r\n"));
    ini.DeleteKey(section, key);
    QCOMPARE(readRaw(), QByteArray("[NotesListText]\r\n"));
    ini.EraseSection(section);
    QCOMPARE(readRaw(), QByteArray());
}

void TestIniFile::blanksAroundNamesAndValuesIgnored()
{
    writeRaw("  [ General ]  \r\n\tTheme\t=  Roma  \r\nGap=\r\n");
    const IniFile ini(path());
    QCOMPARE(ini.ReadString(u"General"_s, u"Theme"_s, QString()), u"Roma"_s);
    QCOMPARE(ini.ReadString(u" General "_s, u" Theme\t"_s, QString()), u"Roma"_s);
    // An empty value is a value, not a missing key.
    QCOMPARE(ini.ReadString(u"General"_s, u"Gap"_s, u"d"_s), QString(""));
}

void TestIniFile::firstOfDuplicateNamesCounts()
{
    writeRaw("[A]\r\nk=first\r\nk=second\r\n[a]\r\nk=third\r\nonly=later\r\n");
    IniFile ini(path());
    QCOMPARE(ini.ReadString(u"A"_s, u"k"_s, QString()), u"first"_s);
    QCOMPARE(ini.ReadString(u"A"_s, u"only"_s, u"d"_s), u"d"_s);
}

// Each edit rewrites only the lines it is about; what it wrote reads back (a removed key as missing).
void TestIniFile::editKeepsOtherLines_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file
    QTest::addColumn<IniEdit>("edit");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // "d" where the key is gone

    const auto mixedWith = [](const QByteArray& from, const QByteArray& to) {
        return QByteArray(MixedFile).replace(from, to);
    };
    QTest::newRow("write creates the file")
        << QByteArray() << IniEdit([](IniFile& ini) { ini.WriteBool(u"General"_s, u"GridLines"_s, true); })
        << QByteArray("[General]\r\nGridLines=1\r\n") << u"General"_s << u"GridLines"_s << u"1"_s;
    QTest::newRow("integer, bool and empty forms") << QByteArray() << IniEdit([](IniFile& ini) {
        ini.WriteInteger(u"S"_s, u"Neg"_s, -16777208);
        ini.WriteInteger(u"S"_s, u"Pos"_s, 255);
        ini.WriteBool(u"S"_s, u"Off"_s, false);
        ini.WriteString(u"S"_s, u"Empty"_s, QString());
    }) << QByteArray("[S]\r\nNeg=-16777208\r\nPos=255\r\nOff=0\r\nEmpty=\r\n")
                                                   << u"S"_s << u"Neg"_s << u"-16777208"_s;
    QTest::newRow("first of duplicate names replaced")
        << QByteArray("[A]\r\nk=first\r\nk=second\r\n[a]\r\nk=third\r\nonly=later\r\n")
        << IniEdit([](IniFile& ini) { ini.WriteString(u"a"_s, u"K"_s, u"new"_s); })
        << QByteArray("[A]\r\nk=new\r\nk=second\r\n[a]\r\nk=third\r\nonly=later\r\n") << u"A"_s << u"k"_s
        << u"new"_s;
    QTest::newRow("replacing a key touches only its line")
        << MixedFile << IniEdit([](IniFile& ini) { ini.WriteBool(u"general"_s, u"gridlines"_s, false); })
        << mixedWith("GridLines=1\r\n", "GridLines=0\r\n") << u"General"_s << u"GridLines"_s << u"0"_s;
    QTest::newRow("replaced line gets our form")
        << MixedFile << IniEdit([](IniFile& ini) { ini.WriteString(u"Other"_s, u"A"_s, u"c"_s); })
        << mixedWith("  a = b\n", "a=c\r\n") << u"Other"_s << u"a"_s << u"c"_s;
    QTest::newRow("key keeps its spelling")
        << QByteArray("[NoteText]\r\nStrikeOut=0\r\n")
        << IniEdit([](IniFile& ini) { ini.WriteBool(u"NoteText"_s, u"Strikeout"_s, true); })
        << QByteArray("[NoteText]\r\nStrikeOut=1\r\n") << u"NoteText"_s << u"StrikeOut"_s << u"1"_s;
    QTest::newRow("new key after the last key of its section")
        << MixedFile << IniEdit([](IniFile& ini) { ini.WriteString(u"General"_s, u"Theme"_s, u"Roma"_s); })
        << mixedWith("  Unknown = keep me  \r\n", "  Unknown = keep me  \r\nTheme=Roma\r\n") << u"General"_s
        << u"Theme"_s << u"Roma"_s;
    // The last line had no line end; it gets one, and nothing else changes.
    QTest::newRow("new section appended at the end")
        << MixedFile << IniEdit([](IniFile& ini) { ini.WriteInteger(u"MRU"_s, u"MRU1"_s, 1); })
        << MixedFile + "\r\n[MRU]\r\nMRU1=1\r\n"
        << u"MRU"_s << u"MRU1"_s << u"1"_s;
    QTest::newRow("new key after a last key without line end")
        << QByteArray("[A]\r\nx=1") << IniEdit([](IniFile& ini) { ini.WriteString(u"A"_s, u"y"_s, u"2"_s); })
        << QByteArray("[A]\r\nx=1\r\ny=2\r\n") << u"A"_s << u"y"_s << u"2"_s;
    QTest::newRow("new key after a last header without line end")
        << QByteArray("[Empty]") << IniEdit([](IniFile& ini) { ini.WriteString(u"empty"_s, u"k"_s, u"v"_s); })
        << QByteArray("[Empty]\r\nk=v\r\n") << u"Empty"_s << u"k"_s << u"v"_s;
    QTest::newRow("delete key removes only its line")
        << MixedFile << IniEdit([](IniFile& ini) { ini.DeleteKey(u"GENERAL"_s, u"unknown"_s); })
        << mixedWith("  Unknown = keep me  \r\n", "") << u"General"_s << u"Unknown"_s << u"d"_s;
    QTest::newRow("delete key in a section ended by CR")
        << MixedFile << IniEdit([](IniFile& ini) { ini.DeleteKey(u"NotesListText"_s, u"Name"_s); })
        << mixedWith("Name=Tahoma\r\n", "") << u"NotesListText"_s << u"Name"_s << u"d"_s;
    QTest::newRow("delete key removes every copy")
        << QByteArray("[A]\r\nk=1\r\nother=2\r\nK=3\r\n[B]\r\nk=4\r\n")
        << IniEdit([](IniFile& ini) { ini.DeleteKey(u"A"_s, u"k"_s); })
        << QByteArray("[A]\r\nother=2\r\n[B]\r\nk=4\r\n") << u"A"_s << u"k"_s << u"d"_s;
    QTest::newRow("erase section removes header and lines")
        << MixedFile << IniEdit([](IniFile& ini) { ini.EraseSection(u"other"_s); })
        << mixedWith("[Other]\n  a = b\n# no comment for us, kept all the same\n", "") << u"Other"_s << u"a"_s
        << u"d"_s;
    QTest::newRow("erase last section")
        << MixedFile << IniEdit([](IniFile& ini) { ini.EraseSection(u"NotesListText"_s); })
        << mixedWith("[NotesListText]\rName=Tahoma\r\n; trailing comment", "") << u"NotesListText"_s
        << u"Name"_s << u"d"_s;
    QTest::newRow("erase section removes every copy")
        << QByteArray("[MRU]\r\nMRU1=a\r\n[General]\r\nTheme=Roma\r\n[mru]\r\nMRU2=b\r\n")
        << IniEdit([](IniFile& ini) { ini.EraseSection(u"MRU"_s); })
        << QByteArray("[General]\r\nTheme=Roma\r\n") << u"MRU"_s << u"MRU2"_s << u"d"_s;
}

void TestIniFile::editKeepsOtherLines()
{
    QFETCH(QByteArray, before);
    QFETCH(IniEdit, edit);
    QFETCH(QByteArray, after);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    if (!before.isNull())
        writeRaw(before);
    IniFile ini(path());
    edit(ini);
    QCOMPARE(readRaw(), after);
    QCOMPARE(ini.ReadString(section, key, u"d"_s), value);
}

void TestIniFile::readInteger_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("expected");

    constexpr int def = 77;
    constexpr int min = std::numeric_limits<int>::min();
    constexpr int max = std::numeric_limits<int>::max();
    QTest::newRow("decimal") << QByteArray("123") << 123;
    QTest::newRow("negative") << QByteArray("-5") << -5;
    QTest::newRow("plus sign") << QByteArray("+5") << 5;
    QTest::newRow("zero") << QByteArray("0") << 0;
    QTest::newRow("leading zeros") << QByteArray("0012") << 12;
    QTest::newRow("system colour") << QByteArray("-16777208") << -16777208;
    QTest::newRow("largest") << QByteArray("2147483647") << max;
    QTest::newRow("smallest") << QByteArray("-2147483648") << min;
    QTest::newRow("too large") << QByteArray("2147483648") << def;
    QTest::newRow("too small") << QByteArray("-2147483649") << def;
    QTest::newRow("dollar hex") << QByteArray("$FF") << 255;
    QTest::newRow("dollar lower hex") << QByteArray("$ff") << 255;
    QTest::newRow("0x hex") << QByteArray("0xFF") << 255;
    QTest::newRow("0X mixed hex") << QByteArray("0XfF") << 255;
    QTest::newRow("white in hex") << QByteArray("$FFFFFF") << 16777215;
    QTest::newRow("hex all ones") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("hex system colour") << QByteArray("0xFF000008") << -16777208;
    QTest::newRow("hex sign bit") << QByteArray("0x80000000") << min;
    QTest::newRow("hex leading zeros") << QByteArray("$0000000000FF") << 255;
    QTest::newRow("hex over 32 bits") << QByteArray("$100000000") << def;
    QTest::newRow("dollar alone") << QByteArray("$") << def;
    QTest::newRow("0x alone") << QByteArray("0x") << def;
    QTest::newRow("bad hex digit") << QByteArray("$FG") << def;
    QTest::newRow("signed hex") << QByteArray("-$FF") << def;
    QTest::newRow("word") << QByteArray("green") << def;
    QTest::newRow("empty") << QByteArray("") << def;
    QTest::newRow("trailing letters") << QByteArray("12abc") << def;
    QTest::newRow("sign alone") << QByteArray("-") << def;
    QTest::newRow("inner blank") << QByteArray("1 2") << def;
    QTest::newRow("fraction") << QByteArray("1.5") << def;
    QTest::newRow("surrounding blanks") << QByteArray("  42\t") << 42;
    QTest::newRow("full-width digits") << QByteArray("\xA3\xB1\xA3\xB2") << def;
}

void TestIniFile::readInteger()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, expected);
    writeRaw("[NoteText]\r\nForeColor=" + stored + "\r\n");
    const IniFile ini(path());
    QCOMPARE(ini.ReadInteger(u"NoteText"_s, u"ForeColor"_s, 77), expected);
}

void TestIniFile::readBool_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("expected");

    QTest::newRow("1") << QByteArray("1") << true;
    QTest::newRow("1 with blanks") << QByteArray(" 1 ") << true;
    QTest::newRow("0") << QByteArray("0") << false;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("true") << QByteArray("true") << false;
    QTest::newRow("TRUE") << QByteArray("TRUE") << false;
    QTest::newRow("01") << QByteArray("01") << false;
    QTest::newRow("$1") << QByteArray("$1") << false;
    QTest::newRow("-1") << QByteArray("-1") << false;
    QTest::newRow("2") << QByteArray("2") << false;
}

void TestIniFile::readBool()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, expected);
    writeRaw("[General]\r\nOpenLastFile=" + stored + "\r\n");
    const IniFile ini(path());
    QCOMPARE(ini.ReadBool(u"General"_s, u"OpenLastFile"_s), expected);
}

void TestIniFile::readStringCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    const QString smile = u"\U0001F600"_s; // two UTF-16 units
    const QString a2047(IniFile::MaxValueLength, u'a');
    QTest::newRow("short") << u"abc"_s << u"abc"_s;
    QTest::newRow("exactly the limit") << a2047 << a2047;
    QTest::newRow("one over") << a2047 + u'b' << a2047;
    QTest::newRow("far over") << QString(5000, u'x') << QString(IniFile::MaxValueLength, u'x');
    QTest::newRow("Chinese counts characters")
        << QString(3000, u'中') << QString(IniFile::MaxValueLength, u'中');
    QTest::newRow("pair across the limit") << QString(IniFile::MaxValueLength - 1, u'a') + smile + u'z'
                                           << QString(IniFile::MaxValueLength - 1, u'a');
    QTest::newRow("pair inside the limit") << QString(IniFile::MaxValueLength - 2, u'a') + smile + u'z'
                                           << QString(IniFile::MaxValueLength - 2, u'a') + smile;
}

void TestIniFile::readStringCut()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    IniFile ini(path());
    ini.WriteString(u"General"_s, u"LastFile"_s, value);
    QCOMPARE(ini.ReadString(u"General"_s, u"LastFile"_s, QString()), expected);
    // Paths, which the program writes however long, are read back whole.
    QCOMPARE(Settings::lastFile(ini), value);
    Settings::setRecentFiles(ini, {value}, 1);
    QCOMPARE(Settings::recentFileValues(ini, 1), QStringList{value});
}

void TestIniFile::chineseValueStoredAsGb18030()
{
    IniFile ini(path());
    ini.WriteString(u"字体"_s, u"Name"_s, u"宋体"_s);
    // GBK bytes: 字体 D7 D6 CC E5, 宋体 CB CE CC E5.
    QCOMPARE(readRaw(), QByteArray("[\xD7\xD6\xCC\xE5]\r\nName=\xCB\xCE\xCC\xE5\r\n"));
    QCOMPARE(ini.ReadString(u"字体"_s, u"name"_s, QString()), u"宋体"_s);

    ini.WriteString(u"General"_s, u"LastFile"_s, u"/home/用户/笔记.qlt"_s);
    QCOMPARE(ini.ReadString(u"General"_s, u"LastFile"_s, QString()), u"/home/用户/笔记.qlt"_s);
}

void TestIniFile::bracketAsTrailByte()
{
    // 乚 is 81 5D in GB18030: its second byte is "]".
    writeRaw("[\x81\x5D]\r\nk=\x81\x5D\r\n");
    IniFile ini(path());
    QCOMPARE(ini.ReadString(u"乚"_s, u"k"_s, QString()), u"乚"_s);
    ini.WriteString(u"乚"_s, u"乚"_s, u"v"_s);
    QCOMPARE(readRaw(), QByteArray("[\x81\x5D]\r\nk=\x81\x5D\r\n\x81\x5D=v\r\n"));
    QCOMPARE(ini.ReadString(u"乚"_s, u"乚"_s, QString()), u"v"_s);
}

void TestIniFile::objectsOnOneFileAgree()
{
    IniFile first(path());
    IniFile second(path());
    first.WriteString(u"General"_s, u"Theme"_s, u"Athen"_s);
    QCOMPARE(second.ReadString(u"General"_s, u"Theme"_s, QString()), u"Athen"_s);
    second.WriteInteger(u"General"_s, u"Theme"_s, 3);
    QCOMPARE(first.ReadInteger(u"general"_s, u"theme"_s, 0), 3);
    second.DeleteKey(u"General"_s, u"Theme"_s);
    QCOMPARE(first.ReadString(u"General"_s, u"Theme"_s, u"gone"_s), u"gone"_s);

    // Also once `first` keeps what it read of a file last changed long ago.
    first.WriteInteger(u"General"_s, u"Size"_s, 1);
    setModifiedHoursAgo(1);
    QCOMPARE(first.ReadInteger(u"General"_s, u"Size"_s, 0), 1);
    second.WriteInteger(u"General"_s, u"Size"_s, 2);
    QCOMPARE(first.ReadInteger(u"General"_s, u"Size"_s, 0), 2);
}

// Changes in place that keep the file's size: at once (within one tick of the file system's clock), to
// a file last changed long ago, and with its time of change set back as it was.
void TestIniFile::externalChangeSeenAtNextRead()
{
    const IniFile ini(path());
    const auto theme = [&] { return ini.ReadString(u"General"_s, u"Theme"_s, QString()); };
    writeRaw("[General]\r\nTheme=Roma\r\n");
    QCOMPARE(theme(), u"Roma"_s);
    writeRaw("[General]\r\nTheme=Nexos\r\n");
    QCOMPARE(theme(), u"Nexos"_s);
    writeRaw("[General]\r\nTheme=Athen\r\n");
    QCOMPARE(theme(), u"Athen"_s);

    setModifiedHoursAgo(1);
    QCOMPARE(theme(), u"Athen"_s);
    writeRaw("[General]\r\nTheme=Nexos\r\n");
    QCOMPARE(theme(), u"Nexos"_s);
    setModifiedHoursAgo(1);
    QCOMPARE(theme(), u"Nexos"_s);
    writeRaw("[General]\r\nTheme=Athen\r\n");
    setModifiedHoursAgo(1);
    QCOMPARE(theme(), u"Athen"_s);
}

void TestIniFile::removingNothingLeavesFileAlone()
{
    IniFile ini(path());
    ini.DeleteKey(u"General"_s, u"LastFile"_s);
    ini.EraseSection(u"MRU"_s);
    QVERIFY(!QFile::exists(path()));

    // Even a read-only file may be asked to drop what it does not hold.
    writeRaw(MixedFile);
    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ini.DeleteKey(u"General"_s, u"LastFile"_s);
    ini.EraseSection(u"MRU"_s);
    QCOMPARE(readRaw(), MixedFile);
}

void TestIniFile::rewriteKeepsPermissions()
{
#ifdef Q_OS_WIN
    QSKIP("no owner-only permission bits here; the replacement keeping attributes is tested in "
          "tst_windowsplatform");
#endif
    writeRaw(MixedFile);
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    QVERIFY(QFile::setPermissions(path(), ownerOnly));
    IniFile ini(path());
    ini.WriteString(u"General"_s, u"Theme"_s, u"Roma"_s);
    QCOMPARE(QFileInfo(path()).permissions() & ~(QFile::ReadUser | QFile::WriteUser), ownerOnly);
}

void TestIniFile::readOnlyFileRefusesWrite_data()
{
    QTest::addColumn<IniEdit>("edit");
    QTest::newRow("WriteString") << IniEdit(
        [](IniFile& ini) { ini.WriteString(u"General"_s, u"Theme"_s, u"Roma"_s); });
    QTest::newRow("WriteInteger") << IniEdit(
        [](IniFile& ini) { ini.WriteInteger(u"General"_s, u"GridLines"_s, 0); });
    QTest::newRow("WriteBool") << IniEdit(
        [](IniFile& ini) { ini.WriteBool(u"General"_s, u"GridLines"_s, false); });
    QTest::newRow("DeleteKey") << IniEdit([](IniFile& ini) { ini.DeleteKey(u"General"_s, u"GridLines"_s); });
    QTest::newRow("EraseSection") << IniEdit([](IniFile& ini) { ini.EraseSection(u"General"_s); });
}

void TestIniFile::readOnlyFileRefusesWrite()
{
    QFETCH(IniEdit, edit);
    writeRaw(MixedFile);
    QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    IniFile ini(path());
    QCOMPARE(writeErrorOf([&] { edit(ini); }), u"无法写入 "_s + path());
    QCOMPARE(readRaw(), MixedFile);
    QCOMPARE(ini.ReadBool(u"General"_s, u"GridLines"_s), true);
}

// A dotfile manager's link, the user's own in the user's private folder, leads to the settings; it stays
// a link when they are written.
void TestIniFile::ownLinkInPrivateFolderFollowed()
{
#ifdef Q_OS_WIN
    QSKIP("links are never followed here");
#endif
    const QString real = path(u"dotfiles.ini"_s);
    QVERIFY(writeFile(real, "[A]\r\nb=5\r\n"));
    const QString link = m_dir->filePath(u"linked.ini"_s);
    QVERIFY(QFile::link(real, link));
    IniFile ini(link);
    QCOMPARE(ini.ReadInteger(u"A"_s, u"b"_s, 9), 5);
    ini.WriteInteger(u"A"_s, u"b"_s, 6);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(IniFile(real).ReadInteger(u"A"_s, u"b"_s, 9), 6);
}

void TestIniFile::unusablePathRefused_data()
{
    PlantedFiles::addRows();
}

// Neither read (a pipe would block, a device never end) nor written through, in a folder others may
// write to.
void TestIniFile::unusablePathRefused()
{
    QFETCH(QString, relativePath);
    PlantedFiles::plant(m_dir->path());
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                     QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup));
    const QString file = path(relativePath);
    IniFile ini(file);
    QCOMPARE(ini.ReadInteger(u"A"_s, u"b"_s, 9), 9);
    QCOMPARE(writeErrorOf([&] { ini.WriteInteger(u"A"_s, u"b"_s, 1); }), u"无法写入 "_s + file);
    PlantedFiles::verifyUntouched(m_dir->path());
}

void TestIniFile::fullDiskKeepsOldFile()
{
#ifdef Q_OS_UNIX
    const QByteArray before = "[General]\r\nTheme=Roma\r\n";
    writeRaw(before);
    IniFile ini(path());
    const QString longValue(1000, u'x');
    QString message;
    {
        FileSizeLimit limit(before.size() + 10); // the rewritten file does not fit
        QVERIFY(limit.active());
        message = writeErrorOf([&] { ini.WriteString(u"General"_s, u"LastFile"_s, longValue); });
    }
    QCOMPARE(message, u"无法写入 "_s + path());
    QCOMPARE(readRaw(), before);
#else
    QSKIP("needs a file size limit");
#endif
}

void TestIniFile::unstorableTextRefused_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("LF in value") << u"General"_s << u"LastFile"_s << u"a\n[Evil]"_s;
    QTest::newRow("CR in value") << u"General"_s << u"LastFile"_s << u"a\rb"_s;
    QTest::newRow("NUL in value") << u"General"_s << u"LastFile"_s << QString(u"a"_s).append(QChar(0));
    QTest::newRow("equals in key") << u"General"_s << u"a=b"_s << u"v"_s;
    QTest::newRow("empty key") << u"General"_s << u" "_s << u"v"_s;
    QTest::newRow("comment key") << u"General"_s << u";k"_s << u"v"_s;
    QTest::newRow("section key") << u"General"_s << u"[k"_s << u"v"_s;
    QTest::newRow("bracket in section") << u"Gen]eral"_s << u"k"_s << u"v"_s;
    QTest::newRow("empty section") << u""_s << u"k"_s << u"v"_s;
    QTest::newRow("LF in section") << u"Gen\neral"_s << u"k"_s << u"v"_s;
}

void TestIniFile::unstorableTextRefused()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    writeRaw(MixedFile);
    IniFile ini(path());
    QCOMPARE(writeErrorOf([&] { ini.WriteString(section, key, value); }), u"无法写入 "_s + path());
    QCOMPARE(readRaw(), MixedFile);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
