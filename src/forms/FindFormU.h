#pragma once

#include <QDialog>

class NotesHost;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Steps forward through the notes that contain a piece of text, selecting each in the main window's
// list. Every new dialog starts at the first row; the search never wraps around.
class TFindForm : public QDialog
{
    Q_OBJECT

public:
    explicit TFindForm(NotesHost& host);

    // The row found last; -1 until the first hit. The next search starts below it.
    int LastFoundIndex = -1;

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* FindText = nullptr;
    QCheckBox* MatchCase = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* FindBtn = nullptr;
    QPushButton* CloseBtn = nullptr;

    void SelectNoteItem(int Index);

public Q_SLOTS:
    void FindBtnClick();

private:
    void FormCreate();

    NotesHost& m_host;
};

// The dialog while it is open, as the command that opens it holds it.
inline TFindForm* FindForm = nullptr;
