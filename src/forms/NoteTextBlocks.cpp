#include "forms/NoteTextBlocks.h"

#include "shared/AnsiText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int ContinuesLine = QTextFormat::UserProperty;
// Note bytes are decoded and inserted this much at a time; progress is told as often.
constexpr qsizetype StepBytes = 1024 * 1024;

QTextBlockFormat lineFormat(bool continues)
{
    QTextBlockFormat format;
    if (continues)
        format.setProperty(ContinuesLine, true);
    return format;
}

// Where the insertion stands between pieces of text: the first piece goes into the cursor's block, each
// later one into a block of its own, which goes on with the line before unless that line ended.
struct Insertion
{
    QTextCursor& cursor;
    bool first = true;
    bool continuing = false;
    bool lineEnded = false;

    void piece(QStringView text)
    {
        if (!first)
            cursor.insertBlock(lineFormat(continuing));
        first = false;
        cursor.insertText(text.toString());
    }

    // A line, or a part of one when `ends` is false, in blocks of PieceLength characters at most.
    void line(QStringView text, bool ends)
    {
        do {
            qsizetype take = std::min(text.size(), NoteTextBlocks::PieceLength);
            // A character outside the basic plane stays whole.
            if (take < text.size() && text.at(take - 1).isHighSurrogate())
                --take;
            piece(text.first(take));
            text = text.sliced(take);
            continuing = true;
        } while (!text.isEmpty());
        continuing = !ends;
        lineEnded = ends;
    }

    void text(QStringView text)
    {
        qsizetype from = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c != u'\r' && c != u'\n')
                continue;
            line(text.sliced(from, i - from), true);
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            from = i + 1;
        }
        if (from < text.size())
            line(text.sliced(from), false);
    }

    // A text that ends with a line break ends with an empty line, as a text box shows it.
    void finish()
    {
        if (lineEnded)
            piece({});
    }
};

// The end of the last whole character at or before `limit`, walking GB18030 from `from`, which is a
// character's start: one byte below 0x80, four where the second byte is a digit, two otherwise.
qsizetype characterEnd(QByteArrayView bytes, qsizetype from, qsizetype limit)
{
    qsizetype end = from;
    for (qsizetype i = from; i < limit;) {
        const auto byte = uchar(bytes.at(i));
        qsizetype length = 1;
        if (byte >= 0x80 && i + 1 < bytes.size())
            length = uchar(bytes.at(i + 1)) >= 0x30 && uchar(bytes.at(i + 1)) <= 0x39 ? 4 : 2;
        i += length;
        if (i <= limit)
            end = i;
    }
    return end > from ? end : limit;
}

} // namespace

namespace NoteTextBlocks {

bool continuesLine(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(ContinuesLine);
}

void insert(QTextCursor& cursor, QStringView text, const Progress& progress)
{
    Insertion insertion{cursor};
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = std::min(text.size(), at + StepBytes);
        // A CR LF stays one line break, a surrogate pair one character.
        if (end < text.size() &&
            ((text.at(end - 1) == u'\r' && text.at(end) == u'\n') || text.at(end - 1).isHighSurrogate()))
            ++end;
        insertion.text(text.sliced(at, end - at));
        at = end;
        if (progress)
            progress(at, text.size());
    }
    insertion.finish();
}

void insert(QTextCursor& cursor, QByteArrayView text, const Progress& progress)
{
    Insertion insertion{cursor};
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = std::min(text.size(), at + StepBytes);
        if (end < text.size()) {
            // LF is never part of a longer GB18030 character: a cut after one is always clean.
            const qsizetype lineFeed = text.first(end).lastIndexOf('\n');
            if (lineFeed >= at)
                end = lineFeed + 1;
            else {
                end = characterEnd(text, at, end);
                if (text.at(end - 1) == '\r' && end < text.size() && text.at(end) == '\n')
                    ++end;
            }
        }
        insertion.text(AnsiText::toUnicode(text.sliced(at, end - at)));
        at = end;
        if (progress)
            progress(at, text.size());
    }
    insertion.finish();
}

void insertLineBreak(QTextCursor& cursor)
{
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertBlock(lineFormat(false));
    cursor.endEditBlock();
}

namespace {

// The text between two positions of the document, lines ended by `lineBreak`, given to `add` a block at a
// time.
template <typename Add>
void joinBlocks(const QTextDocument& document, int from, int to, QStringView lineBreak, const Add& add)
{
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        if (block.position() > from && !continuesLine(block))
            add(lineBreak);
        const int start = std::max(from - block.position(), 0);
        const int end = std::min(to - block.position(), block.length() - 1);
        QString line = block.text().mid(start, end - start);
        line.replace(QChar::LineSeparator, lineBreak.toString());
        add(QStringView(line));
    }
}

int endOf(const QTextDocument& document)
{
    return document.characterCount() - 1;
}

} // namespace

QString text(const QTextDocument& document)
{
    return text(document, 0, endOf(document), u"\r\n");
}

QString text(const QTextDocument& document, int from, int to, QStringView lineBreak)
{
    QString out;
    joinBlocks(document, from, to, lineBreak, [&out](QStringView part) { out += part; });
    return out;
}

QByteArray noteBytes(const QTextDocument& document, const Progress& progress)
{
    QByteArray out;
    const qint64 total = endOf(document);
    qint64 done = 0;
    qint64 told = 0;
    joinBlocks(document, 0, endOf(document), u"\r\n", [&](QStringView part) {
        out += AnsiText::fromUnicode(part);
        done += part.size();
        if (progress && done - told >= StepBytes) {
            told = done;
            progress(done, total);
        }
    });
    return out;
}

} // namespace NoteTextBlocks
