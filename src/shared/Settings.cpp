#include "shared/Settings.h"

#include "shared/IniFile.h"

namespace Settings {
namespace {

const QString General = QStringLiteral("General");
const QString RecentFiles = QStringLiteral("MRU");

QString recentFileKey(qsizetype n)
{
    return QStringLiteral("MRU%1").arg(n);
}

void writeBool(IniFile& ini, const char* key, bool on)
{
    ini.WriteBool(General, QLatin1String(key), on);
}

bool readBool(const IniFile& ini, const char* key)
{
    return ini.ReadBool(General, QLatin1String(key));
}

} // namespace

QString sectionOf(TextRow row)
{
    switch (row) {
    case TextRow::NotesList:
        return QStringLiteral("NotesListText");
    case TextRow::Note:
        return QStringLiteral("NoteText");
    case TextRow::AddEdit:
        break;
    }
    return QStringLiteral("AddEditText");
}

qint32 background(const IniFile& ini, TextRow row)
{
    return ini.ReadInteger(sectionOf(row), QStringLiteral("ForeColor"), White);
}

void setBackground(IniFile& ini, TextRow row, qint32 color)
{
    ini.WriteInteger(sectionOf(row), QStringLiteral("ForeColor"), color);
}

bool gridLines(const IniFile& ini)
{
    return readBool(ini, "GridLines");
}

void setGridLines(IniFile& ini, bool on)
{
    writeBool(ini, "GridLines", on);
}

bool autoSaveOnAddEdit(const IniFile& ini)
{
    return readBool(ini, "AutoSaveOnAddEdit");
}

void setAutoSaveOnAddEdit(IniFile& ini, bool on)
{
    writeBool(ini, "AutoSaveOnAddEdit", on);
}

bool openLastFile(const IniFile& ini)
{
    return readBool(ini, "OpenLastFile");
}

void setOpenLastFile(IniFile& ini, bool on)
{
    writeBool(ini, "OpenLastFile", on);
}

bool minToTrayOnClose(const IniFile& ini)
{
    return readBool(ini, "MinToTrayOnClose");
}

void setMinToTrayOnClose(IniFile& ini, bool on)
{
    writeBool(ini, "MinToTrayOnClose", on);
}

QString lastFile(const IniFile& ini)
{
    return ini.ReadString(General, QStringLiteral("LastFile"), QString());
}

void setLastFile(IniFile& ini, const QString& path)
{
    if (!path.isEmpty() && IniFile::canHold(path))
        ini.WriteString(General, QStringLiteral("LastFile"), path);
    else
        ini.DeleteKey(General, QStringLiteral("LastFile"));
}

QString theme(const IniFile& ini, const QString& fallback)
{
    return ini.ReadString(General, QStringLiteral("Theme"), fallback);
}

void setTheme(IniFile& ini, const QString& name)
{
    ini.WriteString(General, QStringLiteral("Theme"), name);
}

QStringList recentFileValues(const IniFile& ini, qsizetype count)
{
    QStringList values;
    for (qsizetype n = 1; n <= count; ++n)
        values.append(ini.ReadString(RecentFiles, recentFileKey(n), QString()));
    return values;
}

void setRecentFiles(IniFile& ini, const QStringList& paths, qsizetype count)
{
    QStringList kept = paths;
    kept.removeIf([](const QString& path) { return !IniFile::canHold(path); });
    for (qsizetype n = 1; n <= count; ++n) {
        if (n <= kept.size())
            ini.WriteString(RecentFiles, recentFileKey(n), kept.at(n - 1));
        else
            ini.DeleteKey(RecentFiles, recentFileKey(n));
    }
    if (paths.isEmpty())
        ini.EraseSection(RecentFiles);
}

} // namespace Settings
