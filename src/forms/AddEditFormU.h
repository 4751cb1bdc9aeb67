#pragma once

#include "forms/NoteTextEdit.h"

#include <QDialog>

class NotesHost;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

// Writes a new note or changes one. On OK the dialog itself inserts or rewrites the row in the main
// window's list; the opener only learns whether the user confirmed.
class TAddEditForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAddEditForm(NotesHost& host);

    // Both show the dialog modally and return QDialog::Accepted (OK) or QDialog::Rejected (Cancel).
    // `index` is where a new note goes (0..rows), or the row to change.
    int AddExecute(int index);
    int EditExecute(int index);

    int TargetIndex = 0;

    QLabel* Label1 = nullptr;
    QFrame* Panel1 = nullptr;
    NoteTextEdit* NoteText = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* NotePriority = nullptr;
    QCheckBox* NoteDone = nullptr;
    QPushButton* OpenBtn = nullptr;
    QPushButton* SaveBtn = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    QMenu* NoteTextMenu = nullptr;
    QAction* NoteTextUndo = nullptr;
    QAction* NoteTextCut = nullptr;
    QAction* NoteTextCopy = nullptr;
    QAction* NoteTextPaste = nullptr;
    QAction* NoteTextDelete = nullptr;
    QAction* NoteTextSelectAll = nullptr;

    // The text box's content as note bytes: GB18030 with CR LF line breaks; progress shows where it takes
    // long.
    QByteArray noteTextBytes() const;
    void setNoteTextBytes(const QByteArray& text);
    // The same text before it becomes bytes, for a text file.
    QString noteTextWithCrLf() const;

public Q_SLOTS:
    void OkBtnClick();
    void OpenBtnClick();
    void SaveBtnClick();
    void NoteTextMenuPopup();
    void NoteTextUndoClick();
    void NoteTextCutClick();
    void NoteTextCopyClick();
    void NoteTextPasteClick();
    void NoteTextDeleteClick();
    void NoteTextSelectAllClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool NoteTextKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void createNoteTextMenu();

    NotesHost& m_host;
    QByteArray m_shownText;     // the note's bytes as the text box was given them
    bool m_textChanged = false; // since then
};

// The dialog while it is open, as the command that opens it holds it.
inline TAddEditForm* AddEditForm = nullptr;
