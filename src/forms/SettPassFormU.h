#pragma once

#include <QDialog>

class DocumentHost;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Sets, changes or removes the document's password. On OK it stores the new password in the main
// window itself; the opener only learns whether the user confirmed.
class TSetPassForm : public QDialog
{
    Q_OBJECT

public:
    // A password longer than this, counted in bytes of the file's code page, is refused.
    static constexpr qsizetype MaxPasswordLength = 100;

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

public Q_SLOTS:
    void OkBtnClick();

private:
    void FormCreate();

    DocumentHost& m_host;
};

// The dialog while it is open, as the command that opens it holds it.
inline TSetPassForm* SetPassForm = nullptr;
