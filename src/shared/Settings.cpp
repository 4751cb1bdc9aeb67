#include "shared/Settings.h"

#include "shared/IniFile.h"

#include <iterator>

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
        return QStringLiteral("MinToTrayOnClose");
    case Switch::ResizableWindow:
        return QStringLiteral("ResizableWindow");
    case Switch::WordWrap:
        return QStringLiteral("WordWrap");
    case Switch::PriorityColors:
        break;
    }
    return QStringLiteral("PriorityColors");
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

namespace {

constexpr const char* GeometryKeys[] = {"WindowLeft", "WindowTop", "WindowWidth", "WindowHeight"};

} // namespace

std::optional<QRect> windowGeometry(const IniFile& ini)
{
    // A missing or bad value comes back as the default, whatever that is: read with two defaults, it shows.
    int values[std::size(GeometryKeys)];
    for (size_t i = 0; i < std::size(GeometryKeys); ++i) {
        const QString key = QLatin1String(GeometryKeys[i]);
        values[i] = ini.ReadInteger(General, key, 0);
        if (values[i] != ini.ReadInteger(General, key, 1))
            return std::nullopt;
    }
    if (values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

void setWindowGeometry(IniFile& ini, const QRect& geometry)
{
    const int values[] = {geometry.x(), geometry.y(), geometry.width(), geometry.height()};
    for (size_t i = 0; i < std::size(GeometryKeys); ++i)
        ini.WriteInteger(General, QLatin1String(GeometryKeys[i]), values[i]);
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
