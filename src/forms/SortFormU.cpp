#include "forms/SortFormU.h"

#include "forms/DialogParts.h"
#include "forms/Images.h"
#include "forms/NotesHost.h"
#include "shared/DebugLog.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

QGroupBox* group(QWidget* parent, const char* name, const QString& title, const QRect& geometry)
{
    auto* result = new QGroupBox(title, parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(geometry);
    return result;
}

QRadioButton* radio(QGroupBox* parent, const char* name, const QString& text, int top, bool checked)
{
    auto* result = new QRadioButton(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setChecked(checked);
    result->setGeometry(16, top, parent->width() - 28, 17);
    return result;
}

} // namespace

TSortForm::TSortForm(NotesHost& host)
    : QDialog(host.hostWindow(), DialogParts::FixedDialogFlags), m_host(host)
{
    setObjectName(QStringLiteral("SortForm"));
    setWindowTitle(QStringLiteral("排列"));
    setFixedSize(202, 206);

    // The radio buttons of each group box exclude each other, as they share their parent.
    GroupBox1 = group(this, "GroupBox1", QStringLiteral(" 排列 "), QRect(12, 11, 177, 73));
    NoteText = radio(GroupBox1, "NoteText", QStringLiteral("按记事本文本(&N)"), 22, true);
    Priority = radio(GroupBox1, "Priority", QStringLiteral("按优先级(&P)"), 45, false);
    GroupBox2 = group(this, "GroupBox2", QStringLiteral(" 排列类型 "), QRect(12, 94, 177, 73));
    Ascending = radio(GroupBox2, "Ascending", QStringLiteral("向上(&A)"), 22, true);
    Descending = radio(GroupBox2, "Descending", QStringLiteral("向下(&D)"), 45, false);

    OkBtn = DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(12, 176, 85, 25));
    OkBtn->setDefault(true);
    CancelBtn = DialogParts::button(this, "CancelBtn", QStringLiteral("取消(&C)"), QRect(104, 176, 84, 25));

    DialogParts::tabOrder({NoteText, Priority, Ascending, Descending, OkBtn, CancelBtn});

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TSortForm::FormCreate()
{
    SharedSrc::DebugLog("TSortForm.FormCreate");
    DialogParts::takeFont(this, m_host.hostWindow());
    setWindowIcon(m_host.image(Images::Sort));
}
