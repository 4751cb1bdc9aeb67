// The settings reads the main window makes when it starts, on any file content: the recent files, grid
// lines, auto-save, the three fonts and their backgrounds and the theme at creation, the last file at
// the first activation. Every value stays within its bounds, and reads served from what an earlier read
// kept agree with a fresh parse.

#include "FuzzCheck.h"
#include "ScratchFile.h"

#include "document/RecentFiles.h"
#include "forms/FontSettings.h"
#include "shared/IniFile.h"

#include <QDateTime>

#include <array>

namespace {

const QString General = QStringLiteral("General");
const QString FontSections[] = {QStringLiteral("NotesListText"), QStringLiteral("NoteText"),
                                QStringLiteral("AddEditText")};

struct StartReads
{
    QStringList recentFiles;
    QString gridLines;
    QString autoSave;
    std::array<FontValue, 3> fonts;
    std::array<int, 3> backgrounds{};
    QString theme;
    QString openLastFile;
    QString lastFile;

    bool operator==(const StartReads&) const = default;
};

StartReads readAtStart(const IniFile& ini)
{
    StartReads reads;
    QStringList recent;
    for (int n = 1; n <= RecentFiles::MaxCount; ++n)
        recent.append(ini.ReadString(QStringLiteral("MRU"), QStringLiteral("MRU%1").arg(n), QString()));
    reads.recentFiles = RecentFiles::fromSettings(recent);
    reads.gridLines = ini.ReadString(General, QStringLiteral("GridLines"), QStringLiteral("0"));
    reads.autoSave = ini.ReadString(General, QStringLiteral("AutoSaveOnAddEdit"), QStringLiteral("0"));
    for (int i = 0; i < 3; ++i) {
        SharedSrc::LoadFontFromIni(ini, reads.fonts[i], FontSections[i]);
        reads.backgrounds[i] = ini.ReadInteger(FontSections[i], QStringLiteral("ForeColor"), 16777215);
    }
    reads.theme = ini.ReadString(General, QStringLiteral("Theme"), QStringLiteral("Office11XP"));
    reads.openLastFile = ini.ReadString(General, QStringLiteral("OpenLastFile"), QStringLiteral("0"));
    if (reads.openLastFile == u"1")
        reads.lastFile = ini.ReadString(General, QStringLiteral("LastFile"), QString());
    return reads;
}

bool withinBounds(const StartReads& reads)
{
    const auto fits = [](const QString& value) { return value.size() <= IniFile::MaxValueLength; };
    const auto usable = [](const FontValue& font) {
        return !font.name.isEmpty() && font.size >= FontValue::MinSize && font.size <= FontValue::MaxSize &&
               font.charset >= 0 && font.charset <= 255;
    };
    return reads.recentFiles.size() <= RecentFiles::MaxCount &&
           std::all_of(reads.recentFiles.begin(), reads.recentFiles.end(), fits) && fits(reads.theme) &&
           fits(reads.lastFile) && std::all_of(reads.fonts.begin(), reads.fonts.end(), usable);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ScratchFile scratch("start.ini");
    scratch.write(data, size);
    {
        // As at a real start, the file was written well before: what the first read parses is kept.
        QFile file(scratch.path());
        FUZZ_CHECK(file.open(QIODevice::ReadWrite));
        FUZZ_CHECK(
            file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    const IniFile ini(scratch.path());
    const StartReads reads = readAtStart(ini);
    FUZZ_CHECK(withinBounds(reads));
    FUZZ_CHECK(readAtStart(ini) == reads);
    FUZZ_CHECK(readAtStart(IniFile(scratch.path())) == reads);
    return 0;
}
