#pragma once

#include "document/NotesDocument.h"

#include <QByteArray>
#include <QDialog>

#include <functional>

class QFont;
class QFrame;
class QIcon;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the password of a protected notes file. OK closes it only for a password that opens the file;
// any other is refused with a message, as often as the user tries.
class TEnterPassForm : public QDialog
{
    Q_OBJECT

public:
    TEnterPassForm(QWidget* owner, const QFont& font, const QIcon& icon);

    // Tells what a password does; the opener sets it before showing the dialog.
    void setPasswordTest(NotesDocument::PasswordTest test) { m_test = std::move(test); }

    // What Pass starts with, and what it holds after OK, in the file's code page.
    void setPassword(const QByteArray& password);
    QByteArray password() const;

    // The dialog opens centred over its owner; this places it at the centre of the owner's screen
    // instead, for a file opened from the command line before the window is shown.
    void centerOnScreen();

    QLabel* Label2 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Pass = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

public Q_SLOTS:
    void OkBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const QFont& font);
    void moveToScreenCenter();

    NotesDocument::PasswordTest m_test;
    bool m_centerOnScreen = false;
};
