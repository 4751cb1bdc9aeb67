#include "forms/FindFormU.h"

#include "document/NotesDocument.h"
#include "document/NotesFinder.h"
#include "forms/DialogParts.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/MessageBox.h"
#include "forms/NotesHost.h"
#include "shared/DebugLog.h"

#include <QCheckBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFindForm::TFindForm(NotesHost& host)
    : QDialog(host.hostWindow(), DialogParts::FixedDialogFlags), m_host(host)
{
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QStringLiteral("查找"));
    setFixedSize(282, 117);

    Image1 = DialogParts::picture(this, "Image1", Images::picture("find-48"), QRect(9, 20, 48, 48));

    // Created in tab order: the text, the case box, then the buttons.
    FindText = new QLineEdit(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setGeometry(62, 27, 209, qBound(21, FindText->sizeHint().height(), 26));

    Label1 = DialogParts::label(this, "Label1", QStringLiteral("查找内容(&N)"), 62, 11, FindText);

    MatchCase = new QCheckBox(QStringLiteral("匹配大小写(&M)"), this);
    MatchCase->setObjectName(QStringLiteral("MatchCase"));
    MatchCase->setGeometry(62, 56, qMax(97, MatchCase->sizeHint().width()),
                           qMax(17, MatchCase->sizeHint().height()));

    Bevel1 = DialogParts::bevel(this, "Bevel1", QRect(8, 78, 265, 2));

    FindBtn = DialogParts::button(this, "FindBtn", QStringLiteral("查找(&F)"), QRect(119, 88, 75, 25));
    FindBtn->setDefault(true);
    CloseBtn = DialogParts::button(this, "CloseBtn", QStringLiteral("关闭(&C)"), QRect(198, 88, 75, 25));

    DialogParts::tabOrder({FindText, MatchCase, FindBtn, CloseBtn});

    connect(FindBtn, &QPushButton::clicked, this, Guarded::slot(this, &TFindForm::FindBtnClick));
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TFindForm::FormCreate()
{
    SharedSrc::DebugLog("TFindForm.FormCreate");
    DialogParts::takeFont(this, m_host.hostWindow());
    setWindowIcon(m_host.image(Images::Find));
    LastFoundIndex = -1;
}

void TFindForm::FindBtnClick()
{
    SharedSrc::DebugLog("TFindForm.FindBtnClick");
    NotesFinder finder(FindText->text(), MatchCase->isChecked());
    const QList<Note>& notes = m_host.document().notes();
    // Only the notes the list shows: a filter leaves the others out of reach.
    int found = finder.findNext(notes, LastFoundIndex + 1);
    while (found >= 0 && !m_host.isShown(found))
        found = finder.findNext(notes, found + 1);
    if (found < 0) {
        MessageBox::show(this, QMessageBox::Information, QStringLiteral("信息"),
                         QStringLiteral("未找到文本。"), QMessageBox::Ok);
        return;
    }
    SelectNoteItem(found);
    FindBtn->setText(QStringLiteral("查找下一个"));
}

void TFindForm::SelectNoteItem(int Index)
{
    SharedSrc::DebugLog("TFindForm.SelectNoteItem");
    m_host.selectRow(Index);
    LastFoundIndex = Index;
}
