// The settings file parser on any file content. IniFile reads only from disk, so each input is written
// to a file of this process in /dev/shm (memory, no disk wear) first.

#include "FuzzCheck.h"

#include "shared/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

QString scratchFile()
{
    const QString dir =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/quillet-fuzz-%2.ini").arg(dir).arg(QCoreApplication::applicationPid());
}

struct ScratchFile
{
    QString path = scratchFile();
    ~ScratchFile() { QFile::remove(path); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ScratchFile scratch;
    {
        QFile file(scratch.path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }

    IniFile ini(scratch.path);
    // Every call reads the whole file again, so a few names in other letter cases are enough.
    const QString names[][2] = {
        {QStringLiteral("General"), QStringLiteral("LastFile")},
        {QStringLiteral("mru"), QStringLiteral("MRU1")},
        {QStringLiteral("选项"), QStringLiteral("名字")},
    };
    for (const auto& [section, key] : names) {
        const QString value = ini.ReadString(section, key, QStringLiteral("\x01"));
        FUZZ_CHECK(value.size() <= IniFile::MaxValueLength);
    }
    ini.ReadInteger(QStringLiteral("NOTESLISTTEXT"), QStringLiteral("size"), 0);
    ini.ReadBool(QStringLiteral("General"), QStringLiteral("GridLines"));

    // Writes reach the file and read back, whatever else the file holds.
    ini.WriteString(QStringLiteral("General"), QStringLiteral("LastFile"), QStringLiteral("/tmp/笔记 1.qlt"));
    FUZZ_CHECK(ini.ReadString(QStringLiteral("GENERAL"), QStringLiteral("lastfile"), {}) ==
               QStringLiteral("/tmp/笔记 1.qlt"));
    ini.WriteInteger(QStringLiteral("NotesListText"), QStringLiteral("Size"), -12);
    FUZZ_CHECK(ini.ReadInteger(QStringLiteral("noteslisttext"), QStringLiteral("SIZE"), 0) == -12);
    // A second key of the same name may show through afterwards, as with the Windows profile functions.
    ini.DeleteKey(QStringLiteral("General"), QStringLiteral("LastFile"));
    ini.EraseSection(QStringLiteral("NotesListText"));
    FUZZ_CHECK(ini.ReadInteger(QStringLiteral("NotesListText"), QStringLiteral("Size"), 7) == 7);
    return 0;
}
