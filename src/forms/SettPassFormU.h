#pragma once

#include <QDialog>

class DocumentHost;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Sets, changes or removes the document's password, with strong or classic protection. On OK it has changed
// the document's password itself; the opener only learns whether the user confirmed.
class TSetPassForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSetPassForm(DocumentHost& host);

    QLabel* Image1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* OldPass = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* NewPass = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* RePass = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // Strong (index 0) or classic (1): the file's own for a protected document, strong for a new password.
    QComboBox* ProtectionBox = nullptr;
    // Shown while classic is chosen: what it does not do.
    QLabel* ClassicNote = nullptr;

public Q_SLOTS:
    void OkBtnClick();

private:
    void FormCreate();

    DocumentHost& m_host;
};

// The dialog while it is open, as the command that opens it holds it.
inline TSetPassForm* SetPassForm = nullptr;
