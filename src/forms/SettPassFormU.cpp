#include "forms/SettPassFormU.h"

#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "forms/DocumentHost.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Text boxes show "*" for every character, whatever the style's own mask character is.
QLineEdit* passwordBox(QWidget* parent, const char* name, int left, int top, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    edit->setGeometry(left, top, width, qBound(21, edit->sizeHint().height(), 26));
    return edit;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, QWidget* buddy)
{
    auto* result = new QLabel(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setBuddy(buddy);
    result->move(left, top);
    result->adjustSize();
    return result;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(left, top, 75, 25);
    return result;
}

} // namespace

TSetPassForm::TSetPassForm(DocumentHost& host)
    : QDialog(host.hostWindow(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                                     Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("SetPassForm"));
    setWindowTitle(QStringLiteral("设置密码"));
    setFixedSize(273, 198);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 16, 48, 48);
    const QPixmap picture = QIcon(QStringLiteral(":/icons/password-48.svg")).pixmap(48, 48);
    if (!picture.isNull())
        Image1->setPixmap(picture);

    // Created in tab order: the three boxes, then OK and Cancel.
    OldPass = passwordBox(this, "OldPass", 64, 32, 193);
    NewPass = passwordBox(this, "NewPass", 64, 80, 193);
    RePass = passwordBox(this, "RePass", 64, 128, 193);
    Label3 = label(this, "Label3", QStringLiteral("旧密码(&P)"), 64, 16, OldPass);
    Label1 = label(this, "Label1", QStringLiteral("新密码(&N)"), 64, 64, NewPass);
    Label2 = label(this, "Label2", QStringLiteral("再次输入新密码(&R)"), 64, 112, RePass);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(15, 153, 242, 2);

    OkBtn = button(this, "OkBtn", QStringLiteral("确定(&O)"), 102, 168);
    OkBtn->setDefault(true);
    CancelBtn = button(this, "CancelBtn", QStringLiteral("取消(&C)"), 182, 168);

    setTabOrder(OldPass, NewPass);
    setTabOrder(NewPass, RePass);
    setTabOrder(RePass, OkBtn);
    setTabOrder(OkBtn, CancelBtn);

    connect(OkBtn, &QPushButton::clicked, this, &TSetPassForm::OkBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TSetPassForm::FormCreate()
{
    SharedSrc::DebugLog("TSetPassForm.FormCreate");
    if (QWidget* window = m_host.hostWindow())
        setFont(window->font());
    for (QLabel* text : {Label3, Label1, Label2})
        text->adjustSize();
    setWindowIcon(m_host.image(6));
}

void TSetPassForm::OkBtnClick()
{
    SharedSrc::DebugLog("TSetPassForm.OkBtnClick");
    NotesDocument& document = m_host.document();
    const NotesDocument::PasswordChange change = document.changePassword(
        AnsiText::fromUnicode(OldPass->text()), AnsiText::fromUnicode(NewPass->text()),
        AnsiText::fromUnicode(RePass->text()));
    if (change != NotesDocument::PasswordChange::Changed) {
        SharedSrc::ErrorMsg(DocumentMessages::passwordRefused(change));
        return;
    }
    m_host.SetFileInfo(document.fileName());
    accept();
}
