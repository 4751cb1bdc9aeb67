#pragma once

#include <QPlainTextEdit>

// The text box of a note (NoteTextBlocks): line breaks typed, pasted or dropped begin a line of their own,
// never one that goes on with the line before, and what is copied or dragged has the note's line breaks
// only.
class NoteTextEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    using QPlainTextEdit::QPlainTextEdit;

    // Long lines of `box` wrapped at its width, or kept whole beside a horizontal scroll bar. Only the
    // view changes: the text has the same lines either way.
    static void setLongLinesWrapped(QPlainTextEdit* box, bool wrapped);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
};
