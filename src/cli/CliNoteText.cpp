#include "cli/CliNoteText.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "shared/AnsiText.h"

#include <algorithm>
#include <cstring>

namespace CliNoteText {
namespace {

// Control characters that would break or restyle a line of a listing; the tab is harmless.
bool isLineBreaking(char16_t c)
{
    return (c < 0x20 && c != u'\t') || c == 0x7f;
}

// Eight bytes at a time: captions are short, but there are many.
bool hasLineBreaking(QByteArrayView bytes)
{
    constexpr quint64 Ones = 0x0101010101010101u;
    constexpr quint64 Highs = 0x8080808080808080u;
    const auto anyIn = [](QByteArrayView some) {
        return std::any_of(some.begin(), some.end(), [](char c) { return isLineBreaking(quint8(c)); });
    };
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 eight;
        std::memcpy(&eight, bytes.data() + i, 8);
        // Flags every byte below 0x20 or equal to 0x7F, and maybe some next to one: checked one by one.
        const quint64 del = eight ^ (0x7f * Ones);
        if ((((eight - 0x20 * Ones) & ~eight) | ((del - Ones) & ~del)) & Highs && anyIn(bytes.sliced(i, 8)))
            return true;
    }
    return anyIn(bytes.sliced(i));
}

} // namespace

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
        if (isLineBreaking(c.unicode()))
            c = QChar::ReplacementCharacter;
    }
    return result;
}

qsizetype writeListCaption(QByteArrayView caption, char* to)
{
    // Such a character is a byte of its own in the notes' code page too, never a part of another one.
    if (!hasLineBreaking(caption))
        return AnsiText::writeUtf8(caption, to);
    const QByteArray shown = forListLine(caption.toByteArray()).toUtf8();
    std::memcpy(to, shown.constData(), size_t(shown.size()));
    return shown.size();
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
