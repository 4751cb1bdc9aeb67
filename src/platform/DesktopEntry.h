#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Small pieces of the freedesktop desktop-entry and base-directory rules shared by the autostart entry
// and the file association, among them the one reader and writer of their key files (desktop entries,
// mimeapps.list).
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

// `content` with `key` in group `group` set to `value` (escaped), every other line kept as it was: in place
// of the key where the group has it (a second one of it dropped), else after the group's last key, else in
// the group added at the end.
QByteArray withValue(const QByteArray& content, const QString& group, const QString& key,
                     const QString& value);

// Splits an unescaped Exec value into program and arguments by the quoting rules; "%%" becomes "%".
// Nothing when the quoting is broken.
std::optional<QStringList> splitExec(const QString& exec);

} // namespace DesktopEntry
