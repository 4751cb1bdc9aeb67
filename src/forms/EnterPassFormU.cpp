#include "forms/EnterPassFormU.h"

#include "document/DocumentMessages.h"
#include "forms/DialogParts.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/MessageBox.h"
#include "platform/Desktop.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TEnterPassForm::TEnterPassForm(QWidget* owner, const QFont& font, const QIcon& icon)
    : QDialog(owner, DialogParts::FixedDialogFlags)
{
    setObjectName(QStringLiteral("EnterPassForm"));
    setWindowTitle(QStringLiteral("输入密码"));
    setWindowIcon(icon);
    setFixedSize(305, 142);

    Pass = DialogParts::passwordBox(this, "Pass");

    Label2 = DialogParts::label(this, "Label2", QStringLiteral("该文件有密码保护，请输入密码。"), 16, 8);

    Image1 = DialogParts::picture(this, "Image1", Images::picture("password-48"), QRect(8, 40, 48, 48));

    Label1 = DialogParts::label(this, "Label1", QStringLiteral("密码(&P)"), 64, 40, Pass);

    Bevel1 = DialogParts::bevel(this, "Bevel1", QRect(13, 97, 276, 2));

    OkBtn = DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(134, 112, 75, 25));
    OkBtn->setDefault(true);
    CancelBtn = DialogParts::button(this, "CancelBtn", QStringLiteral("取消(&C)"), QRect(214, 112, 75, 25));

    DialogParts::tabOrder({Pass, OkBtn, CancelBtn});

    connect(OkBtn, &QPushButton::clicked, this, Guarded::slot(this, &TEnterPassForm::OkBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate(font);
}

void TEnterPassForm::FormCreate(const QFont& font)
{
    SharedSrc::DebugLog("TEnterPassForm.FormCreate");
    setFont(font);
    Label2->adjustSize();
    Label1->adjustSize();
    Pass->setGeometry(64, 56, 225, qBound(21, Pass->sizeHint().height(), 26));
}

void TEnterPassForm::setPassword(const QByteArray& password)
{
    Pass->setText(AnsiText::toUnicode(password));
}

QByteArray TEnterPassForm::password() const
{
    return AnsiText::fromUnicode(Pass->text());
}

void TEnterPassForm::centerOnScreen()
{
    m_centerOnScreen = true;
    moveToScreenCenter();
}

void TEnterPassForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The window frame is known only once the window exists; centre again with it.
    if (m_centerOnScreen)
        moveToScreenCenter();
}

void TEnterPassForm::moveToScreenCenter()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen || !Desktop::placesWindows())
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void TEnterPassForm::OkBtnClick()
{
    SharedSrc::DebugLog("TEnterPassForm.OkBtnClick");
    // A strong file's key takes half a second to derive.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const NotesDocument::PasswordFit fit = m_test ? m_test(password()) : NotesDocument::PasswordFit::Wrong;
    QGuiApplication::restoreOverrideCursor();
    if (fit == NotesDocument::PasswordFit::Opens) {
        accept();
        return;
    }
    SharedSrc::ErrorMsg(fit == NotesDocument::PasswordFit::WrongOrDamaged
                            ? DocumentMessages::wrongPasswordOrDamaged()
                            : DocumentMessages::wrongPassword());
    // Typing the right one then replaces the wrong one instead of joining it.
    Pass->selectAll();
    Pass->setFocus();
}
