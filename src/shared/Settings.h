#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

class IniFile;

// Every setting the program keeps in "Quillet.ini", with its section, key and the value a missing key
// stands for. Reads never fail (a bad or missing value gives the default); writes raise IniWriteError.
namespace Settings {

// The three text rows of the options dialog, each with its font section and background colour.
enum class TextRow
{
    NotesList,
    Note,
    AddEdit,
};
inline constexpr int TextRowCount = 3;
QString sectionOf(TextRow row); // "NotesListText", "NoteText", "AddEditText"

inline constexpr qint32 White = 16777215;
// The row's background colour as stored (0x00BBGGRR, or a negative system colour); white when missing.
qint32 background(const IniFile& ini, TextRow row);
void setBackground(IniFile& ini, TextRow row, qint32 color);

// The switches of section "General"; off when missing or anything but "1".
enum class Switch
{
    GridLines,
    AutoSaveOnAddEdit,
    OpenLastFile,
    MinToTrayOnClose,
    HideDone, // the list leaves out the notes that are done
    ResizableWindow,
    WordWrap,
    PriorityColors,
};
bool isOn(const IniFile& ini, Switch which);
void setOn(IniFile& ini, Switch which, bool on);

// The main window's place as the user left it: the frame's top left corner and the size inside the frame.
// Nothing when a value is missing or no number, or the size is not positive.
std::optional<QRect> windowGeometry(const IniFile& ini);
void setWindowGeometry(IniFile& ini, const QRect& geometry);

QString lastFile(const IniFile& ini);
// An empty name, or one the file cannot hold, removes the key: no stale last file opens next time.
void setLastFile(IniFile& ini, const QString& path);
QString theme(const IniFile& ini, const QString& fallback);
void setTheme(IniFile& ini, const QString& name);

// The values MRU1..MRU4 in order, empty where missing.
QStringList recentFileValues(const IniFile& ini, qsizetype count);
// Names the file cannot hold are left out, the rest keep their order; keys beyond the list are removed,
// and with no name at all the section goes.
void setRecentFiles(IniFile& ini, const QStringList& paths, qsizetype count);

} // namespace Settings
