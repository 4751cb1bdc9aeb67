#include "forms/FindFormU.h"

#include "document/NotesDocument.h"
#include "document/NotesFinder.h"
#include "forms/MessageBox.h"
#include "forms/NotesHost.h"
#include "shared/DebugLog.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString PictureFile = QStringLiteral(":/icons/find-48.svg");

QPushButton* button(QWidget* parent, const char* name, const QString& text, int left)
{
    auto* result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(left, 88, 75, 25);
    return result;
}

} // namespace

TFindForm::TFindForm(NotesHost& host)
    : QDialog(host.hostWindow(), Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                                     Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host)
{
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QStringLiteral("查找"));
    setFixedSize(282, 117);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(9, 20, 48, 48);
    // The picture comes with the program's resources; a build without them shows none.
    if (QFile::exists(PictureFile))
        Image1->setPixmap(QIcon(PictureFile).pixmap(48, 48));

    // Created in tab order: the text, the case box, then the buttons.
    FindText = new QLineEdit(this);
    FindText->setObjectName(QStringLiteral("FindText"));
    FindText->setGeometry(62, 27, 209, qBound(21, FindText->sizeHint().height(), 26));

    Label1 = new QLabel(QStringLiteral("查找内容(&F)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(FindText);
    Label1->move(62, 11);
    Label1->adjustSize();

    MatchCase = new QCheckBox(QStringLiteral("匹配大小写(&M)"), this);
    MatchCase->setObjectName(QStringLiteral("MatchCase"));
    MatchCase->setGeometry(62, 56, qMax(97, MatchCase->sizeHint().width()),
                           qMax(17, MatchCase->sizeHint().height()));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 78, 265, 2);

    FindBtn = button(this, "FindBtn", QStringLiteral("查找(&F)"), 119);
    FindBtn->setDefault(true);
    CloseBtn = button(this, "CloseBtn", QStringLiteral("关闭(&C)"), 198);

    setTabOrder(FindText, MatchCase);
    setTabOrder(MatchCase, FindBtn);
    setTabOrder(FindBtn, CloseBtn);

    connect(FindBtn, &QPushButton::clicked, this, &TFindForm::FindBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TFindForm::FormCreate()
{
    SharedSrc::DebugLog("TFindForm.FormCreate");
    if (QWidget* window = m_host.hostWindow())
        setFont(window->font());
    setWindowIcon(m_host.image(22));
    LastFoundIndex = -1;
}

void TFindForm::FindBtnClick()
{
    SharedSrc::DebugLog("TFindForm.FindBtnClick");
    NotesFinder finder(FindText->text(), MatchCase->isChecked());
    const int found = finder.findNext(m_host.document().notes(), LastFoundIndex + 1);
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
