#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Small pieces of the freedesktop desktop-entry and base-directory rules shared by the autostart entry
// and the file association.
namespace DesktopEntry {

// $XDG_CONFIG_HOME, or ~/.config when it is unset, empty or relative.
QString configHome();
// $XDG_DATA_HOME, or ~/.local/share when it is unset, empty or relative.
QString dataHome();

// `text` escaped for a string value (backslash, line feed, tab, carriage return).
QString escapeString(const QString& text);

// One argument of an Exec line, quoted only when it holds a character the Exec rules reserve, and
// escaped for the string value it ends up in ("%" doubled, backslashes doubled).
QString execArgument(const QString& argument);

// The value of `key` in group `group` of a desktop file's text, with the string escapes (\s \n \t \r
// \\) undone; nothing when the group or key is missing.
std::optional<QString> value(const QByteArray& content, const QString& group, const QString& key);

// Splits an unescaped Exec value into program and arguments by the quoting rules; "%%" becomes "%".
// Nothing when the quoting is broken.
std::optional<QStringList> splitExec(const QString& exec);

} // namespace DesktopEntry
