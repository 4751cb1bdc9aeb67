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

QString keyOf(Switch which)
{
    switch (which) {
    case Switch::GridLines:
        return QStringLiteral("GridLines");
    case Switch::AutoSaveOnAddEdit:
        return QStringLiteral("AutoSaveOnAddEdit");
    case Switch::OpenLastFile:
        return QStringLiteral("OpenLastFile");
    case Switch::HideDone:
        return QStringLiteral("HideDone");
    case Switch::MinToTrayOnClose:
        break;
    }
    return QStringLiteral("MinToTrayOnClose");
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

bool isOn(const IniFile& ini, Switch which)
{
    return ini.ReadBool(General, keyOf(which));
}

void setOn(IniFile& ini, Switch which, bool on)
{
    ini.WriteBool(General, keyOf(which), on);
}

QString lastFile(const IniFile& ini)
{
    return ini.ReadWholeString(General, QStringLiteral("LastFile"));
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
        values.append(ini.ReadWholeString(RecentFiles, recentFileKey(n)));
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
