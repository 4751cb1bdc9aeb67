#include "forms/SettPassFormU.h"

#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "forms/DialogParts.h"
#include "forms/DocumentHost.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/MessageBox.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSetPassForm::TSetPassForm(DocumentHost& host)
    : QDialog(host.hostWindow(), DialogParts::FixedDialogFlags), m_host(host)
{
    setObjectName(QStringLiteral("SetPassForm"));
    setWindowTitle(QStringLiteral("设置密码"));
    setFixedSize(273, 198);

    Image1 = DialogParts::picture(this, "Image1", Images::picture("password-48"), QRect(8, 16, 48, 48));

    // Created in tab order: the three boxes, then OK and Cancel.
    OldPass = DialogParts::passwordBox(this, "OldPass");
    NewPass = DialogParts::passwordBox(this, "NewPass");
    RePass = DialogParts::passwordBox(this, "RePass");
    for (QLineEdit* box : {OldPass, NewPass, RePass})
        box->resize(193, qBound(21, box->sizeHint().height(), 26));
    OldPass->move(64, 32);
    NewPass->move(64, 80);
    RePass->move(64, 128);
    Label3 = DialogParts::label(this, "Label3", QStringLiteral("旧密码(&P)"), 64, 16, OldPass);
    Label1 = DialogParts::label(this, "Label1", QStringLiteral("新密码(&N)"), 64, 64, NewPass);
    Label2 = DialogParts::label(this, "Label2", QStringLiteral("再次输入新密码(&R)"), 64, 112, RePass);

    Bevel1 = DialogParts::bevel(this, "Bevel1", QRect(15, 153, 242, 2));

    OkBtn = DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(102, 168, 75, 25));
    OkBtn->setDefault(true);
    CancelBtn = DialogParts::button(this, "CancelBtn", QStringLiteral("取消(&C)"), QRect(182, 168, 75, 25));

    // The choice sits in the free corner left of the buttons, the note under the picture, so that the
    // dialog keeps its layout.
    ProtectionBox = new QComboBox(this);
    ProtectionBox->setObjectName(QStringLiteral("ProtectionBox"));
    ProtectionBox->addItems({QStringLiteral("强保护"), QStringLiteral("经典保护")});
    ProtectionBox->setToolTip(QStringLiteral("保护方式"));
    ProtectionBox->setGeometry(15, 168, 82, 25);
    ClassicNote = new QLabel(QStringLiteral("旧版本也能打开, 但挡不住拿到文件的人。"), this);
    ClassicNote->setObjectName(QStringLiteral("ClassicNote"));
    ClassicNote->setWordWrap(true);
    ClassicNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ClassicNote->setGeometry(8, 72, 52, 78);
    const bool classic = host.document().protection() == Protection::Kind::Classic;
    ProtectionBox->setCurrentIndex(classic ? 1 : 0);
    ClassicNote->setVisible(classic);
    connect(ProtectionBox, &QComboBox::currentIndexChanged, ClassicNote,
            [this](int index) { ClassicNote->setVisible(index == 1); });

    DialogParts::tabOrder({OldPass, NewPass, RePass, ProtectionBox, OkBtn, CancelBtn});

    connect(OkBtn, &QPushButton::clicked, this, Guarded::slot(this, &TSetPassForm::OkBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TSetPassForm::FormCreate()
{
    SharedSrc::DebugLog("TSetPassForm.FormCreate");
    DialogParts::takeFont(this, m_host.hostWindow());
    for (QLabel* text : {Label3, Label1, Label2})
        text->adjustSize();
    // A footnote: smaller than the labels, so that it fits beside the boxes.
    QFont small = ClassicNote->font();
    small.setPixelSize(10);
    ClassicNote->setFont(small);
    setWindowIcon(m_host.image(Images::Password));
}

void TSetPassForm::OkBtnClick()
{
    SharedSrc::DebugLog("TSetPassForm.OkBtnClick");
    NotesDocument& document = m_host.document();
    const Protection::Kind kind =
        ProtectionBox->currentIndex() == 1 ? Protection::Kind::Classic : Protection::Kind::Strong;
    // A strong key takes half a second to derive.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const NotesDocument::PasswordChange change = document.changePassword(
        AnsiText::fromUnicode(OldPass->text()), AnsiText::fromUnicode(NewPass->text()),
        AnsiText::fromUnicode(RePass->text()), kind);
    QGuiApplication::restoreOverrideCursor();
    if (change != NotesDocument::PasswordChange::Changed) {
        SharedSrc::ErrorMsg(DocumentMessages::passwordRefused(change));
        return;
    }
    accept();
}
