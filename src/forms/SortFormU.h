#pragma once

#include <QDialog>

class NotesHost;
class QGroupBox;
class QPushButton;
class QRadioButton;

// Asks how to sort the notes once. It is made afresh for every sort, so it always opens with sorting
// by note text, ascending.
class TSortForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSortForm(NotesHost& host);

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* NoteText = nullptr;
    QRadioButton* Priority = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* Ascending = nullptr;
    QRadioButton* Descending = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void FormCreate();

    NotesHost& m_host;
};

// The dialog while it is open, as the command that opens it holds it.
inline TSortForm* SortForm = nullptr;
