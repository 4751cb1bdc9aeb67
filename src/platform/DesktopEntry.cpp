#include "platform/DesktopEntry.h"

#include "shared/AppPaths.h"

#include <QDir>

#include <algorithm>
#include <iterator>

namespace DesktopEntry {
namespace {

// The escapes of a string value: "\\" and a code stand for a character.
struct Escape
{
    char16_t code;
    char16_t character;
};
constexpr Escape Escapes[] = {{u's', u' '}, {u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'}, {u'\\', u'\\'}};

bool needsQuotes(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    for (const QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return argument.isEmpty();
}

QString unescapeString(QStringView raw)
{
    QString result;
    result.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != QLatin1Char('\\') || i + 1 == raw.size()) {
            result += raw[i];
            continue;
        }
        const QChar next = raw[++i];
        const auto escape = std::find_if(std::begin(Escapes), std::end(Escapes),
                                         [next](const Escape& e) { return e.code == next; });
        if (escape != std::end(Escapes)) {
            result += QChar(escape->character);
        } else {
            // Not an escape the rules know: keep both characters.
            result += QLatin1Char('\\');
            result += next;
        }
    }
    return result;
}

// A line of a key file (a desktop entry, mimeapps.list) as the reader and the writer both see it.
struct KeyFileLine
{
    enum class Kind
    {
        Other, // blank, comment, or no key
        Group,
        Entry,
    };
    Kind kind = Kind::Other;
    QStringView name; // a group's, without its brackets (empty when they are not closed); an entry's key
    QStringView value;
};

KeyFileLine keyFileLine(QStringView line)
{
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
        return {};
    if (line.startsWith(QLatin1Char('[')))
        return {KeyFileLine::Kind::Group,
                line.endsWith(QLatin1Char(']')) ? line.sliced(1, line.size() - 2) : QStringView(),
                {}};
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return {};
    return {KeyFileLine::Kind::Entry, line.first(eq).trimmed(), line.sliced(eq + 1).trimmed()};
}

} // namespace

QString configHome()
{
    return AppPaths::baseDirectory(QStandardPaths::GenericConfigLocation, ".config");
}

QString dataHome()
{
    return AppPaths::baseDirectory(QStandardPaths::GenericDataLocation, ".local/share");
}

QString execArgument(const QString& argument)
{
    QString exec;
    if (needsQuotes(argument)) {
        exec += QLatin1Char('"');
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                exec += QLatin1Char('\\');
            exec += c;
        }
        exec += QLatin1Char('"');
    } else {
        exec = argument;
    }
    // A lone "%" would start a field code.
    exec.replace(QLatin1Char('%'), QLatin1String("%%"));
    // The Exec value is itself a string value, whose own escapes come on top of the quoting.
    return escapeString(exec);
}

QString escapeString(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        // A blank needs no escape inside a value.
        const auto escape = std::find_if(std::begin(Escapes), std::end(Escapes), [c](const Escape& e) {
            return e.character == c && e.character != u' ';
        });
        if (escape != std::end(Escapes)) {
            escaped += QLatin1Char('\\');
            escaped += QChar(escape->code);
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::optional<QString> value(const QByteArray& content, const QString& group, const QString& key)
{
    const QString text = QString::fromUtf8(content);
    bool inGroup = false;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const KeyFileLine shape = keyFileLine(line);
        if (shape.kind == KeyFileLine::Kind::Group)
            inGroup = shape.name == group;
        else if (inGroup && shape.kind == KeyFileLine::Kind::Entry && shape.name == key)
            return unescapeString(shape.value);
    }
    return std::nullopt;
}

QByteArray withValue(const QByteArray& content, const QString& group, const QString& key,
                     const QString& value)
{
    const QString entry = key + QLatin1Char('=') + escapeString(value);
    QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    qsizetype groupAt = -1;
    qsizetype groupEnd = lines.size();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const KeyFileLine shape = keyFileLine(lines[i]);
        if (shape.kind != KeyFileLine::Kind::Group)
            continue;
        if (groupAt >= 0) {
            groupEnd = i;
            break;
        }
        if (shape.name == group)
            groupAt = i;
    }

    if (groupAt < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + group + QLatin1Char(']'));
        lines.append(entry);
        return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    }
    bool replaced = false;
    for (qsizetype i = groupAt + 1; i < groupEnd; ++i) {
        const KeyFileLine shape = keyFileLine(lines[i]);
        if (shape.kind != KeyFileLine::Kind::Entry || shape.name != key)
            continue;
        if (!replaced) {
            lines[i] = entry;
            replaced = true;
        } else {
            // A key given twice in one group is not valid; keep only the one set.
            lines.removeAt(i);
            --i;
            --groupEnd;
        }
    }
    if (!replaced) {
        // After the group's last key, before the blank lines that part it from the next group.
        qsizetype at = groupEnd;
        while (at > groupAt + 1 && lines[at - 1].trimmed().isEmpty())
            --at;
        lines.insert(at, entry);
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

std::optional<QStringList> splitExec(const QString& exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments.append(current);
    for (QString& argument : arguments)
        argument.replace(QLatin1String("%%"), QLatin1String("%"));
    return arguments;
}

} // namespace DesktopEntry
