// The settings file parser on any file content. IniFile reads only from disk, so each input is written
// to a scratch file first.

#include "FuzzCheck.h"
#include "ScratchFile.h"

#include "shared/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ScratchFile scratch("settings.ini");
    scratch.write(data, size);

    IniFile ini(scratch.path());
    // A few names in other letter cases.
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
