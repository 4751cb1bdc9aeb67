#pragma once

#include <QByteArray>
#include <QString>

// Conversions between note bytes (GB18030, CR LF line breaks) and the terminal's text.
namespace CliNoteText {

// A note text typed as an argument: line breaks become CR LF, as notes hold them.
QByteArray fromArgument(const QString& argument);

// The full text for the terminal, with LF line breaks.
QString forTerminal(const QByteArray& text);

// A caption for one line of a listing: control characters that would break or restyle the line are
// shown as U+FFFD.
QString forListLine(const QByteArray& caption);
// The same in UTF-8, written to `to`, which has room for AnsiText::maxUtf8Size(caption.size()) bytes
// (a U+FFFD for every byte at most); gives the number of bytes written.
qsizetype writeListCaption(QByteArrayView caption, char* to);

// The 0-based index that a note number N (counting from 1) names. Throws UsageError when `number` is not
// a decimal number, CliFailure when there is no such note among `count`.
qsizetype noteIndex(const QString& number, qsizetype count);

// Throws UsageError unless `number` is a decimal number, so that a bad call fails before any password is
// asked for.
void checkNoteNumber(const QString& number);

} // namespace CliNoteText
