#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>

class QTextBlock;
class QTextCursor;
class QTextDocument;

// A note's text in a text box's document, one block per line. A text box lays out and draws a block as a
// whole, and a line of megabytes takes it seconds and tens of bytes per character every time, so a long
// line goes into blocks of PieceLength characters at most, each after the first marked as going on with
// the line before it: shown as lines of their own, the note's text keeps them as one.
namespace NoteTextBlocks {

inline constexpr qsizetype PieceLength = 1024;

// Told how far the work is, out of `total`, now and then.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Whether `block` goes on with the line of the block before it.
bool continuesLine(const QTextBlock& block);

// Inserts `text` at the cursor. CR LF, a lone CR and a lone LF each end a line.
void insert(QTextCursor& cursor, QStringView text, const Progress& progress = {});
// The same with note bytes (GB18030), decoded a piece at a time.
void insert(QTextCursor& cursor, QByteArrayView text, const Progress& progress = {});
// A line break where the cursor is: the new block begins a line.
void insertLineBreak(QTextCursor& cursor);

// The text, lines ended by CR LF: where a block does not go on with the one before, and at a line separator
// within a block (Shift+Return).
QString text(const QTextDocument& document);
// The text between two positions, lines ended by `lineBreak`.
QString text(const QTextDocument& document, int from, int to, QStringView lineBreak);
// The same as note bytes, made a block at a time.
QByteArray noteBytes(const QTextDocument& document, const Progress& progress = {});

} // namespace NoteTextBlocks
