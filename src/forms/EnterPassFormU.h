#pragma once

#include <QByteArray>
#include <QDialog>

class QFont;
class QFrame;
class QIcon;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the password of a protected notes file. OK closes it only for a password whose check
// gives back the magic value; any other is refused with a message, as often as the user tries.
class TEnterPassForm : public QDialog
{
    Q_OBJECT

public:
    TEnterPassForm(QWidget* owner, const QFont& font, const QIcon& icon);

    // The check value of the file's password block.
    void setStoredCheck(const QByteArray& check);
    QByteArray StoredCheck() const { return m_storedCheck; }

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

    QByteArray m_storedCheck;
    bool m_centerOnScreen = false;
};
