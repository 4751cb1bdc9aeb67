#include "forms/EnterPassFormU.h"

#include "document/DocumentMessages.h"
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
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                         Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("EnterPassForm"));
    setWindowTitle(QStringLiteral("输入密码"));
    setWindowIcon(icon);
    setFixedSize(305, 142);

    Pass = new QLineEdit(this);
    Pass->setObjectName(QStringLiteral("Pass"));
    Pass->setEchoMode(QLineEdit::Password);
    // "*" for every character, whatever the style's own mask character is.
    Pass->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));

    Label2 = new QLabel(QStringLiteral("该文件有密码保护，请输入密码。"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(16, 8);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 40, 48, 48);
    const QPixmap picture = QIcon(QStringLiteral(":/icons/password-48.svg")).pixmap(48, 48);
    if (!picture.isNull())
        Image1->setPixmap(picture);

    Label1 = new QLabel(QStringLiteral("密码(&P)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(Pass);
    Label1->move(64, 40);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(13, 97, 276, 2);

    OkBtn = new QPushButton(QStringLiteral("确定(&O)"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setGeometry(134, 112, 75, 25);
    OkBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("取消(&C)"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(214, 112, 75, 25);

    setTabOrder(Pass, OkBtn);
    setTabOrder(OkBtn, CancelBtn);

    connect(OkBtn, &QPushButton::clicked, this, &TEnterPassForm::OkBtnClick);
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
    if (m_opens && m_opens(password())) {
        accept();
        return;
    }
    SharedSrc::ErrorMsg(DocumentMessages::wrongPassword());
}
