#include "forms/AddEditFormU.h"

#include "document/NotesDocument.h"
#include "document/QltFile.h"
#include "forms/DialogParts.h"
#include "forms/FileDialog.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/MessageBox.h"
#include "forms/NoteTextBlocks.h"
#include "forms/NoteTextEdit.h"
#include "forms/NotesHost.h"
#include "forms/WindowTitle.h"
#include "forms/WorkProgress.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"
#include "shared/NoteFields.h"
#include "shared/TextFile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString AddCaption = QStringLiteral("添加新记事本");

QAction* menuItem(QMenu* menu, const char* name, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TAddEditForm::TAddEditForm(NotesHost& host)
    : QDialog(host.hostWindow(), DialogParts::FixedDialogFlags), m_host(host)
{
    setObjectName(QStringLiteral("AddEditForm"));
    setFixedSize(389, 311);

    Label1 = new QLabel(QStringLiteral("文本(&T)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(16, 14);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(16, 32, 359, 177);

    // Created in tab order: the text box, the group box's priority and done mark, then the buttons.
    NoteText = new NoteTextEdit(Panel1);
    NoteText->setObjectName(QStringLiteral("NoteText"));
    NoteText->setFrameShape(QFrame::NoFrame);
    NoteText->setGeometry(Panel1->contentsRect());
    NoteText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    NoteText->setTabChangesFocus(true);
    NoteText->setContextMenuPolicy(Qt::CustomContextMenu);
    NoteText->installEventFilter(this);
    Label1->setBuddy(NoteText);
    Label1->adjustSize();

    GroupBox1 = new QGroupBox(QStringLiteral(" 选项 "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 216, 359, 57);

    NotePriority = new QComboBox(GroupBox1);
    NotePriority->setObjectName(QStringLiteral("NotePriority"));
    for (quint16 i = 0; i < SharedSrc::PriorityCount; ++i)
        NotePriority->addItem(AnsiText::toUnicode(SharedSrc::GetPriorityByIndex(i)));
    NotePriority->setCurrentIndex(0);
    NotePriority->setGeometry(80, 22, 125, qBound(21, NotePriority->sizeHint().height(), 26));

    Label2 = new QLabel(QStringLiteral("优先级(&P)"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(NotePriority);
    Label2->adjustSize();
    Label2->move(12, 22 + (NotePriority->height() - Label2->height()) / 2);

    NoteDone = new QCheckBox(QStringLiteral("完成"), GroupBox1);
    NoteDone->setObjectName(QStringLiteral("NoteDone"));
    NoteDone->adjustSize();
    NoteDone->move(GroupBox1->width() - 16 - NoteDone->width(),
                   22 + (NotePriority->height() - NoteDone->height()) / 2);

    OpenBtn = DialogParts::button(this, "OpenBtn", QString(), QRect(16, 280, 25, 25));
    OpenBtn->setIcon(m_host.image(Images::Open));
    OpenBtn->setToolTip(QStringLiteral("从文件打开"));
    SaveBtn = DialogParts::button(this, "SaveBtn", QString(), QRect(46, 280, 25, 25));
    SaveBtn->setIcon(m_host.image(Images::Save));
    SaveBtn->setToolTip(QStringLiteral("保存到文件"));
    OkBtn = DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(219, 280, 75, 25));
    OkBtn->setDefault(true);
    CancelBtn = DialogParts::button(this, "CancelBtn", QStringLiteral("取消(&C)"), QRect(299, 280, 75, 25));

    DialogParts::tabOrder({NoteText, NotePriority, NoteDone, OpenBtn, SaveBtn, OkBtn, CancelBtn});

    createNoteTextMenu();

    connect(NoteText, &QPlainTextEdit::textChanged, this, [this] { m_textChanged = true; });
    connect(OkBtn, &QPushButton::clicked, this, Guarded::slot(this, &TAddEditForm::OkBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(OpenBtn, &QPushButton::clicked, this, Guarded::slot(this, &TAddEditForm::OpenBtnClick));
    connect(SaveBtn, &QPushButton::clicked, this, Guarded::slot(this, &TAddEditForm::SaveBtnClick));

    FormCreate();
}

void TAddEditForm::createNoteTextMenu()
{
    NoteTextMenu = new QMenu(this);
    NoteTextMenu->setObjectName(QStringLiteral("NoteTextMenu"));
    NoteTextUndo = menuItem(NoteTextMenu, "NoteTextUndo", QStringLiteral("撤销(&U)"));
    NoteTextMenu->addSeparator();
    NoteTextCut = menuItem(NoteTextMenu, "NoteTextCut", QStringLiteral("剪切(&T)"));
    NoteTextCopy = menuItem(NoteTextMenu, "NoteTextCopy", QStringLiteral("复制(&C)"));
    NoteTextPaste = menuItem(NoteTextMenu, "NoteTextPaste", QStringLiteral("粘贴(&P)"));
    NoteTextDelete = menuItem(NoteTextMenu, "NoteTextDelete", QStringLiteral("删除(&D)"));
    NoteTextMenu->addSeparator();
    NoteTextSelectAll = menuItem(NoteTextMenu, "NoteTextSelectAll", QStringLiteral("全选(&A)"));

    connect(NoteTextMenu, &QMenu::aboutToShow, this, Guarded::slot(this, &TAddEditForm::NoteTextMenuPopup));
    connect(NoteTextUndo, &QAction::triggered, this, Guarded::slot(this, &TAddEditForm::NoteTextUndoClick));
    connect(NoteTextCut, &QAction::triggered, this, Guarded::slot(this, &TAddEditForm::NoteTextCutClick));
    connect(NoteTextCopy, &QAction::triggered, this, Guarded::slot(this, &TAddEditForm::NoteTextCopyClick));
    connect(NoteTextPaste, &QAction::triggered, this, Guarded::slot(this, &TAddEditForm::NoteTextPasteClick));
    connect(NoteTextDelete, &QAction::triggered, this,
            Guarded::slot(this, &TAddEditForm::NoteTextDeleteClick));
    connect(NoteTextSelectAll, &QAction::triggered, this,
            Guarded::slot(this, &TAddEditForm::NoteTextSelectAllClick));
    // The scroll area reports the position in its viewport's coordinates.
    connect(NoteText, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        Guarded::run([&] { NoteTextMenu->exec(NoteText->viewport()->mapToGlobal(pos)); });
    });
}

void TAddEditForm::FormCreate()
{
    SharedSrc::DebugLog("TAddEditForm.FormCreate");
    DialogParts::takeFont(this, m_host.hostWindow());
    // A copy of the whole font: what it leaves unset must not come from the dialog's own font.
    QFont font = m_host.AddEditFont();
    font.setResolveMask(QFont::AllPropertiesResolved);
    NoteText->setFont(font);
    QPalette palette = NoteText->palette();
    palette.setColor(QPalette::Base, m_host.AddEditColor());
    if (const QColor text = m_host.AddEditTextColor(); text.isValid())
        palette.setColor(QPalette::Text, text);
    NoteText->setPalette(palette);
    NoteTextEdit::setLongLinesWrapped(NoteText, m_host.wrapsLongLines());
}

int TAddEditForm::AddExecute(int index)
{
    SharedSrc::DebugLog("TAddEditForm.AddExecute");
    setWindowIcon(m_host.image(Images::Add));
    setWindowTitle(AddCaption);
    setNoteTextBytes({});
    NotePriority->setCurrentIndex(SharedSrc::DefaultPriority);
    NoteDone->setChecked(false);
    TargetIndex = index;
    return exec();
}

int TAddEditForm::EditExecute(int index)
{
    SharedSrc::DebugLog("TAddEditForm.EditExecute");
    const NotesModel& model = m_host.document().model();
    if (index < 0 || index >= model.rowCount())
        return QDialog::Rejected;
    const Note& note = model.note(index);
    setWindowIcon(m_host.image(Images::Edit));
    setWindowTitle(QStringLiteral("编辑记事本 [") +
                   WindowTitle::literal(AnsiText::toUnicode(SharedSrc::shownCaption(note.text))) +
                   QLatin1Char(']'));
    setNoteTextBytes(note.text);
    NotePriority->setCurrentIndex(SharedSrc::GetPriorityByText(note.priority));
    NoteDone->setChecked(note.isDone());
    TargetIndex = index;
    return exec();
}

// QTextDocument::toPlainText() is not used: it turns no-break spaces into spaces.
QByteArray TAddEditForm::noteTextBytes() const
{
    WorkProgress progress(NoteText);
    return NoteTextBlocks::noteBytes(*NoteText->document(), progress.callback());
}

QString TAddEditForm::noteTextWithCrLf() const
{
    return NoteTextBlocks::text(*NoteText->document());
}

// CR LF, a lone CR and a lone LF each start a new line of the text box. Not a step that undo takes back.
void TAddEditForm::setNoteTextBytes(const QByteArray& text)
{
    QTextDocument* document = NoteText->document();
    document->setUndoRedoEnabled(false);
    document->clear();
    {
        WorkProgress progress(this);
        QTextCursor cursor(document);
        cursor.beginEditBlock();
        NoteTextBlocks::insert(cursor, QByteArrayView(text), progress.callback());
        cursor.endEditBlock();
    }
    document->setUndoRedoEnabled(true);
    NoteText->moveCursor(QTextCursor::Start);
    m_shownText = text;
    m_textChanged = false;
}

void TAddEditForm::OkBtnClick()
{
    SharedSrc::DebugLog("TAddEditForm.OkBtnClick");
    NotesDocument& document = m_host.document();
    Note note;
    // Unchanged, a note whose lines already end in CR LF keeps its own bytes, also those no character
    // stands for, and nothing is made anew.
    const qsizetype crLfs = m_shownText.count("\r\n");
    const bool asTyped = m_shownText.count('\r') == crLfs && m_shownText.count('\n') == crLfs;
    note.text = m_textChanged || !asTyped ? noteTextBytes() : m_shownText;
    SharedSrc::ExtractCaption(note.text); // not stored: the list shows it from the text
    note.priority = SharedSrc::GetPriorityByIndex(quint16(NotePriority->currentIndex()));
    note.imageIndex = NoteDone->isChecked() ? Note::ImageDone : Note::ImageNotDone;

    if (windowTitle() == AddCaption) {
        const int row = qBound(0, TargetIndex, document.model().rowCount());
        document.insertNote(row, std::move(note));
        m_host.selectRow(row);
    } else {
        if (TargetIndex >= 0 && TargetIndex < document.model().rowCount())
            document.setNote(TargetIndex, std::move(note));
        QTableView* list = m_host.notesList();
        const QModelIndexList selected =
            list && list->selectionModel() ? list->selectionModel()->selectedRows() : QModelIndexList();
        if (!selected.isEmpty()) {
            m_host.NotesListSelectItem(m_host.selectedRow(), true);
            list->scrollTo(selected.constFirst(), QAbstractItemView::EnsureVisible);
        }
    }
    accept();
}

void TAddEditForm::OpenBtnClick()
{
    SharedSrc::DebugLog("TAddEditForm.OpenBtnClick");
    const FileDialog::Result chosen = FileDialog::getOpenFileName(this, QStringLiteral("选择要打开的文件..."),
                                                                  {QStringLiteral("所有文件 (*)")});
    if (!chosen.accepted)
        return;
    const QltFile::ReadResult file = QltFile::readAll(chosen.path);
    if (file.status != QltFile::ReadStatus::Ok) {
        SharedSrc::ErrorMsg(QStringLiteral("无法打开文件。"));
        return;
    }
    // Through the cursor, so that the replaced text can be had back with undo.
    QTextCursor cursor(NoteText->document());
    {
        WorkProgress progress(this);
        NoteText->setUpdatesEnabled(false);
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        NoteTextBlocks::insert(cursor, QStringView(TextFile::decode(file.bytes)), progress.callback());
        cursor.endEditBlock();
        NoteText->setUpdatesEnabled(true);
    }
    cursor.movePosition(QTextCursor::Start);
    NoteText->setTextCursor(cursor);
}

void TAddEditForm::SaveBtnClick()
{
    SharedSrc::DebugLog("TAddEditForm.SaveBtnClick");
    const QString path = FileDialog::askSavePath(
        this, QStringLiteral("保存到..."), {QStringLiteral("文本文件 (*.txt)")}, QStringLiteral(".txt"));
    if (path.isEmpty())
        return;
    if (!QltFile::writeAtomically(path, TextFile::encode(noteTextWithCrLf())))
        SharedSrc::ErrorMsg(QStringLiteral("无法保存文件。"));
}

void TAddEditForm::NoteTextMenuPopup()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextMenuPopup");
    const bool hasSelection = NoteText->textCursor().hasSelection();
    NoteTextUndo->setEnabled(NoteText->document()->isUndoAvailable());
    NoteTextCut->setEnabled(hasSelection);
    NoteTextCopy->setEnabled(hasSelection);
    NoteTextPaste->setEnabled(true);
    NoteTextDelete->setEnabled(hasSelection);
    NoteTextSelectAll->setEnabled(true);
}

void TAddEditForm::NoteTextUndoClick()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextUndoClick");
    NoteText->undo();
}

void TAddEditForm::NoteTextCutClick()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextCutClick");
    NoteText->cut();
}

void TAddEditForm::NoteTextCopyClick()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextCopyClick");
    NoteText->copy();
}

void TAddEditForm::NoteTextPasteClick()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextPasteClick");
    NoteText->paste();
}

void TAddEditForm::NoteTextDeleteClick()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextDeleteClick");
    QTextCursor cursor = NoteText->textCursor();
    cursor.removeSelectedText();
    NoteText->setTextCursor(cursor);
}

void TAddEditForm::NoteTextSelectAllClick()
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextSelectAllClick");
    NoteText->selectAll();
}

void TAddEditForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Guarded::run([this] { FormShow(); });
}

void TAddEditForm::FormShow()
{
    SharedSrc::DebugLog("TAddEditForm.FormShow");
    NoteText->setFocus(Qt::OtherFocusReason);
}

bool TAddEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == NoteText &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool ours = key->key() == Qt::Key_Escape ||
                          (key->key() == Qt::Key_A && key->modifiers().testFlag(Qt::ControlModifier));
        if (event->type() == QEvent::ShortcutOverride) {
            // Keeps shortcuts of other windows from taking the keys the text box handles itself.
            if (ours)
                event->accept();
            return false;
        }
        bool handled = false;
        Guarded::run([&] { handled = NoteTextKeyDown(key->key(), key->modifiers()); });
        if (handled)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TAddEditForm::NoteTextKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    SharedSrc::DebugLog("TAddEditForm.NoteTextKeyDown");
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    if (key == Qt::Key_A && modifiers.testFlag(Qt::ControlModifier)) {
        NoteText->selectAll();
        return true;
    }
    return false;
}
