#include "forms/NoteTextEdit.h"

#include "forms/NoteTextBlocks.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

void NoteTextEdit::setLongLinesWrapped(QPlainTextEdit* box, bool wrapped)
{
    box->setLineWrapMode(wrapped ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(wrapped ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn);
}

// The text box's own line break takes the format of the block it splits, and with it whether the block
// goes on with the line before.
void NoteTextEdit::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::InsertParagraphSeparator && !isReadOnly()) {
        QTextCursor cursor = textCursor();
        NoteTextBlocks::insertLineBreak(cursor);
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NoteTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source || !source->hasText())
        return;
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    NoteTextBlocks::insert(cursor, QStringView(source->text()));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
}

QMimeData* NoteTextEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto* mime = new QMimeData;
    mime->setText(NoteTextBlocks::text(*document(), cursor.selectionStart(), cursor.selectionEnd(), u"\n"));
    return mime;
}
