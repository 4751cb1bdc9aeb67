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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
};
