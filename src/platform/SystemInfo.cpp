#include "platform/SystemInfo.h"

#include <QFile>
#include <QSysInfo>

namespace SystemInfo {
namespace {

// Reads up to three dot-separated numbers from the start of `text`; `pos` is left after the last one.
// A number too large for an int ends the numbers, so it stays in the suffix as written.
void readNumbers(const QString& text, qsizetype& pos, int (&numbers)[3])
{
    for (int k = 0; k < 3; ++k) {
        qsizetype end = pos;
        while (end < text.size() && text.at(end).isDigit() && text.at(end).unicode() < 128)
            ++end;
        bool ok = false;
        const int value = QStringView(text).mid(pos, end - pos).toInt(&ok);
        if (end == pos || !ok)
            return;
        numbers[k] = value;
        pos = end;
        const bool more =
            k < 2 && pos + 1 < text.size() && text.at(pos) == u'.' && text.at(pos + 1).isDigit();
        if (!more)
            return;
        ++pos;
    }
}

// The value of a shell-style assignment: single quotes keep everything, double quotes and bare text
// take a backslash as an escape (in double quotes only before $ ` " \).
QString unquote(QStringView value)
{
    QString result;
    QChar quote;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (quote.isNull() && (c == u'"' || c == u'\'')) {
            quote = c;
        } else if (!quote.isNull() && c == quote) {
            quote = QChar();
        } else if (c == u'\\' && quote != u'\'' && i + 1 < value.size()) {
            const QChar next = value.at(i + 1);
            const bool escapes =
                quote.isNull() || next == u'$' || next == u'`' || next == u'"' || next == u'\\';
            if (!escapes)
                result += c;
            result += next;
            ++i;
        } else if (quote.isNull() && c.isSpace()) {
            break; // blanks outside quotes end the value, as in the shell
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

SystemDescription describe()
{
    SystemDescription description;
    description.productName =
        productName({QStringLiteral("/etc/os-release"), QStringLiteral("/usr/lib/os-release")});
    // On Unix this is uname()'s release; elsewhere the system's own version number.
    description.version = versionText(QSysInfo::kernelVersion());
    return description;
}

std::optional<QString> productName(const QStringList& osReleaseFiles)
{
    for (const QString& path : osReleaseFiles) {
        QFile file(path);
        // os-release is a few hundred bytes; a larger read would only be a wrong file.
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (const std::optional<QString> name = prettyName(file.read(64 * 1024)))
            return name;
    }
    return std::nullopt;
}

QString versionText(const QString& kernelRelease)
{
    int numbers[3] = {0, 0, 0};
    qsizetype pos = 0;
    readNumbers(kernelRelease, pos, numbers);
    QStringView suffix = QStringView(kernelRelease).mid(pos);
    // The separator between the numbers and the rest ("-" in "6.1.0-18-amd64") is not part of the rest.
    if (pos > 0 && !suffix.isEmpty() && !suffix.front().isLetterOrNumber())
        suffix = suffix.mid(1);
    // One arg() call, so that a "%1" in the suffix is not taken for a place marker.
    return QStringLiteral("%1.%2 Build %3 %4")
        .arg(QString::number(numbers[0]), QString::number(numbers[1]), QString::number(numbers[2]),
             suffix.toString());
}

std::optional<QString> prettyName(const QByteArray& osRelease)
{
    std::optional<QString> name;
    const QString text = QString::fromUtf8(osRelease);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.startsWith(u'#') || equals < 0 || line.left(equals) != u"PRETTY_NAME")
            continue;
        const QString value = unquote(line.mid(equals + 1));
        // The last assignment wins, as when the file is sourced by a shell.
        name = value.isEmpty() ? std::nullopt : std::optional<QString>(value);
    }
    return name;
}

} // namespace SystemInfo
