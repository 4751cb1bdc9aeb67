// Writes the seed corpus: notes files made by the real writer, settings files, text samples and command
// lines. Run as `make_corpus <fuzz/corpus>`; the result is kept in the repository.

#include "StrongFuzzKey.h"

#include "document/QltFormat.h"
#include "document/StrongFormat.h"
#include "shared/AnsiText.h"
#include "shared/NoteFields.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

QDir g_root;

void put(const char* target, const QString& name, const QByteArray& bytes)
{
    g_root.mkpath(QLatin1String(target));
    QFile file(g_root.filePath(QLatin1String(target) + u'/' + name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
}

QByteArray gb(QStringView text)
{
    return AnsiText::fromUnicode(text);
}

Note note(QStringView text, quint16 priority, bool done)
{
    return Note{gb(text), SharedSrc::GetPriorityByIndex(priority),
                done ? Note::ImageDone : Note::ImageNotDone};
}

// The reader target's input: the password's length, the password, then the file.
void putQlt(const QString& name, const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    const QByteArray input = char(password.size()) + password + QltFormat::write(notes, password, reserved);
    put("qltreader", name, input);
}

// The command target's input: the command's number, then as for the reader, with the password as typed
// (UTF-8). Every command on the same file.
void putCliSeeds(const QString& name, const QList<Note>& notes, QStringView password)
{
    const QByteArray typed = password.toUtf8();
    const QByteArray input = char(typed.size()) + typed + QltFormat::write(notes, gb(password), 0);
    for (char command = 0; command < 8; ++command)
        put("clicommand", name + u'-' + QString::number(command), command + input);
}

void makeQltSeeds()
{
    const QList<Note> some = {
        note(u"买牛奶\r\n两瓶, 低脂", 0, false),
        note(u"", 1, true),
        note(u"Quarterly report\r\nsend to 王经理", 2, false),
        note(u"最高优先级的事情", 3, true),
    };
    putQlt(QStringLiteral("empty-plain.qlt"), {}, {}, 0);
    putQlt(QStringLiteral("empty-protected.qlt"), {}, "secret", 0);
    putQlt(QStringLiteral("some-plain.qlt"), some, {}, 0);
    putQlt(QStringLiteral("some-protected.qlt"), some, gb(u"密码"), 0x12345678);
    putCliSeeds(QStringLiteral("some-plain"), some, u"");
    putCliSeeds(QStringLiteral("some-protected"), some, u"密码");
    putQlt(QStringLiteral("one-byte-key.qlt"), some.mid(0, 1), "k", 1);
    putQlt(QStringLiteral("long-key.qlt"), some.mid(2), "fifteen-bytes!!", 0xffffffff);

    QList<Note> many;
    for (int i = 0; i < 40; ++i)
        many.append(note(QStringLiteral("第%1条\r\nline").arg(i), quint16(i % 4), i % 3 == 0));
    putQlt(QStringLiteral("forty-notes.qlt"), many, {}, 0);

    // Files the reader must refuse or report as damaged.
    const QByteArray good = QltFormat::write(some, {}, 0);
    QByteArray version2 = good;
    version2[6] = 2;
    put("qltreader", QStringLiteral("version-2.qlt"), '\0' + version2);
    QByteArray foreign = good;
    foreign[1] = 'Q';
    put("qltreader", QStringLiteral("foreign.qlt"), '\0' + foreign);
    put("qltreader", QStringLiteral("truncated.qlt"), '\0' + good.left(good.size() - 3));
    put("qltreader", QStringLiteral("header-only.qlt"), '\0' + good.left(QltFormat::HeaderSize));
    QByteArray huge = QltFormat::write({note(u"x", 1, false)}, {}, 0);
    huge[QltFormat::StreamOffset + 3] = char(huge[QltFormat::StreamOffset + 3] ^ 0x7f); // ~2 GiB claimed
    put("qltreader", QStringLiteral("huge-length.qlt"), '\0' + huge);
}

// Strong files written with the target's key: whole ones, one of two chunks, and damaged ones.
void makeStrongSeeds()
{
    const KeyDerivation::Key& key = strongFuzzKey();
    const QList<Note> some = {note(u"银行卡提示 1234", 2, false), note(u"", 0, true)};
    put("strongreader", QStringLiteral("empty.qlt"), StrongFormat::write({}, 0, key));
    const QByteArray good = StrongFormat::write(some, 0x12345678, key);
    put("strongreader", QStringLiteral("some.qlt"), good);
    put("strongreader", QStringLiteral("two-chunks.qlt"),
        StrongFormat::write({Note{QByteArray(StrongFormat::ChunkSize, 'a'), gb(u"高")}}, 0, key));
    put("strongreader", QStringLiteral("cut.qlt"), good.chopped(1));
    put("strongreader", QStringLiteral("prefix-only.qlt"), good.first(StrongFormat::PrefixSize));
    KeyDerivation::Key greedy = key;
    greedy.params.cost.memoryKiB = KeyDerivation::MaxMemoryKiB + 1;
    put("strongreader", QStringLiteral("greedy.qlt"), StrongFormat::write(some, 0, greedy));
}

// The settings seeds serve both the parser's target and the one of the reads at start.
void putIni(const QString& name, const QByteArray& bytes)
{
    put("inifile", name, bytes);
    put("startsettings", name, bytes);
}

void makeIniSeeds()
{
    putIni(
        QStringLiteral("typical.ini"),
        gb(u"[General]\r\nGridLines=1\r\nAutoSaveOnAddEdit=0\r\nOpenLastFile=1\r\nMinToTrayOnClose=0\r\n"
           u"LastFile=/home/用户/笔记.qlt\r\nTheme=Office11XP\r\n\r\n[MRU]\r\nMRU1=/home/用户/笔记.qlt\r\n"
           u"MRU2=/tmp/b.qlt\r\n\r\n[NotesListText]\r\nName=宋体\r\nCharset=134\r\nSize=9\r\nHeight=-12\r\n"
           u"Color=$00FF0000\r\nBold=0\r\nItalic=1\r\n"));
    putIni(QStringLiteral("mixed-line-ends.ini"),
           "; comment\n[general]\rtheme = Roma \r\n  [ MRU ]  "
           "\nmru1=\tx\n=novalue\nnoequals\n[NotesListText\nSize=0x1F");
    putIni(QStringLiteral("duplicates.ini"),
           "[General]\r\nLastFile=a\r\nLastFile=b\r\n[GENERAL]\r\nTheme=c\r\n[NotesListText]\r\nSize=-"
           "2147483648\r\n"
           "[noteslisttext]\r\nSize=$FFFFFFFF\r\n");
    putIni(QStringLiteral("no-line-end.ini"), "[MRU]\r\nMRU1=/x.qlt");
    putIni(QStringLiteral("invalid-gb18030.ini"), "[General]\r\nLastFile=\x81\x30\xff\x80]\r\n[\xa1]\r\n");
    putIni(QStringLiteral("long-value.ini"), "[General]\r\nLastFile=" + QByteArray(3000, 'v') + "\r\n");
    putIni(QStringLiteral("empty.ini"), {});
    putIni(QStringLiteral("every-start-key.ini"),
           gb(u"[General]\r\nGridLines=1\r\nAutoSaveOnAddEdit=1\r\nOpenLastFile=1\r\nLastFile=/笔记.qlt\r\n"
              u"Theme=Roma\r\n[MRU]\r\nMRU2=/a.qlt\r\nMRU4=/b.qlt\r\n[NotesListText]\r\nName=宋体\r\n"
              u"Size=12\r\nHeight=20\r\nColor=-16777208\r\nStrikeout=1\r\nForeColor=0xFF\r\n"
              u"[NoteText]\r\nForeColor=green\r\nSize=99999\r\n[AddEditText]\r\nCharset=300\r\nName=\r\n"
              u"ForeColor=$FFFFFFFF\r\n"));
}

void makeAnsiTextSeeds()
{
    put("ansitext", QStringLiteral("chinese.txt"), gb(u"记事本 优先级: 最高 ]\r\n完成"));
    put("ansitext", QStringLiteral("four-byte.txt"), gb(u"𠀀 😀 €"));
    put("ansitext", QStringLiteral("ascii.txt"), "Quillet 1.54\r\n");
    put("ansitext", QStringLiteral("invalid.txt"), QByteArray("\x81\x30\x81\xff\x80\xfe\x39\x00\x84", 9));
    put("ansitext", QStringLiteral("utf16-surrogates.txt"),
        QByteArray("\x3d\xd8\x00\xde\x00\xdc\x41\x00", 8));
}

void makeCommandLineSeeds()
{
    const auto args = [](std::initializer_list<const char*> list) {
        QByteArrayList parts;
        for (const char* part : list)
            parts.append(part);
        return parts.join('\0');
    };
    put("commandline", QStringLiteral("open-with-password"),
        args({"/home/u/笔记.qlt", "secret", "-minimize"}));
    put("commandline", QStringLiteral("switches"), args({"/DEBUG", "-Minimize", "--debug", "-"}));
    put("commandline", QStringLiteral("cli-list-json"), args({"list", "a.qlt", "--json"}));
    put("commandline", QStringLiteral("cli-add"), args({"add", "a.qlt", "买牛奶", "--priority=3", "--done"}));
    put("commandline", QStringLiteral("cli-add-split"),
        args({"add", "--priority", "0", "a.qlt", "--", "-x"}));
    put("commandline", QStringLiteral("cli-import"), args({"--password-stdin", "import", "a.qlt", "b.qlt"}));
    put("commandline", QStringLiteral("cli-help"), args({"rm", "--help"}));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus <corpus folder>\n");
        return 2;
    }
    g_root = QDir(QString::fromLocal8Bit(argv[1]));
    makeQltSeeds();
    makeStrongSeeds();
    makeIniSeeds();
    makeAnsiTextSeeds();
    makeCommandLineSeeds();
    return 0;
}
