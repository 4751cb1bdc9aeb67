#include "cli/CliNoteText.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "shared/AnsiText.h"

#include <algorithm>

namespace CliNoteText {

QByteArray fromArgument(const QString& argument)
{
    QString text = argument;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    return AnsiText::fromUnicode(text);
}

QString forTerminal(const QByteArray& text)
{
    QString result = AnsiText::toUnicode(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

QString forListLine(const QByteArray& caption)
{
    QString result = AnsiText::toUnicode(caption);
    for (QChar& c : result) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f)
            c = QChar::ReplacementCharacter;
    }
    return result;
}

void checkNoteNumber(const QString& number)
{
    const bool digits = !number.isEmpty() && std::all_of(number.cbegin(), number.cend(),
                                                         [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits)
        throw UsageError(QStringLiteral("记事本序号必须是数字: ") + number);
}

qsizetype noteIndex(const QString& number, qsizetype count)
{
    checkNoteNumber(number);
    bool ok = false;
    const qlonglong value = number.toLongLong(&ok);
    if (!ok || value < 1 || value > count)
        throw CliFailure(CliMessages::noSuchNote(number));
    return qsizetype(value - 1);
}

} // namespace CliNoteText
