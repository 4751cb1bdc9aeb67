#include "forms/OptionsFormU.h"

#include "forms/DialogParts.h"
#include "forms/FontColorDialog.h"
#include "forms/Guarded.h"
#include "forms/MessageBox.h"
#include "forms/OptionsHost.h"
#include "platform/Autostart.h"
#include "platform/FileAssociation.h"
#include "shared/AppPaths.h"
#include "shared/DebugLog.h"
#include "shared/QuilletError.h"
#include "shared/Settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>

using SharedSrc::DebugLog;
using SharedSrc::ErrorMsg;

namespace {

using Settings::White;

// The settings of the dialog's rows, which are in the same order.
QString sectionOf(int row)
{
    return Settings::sectionOf(Settings::TextRow(row));
}

constexpr int RowTop[] = {24, 56, 88};
constexpr int OptionsTop = 118;

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(left, top, 257 - left, 17);
    return box;
}

bool showColorDialog(QColor& color, QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(color, parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

} // namespace

TOptionsForm::TOptionsForm(OptionsHost& host)
    : QDialog(host.hostWindow(), DialogParts::FixedDialogFlags), m_host(host),
      m_iniFile(AppPaths::iniFileName()), m_fontDialog(&FontColorDialog::ask), m_colorDialog(&showColorDialog)
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("选项"));
    setFixedSize(289, 434);
    m_colors.fill(White);

    // Created in tab order.
    GroupBox1 = new QGroupBox(QStringLiteral(" 常规 "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 273, 165);
    LoadAtWinStart = checkBox(GroupBox1, "LoadAtWinStart", QStringLiteral("Windows 启动时载入(&L)"), 12, 20);
    MinToTray = checkBox(GroupBox1, "MinToTray", QStringLiteral("最小化到系统托盘(&M)"), 28, 40);
    OpenLastFile =
        checkBox(GroupBox1, "OpenLastFile", QStringLiteral("启动时打开最后使用的文件(&P)"), 12, 60);
    AutoSave = checkBox(GroupBox1, "AutoSave", QStringLiteral("添加/编辑/更改后自动保存"), 12, 80);
    MinOnClose = checkBox(GroupBox1, "MinOnClose", QStringLiteral("关闭到系统托盘"), 12, 100);
    RegisterFileTypeBtn =
        DialogParts::button(GroupBox1, "RegisterFileTypeBtn",
                            QStringLiteral("注册为 QLT 文件的默认编辑器(&E)"), QRect(12, 128, 249, 25));

    GroupBox2 = new QGroupBox(QStringLiteral(" 界面 "), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 181, 273, 188);
    EmptyMenu = new QMenu(this);
    EmptyMenu->setObjectName(QStringLiteral("EmptyMenu"));

    const auto makeRow = [this](int row, const char* labelName, const QString& caption,
                                const char* sampleName, const char* fontName, const char* colorName,
                                QLabel*& label, QLineEdit*& sampleBox, QPushButton*& fontBtn,
                                QPushButton*& colorBtn) {
        const int top = RowTop[row];
        label = new QLabel(caption, GroupBox2);
        label->setObjectName(QLatin1String(labelName));
        label->move(12, top + 4);
        label->adjustSize();

        // A soft bevel around a borderless box, instead of the box's own sunken frame.
        auto* bevel = new QFrame(GroupBox2);
        bevel->setObjectName(QLatin1String(sampleName) + QLatin1String("Bevel"));
        bevel->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
        bevel->setGeometry(100, top, 73, 21);
        sampleBox = new QLineEdit(QStringLiteral("示例"), bevel);
        sampleBox->setObjectName(QLatin1String(sampleName));
        sampleBox->setGeometry(1, 1, 71, 19);
        sampleBox->setFrame(false);
        sampleBox->setReadOnly(true);
        sampleBox->setAutoFillBackground(true);
        // Reachable by the mouse, passed over by Tab.
        sampleBox->setFocusPolicy(Qt::ClickFocus);
        // The empty menu stands in for the edit menu a text box would offer.
        sampleBox->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(sampleBox, &QWidget::customContextMenuRequested, this, [this, sampleBox](const QPoint& pos) {
            Guarded::run([&] {
                if (!EmptyMenu->isEmpty())
                    EmptyMenu->exec(sampleBox->mapToGlobal(pos));
            });
        });

        fontBtn =
            DialogParts::button(GroupBox2, fontName, QStringLiteral("字体"), QRect(180, top - 1, 39, 23));
        colorBtn =
            DialogParts::button(GroupBox2, colorName, QStringLiteral("颜色"), QRect(223, top - 1, 39, 23));
        // Three rows of the same two buttons: a listener hears which row each one sets.
        sampleBox->setAccessibleName(caption + QStringLiteral("示例"));
        fontBtn->setAccessibleName(caption + QStringLiteral("字体"));
        fontBtn->setAccessibleDescription(QStringLiteral("选择%1的字体和文字颜色").arg(caption));
        colorBtn->setAccessibleName(caption + QStringLiteral("背景颜色"));
        colorBtn->setAccessibleDescription(QStringLiteral("选择%1的背景颜色").arg(caption));
    };
    makeRow(NotesListRow, "Label1", QStringLiteral("记事本列表"), "NotesListTextSample", "NotesListFont",
            "NotesListColor", Label1, NotesListTextSample, NotesListFont, NotesListColor);
    makeRow(NoteTextRow, "Label2", QStringLiteral("记事本文本"), "NoteTextSample", "NotesTextFont",
            "NotesTextColor", Label2, NoteTextSample, NotesTextFont, NotesTextColor);
    makeRow(AddEditRow, "Label3", QStringLiteral("添加/删除文本"), "AddEditTextSample", "AddEditTextFont",
            "AddEditTextColor", Label3, AddEditTextSample, AddEditTextFont, AddEditTextColor);

    // Below the text rows, how the window shows the notes.
    ResizableWindow =
        checkBox(GroupBox2, "ResizableWindow", QStringLiteral("可调整窗口大小(&R)"), 12, OptionsTop);
    WordWrap = checkBox(GroupBox2, "WordWrap", QStringLiteral("长行自动换行(&W)"), 12, OptionsTop + 20);
    PriorityColors = checkBox(GroupBox2, "PriorityColors", QStringLiteral("以颜色突出显示优先级(&H)"), 12,
                              OptionsTop + 40);

    OkBtn = DialogParts::button(this, "OkBtn", QStringLiteral("确定(&O)"), QRect(126, 401, 75, 25));
    OkBtn->setDefault(true);
    CancelBtn = DialogParts::button(this, "CancelBtn", QStringLiteral("取消(&C)"), QRect(206, 401, 75, 25));

    connect(LoadAtWinStart, &QCheckBox::clicked, this,
            Guarded::slot(this, &TOptionsForm::LoadAtWinStartClick));
    connect(RegisterFileTypeBtn, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::RegisterFileTypeBtnClick));
    connect(NotesListFont, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::NotesListFontClick));
    connect(NotesTextFont, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::NotesTextFontClick));
    connect(AddEditTextFont, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::AddEditTextFontClick));
    connect(NotesListColor, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::NotesListColorClick));
    connect(NotesTextColor, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::NotesTextColorClick));
    connect(AddEditTextColor, &QPushButton::clicked, this,
            Guarded::slot(this, &TOptionsForm::AddEditTextColorClick));
    connect(OkBtn, &QPushButton::clicked, this, Guarded::slot(this, &TOptionsForm::OkBtnClick));
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TOptionsForm::FormCreate()
{
    DebugLog("TOptionsForm.FormCreate");
    DialogParts::takeFont(this, m_host.hostWindow());
    for (int row = 0; row < RowCount; ++row) {
        setSampleFont(Row(row), m_fonts.at(size_t(row)));
        setSampleColor(Row(row), White, Qt::white);
    }
}

void TOptionsForm::setFontDialog(FontDialog dialog)
{
    m_fontDialog = std::move(dialog);
}

void TOptionsForm::setColorDialog(ColorDialog dialog)
{
    m_colorDialog = std::move(dialog);
}

void TOptionsForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Only when the program shows the dialog, not when the desktop restores it.
    if (!event->spontaneous())
        Guarded::run([this] { FormShow(); });
}

void TOptionsForm::FormShow()
{
    DebugLog("TOptionsForm.FormShow");
    OpenLastFile->setChecked(Settings::isOn(m_iniFile, Settings::Switch::OpenLastFile));
    AutoSave->setChecked(Settings::isOn(m_iniFile, Settings::Switch::AutoSaveOnAddEdit));
    MinOnClose->setChecked(Settings::isOn(m_iniFile, Settings::Switch::MinToTrayOnClose));
    ResizableWindow->setChecked(Settings::isOn(m_iniFile, Settings::Switch::ResizableWindow));
    WordWrap->setChecked(Settings::isOn(m_iniFile, Settings::Switch::WordWrap));
    PriorityColors->setChecked(Settings::isOn(m_iniFile, Settings::Switch::PriorityColors));

    const Autostart::AutostartState start = Autostart::read(AppPaths::executablePath());
    LoadAtWinStart->setChecked(start.enabled);
    MinToTray->setChecked(start.enabled && start.minimized);
    MinToTray->setEnabled(LoadAtWinStart->isChecked());

    // The window's own fonts are the defaults of the first two rows; the third row's is the sample's.
    // The window keeps its fonts until OK, so that Cancel leaves the screen as it was.
    FontValue listFont = m_host.notesListFont();
    setSampleFont(NotesListRow, SharedSrc::LoadFontFromIni(m_iniFile, listFont, sectionOf(NotesListRow)));
    FontValue textFont = m_host.noteTextFont();
    setSampleFont(NoteTextRow, SharedSrc::LoadFontFromIni(m_iniFile, textFont, sectionOf(NoteTextRow)));
    FontValue addEditFont = m_fonts.at(AddEditRow);
    setSampleFont(AddEditRow, SharedSrc::LoadFontFromIni(m_iniFile, addEditFont, sectionOf(AddEditRow)));

    // One block: the first colour that is not one stops it, and the rows before it keep theirs.
    for (int row = 0; row < RowCount; ++row) {
        const qint32 value = Settings::background(m_iniFile, Settings::TextRow(row));
        const std::optional<QColor> color = ColorValue::toColor(value, palette());
        if (!color) {
            ErrorMsg(QStringLiteral("字体颜色设置无效。"));
            break;
        }
        setSampleColor(Row(row), value, *color);
    }
}

QLineEdit* TOptionsForm::sample(Row row) const
{
    switch (row) {
    case NotesListRow:
        return NotesListTextSample;
    case NoteTextRow:
        return NoteTextSample;
    default:
        return AddEditTextSample;
    }
}

void TOptionsForm::setSampleFont(Row row, const FontValue& font)
{
    m_fonts.at(size_t(row)) = font;
    QLineEdit* box = sample(row);
    // A copy of the whole font: what it leaves unset must not come from the dialog's own font.
    QFont qfont = font.toQFont();
    qfont.setResolveMask(QFont::AllPropertiesResolved);
    box->setFont(qfont);
    if (const std::optional<QColor> color = ColorValue::toColor(font.color, box->palette())) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Text, *color);
        box->setPalette(palette);
    }
}

void TOptionsForm::setSampleColor(Row row, qint32 value, const QColor& color)
{
    m_colors.at(size_t(row)) = value;
    QLineEdit* box = sample(row);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Window, color);
    box->setPalette(palette);
}

bool TOptionsForm::ShowFontDialog(FontValue& font)
{
    DebugLog("TOptionsForm.ShowFontDialog");
    QFont chosen = font.toQFont();
    const QColor before = ColorValue::toColor(font.color, palette()).value_or(QColor(Qt::black));
    QColor color = before;
    if (!m_fontDialog(chosen, color, this))
        return false;
    font.assignFrom(chosen);
    // An unchanged colour keeps its value, so that a system colour stays one.
    if (color != before)
        font.color = ColorValue::fromColor(color);
    return true;
}

bool TOptionsForm::ShowColorDialog(QColor& color)
{
    DebugLog("TOptionsForm.ShowColorDialog");
    QColor chosen = color;
    if (!m_colorDialog(chosen, this) || !chosen.isValid())
        return false;
    color = chosen;
    return true;
}

void TOptionsForm::chooseFont(Row row)
{
    FontValue font = m_fonts.at(size_t(row));
    if (ShowFontDialog(font))
        setSampleFont(row, font);
}

void TOptionsForm::chooseColor(Row row)
{
    QColor color = sample(row)->palette().color(QPalette::Base);
    if (ShowColorDialog(color))
        setSampleColor(row, ColorValue::fromColor(color), color);
}

void TOptionsForm::NotesListFontClick()
{
    DebugLog("TOptionsForm.NotesListFontClick");
    chooseFont(NotesListRow);
}

void TOptionsForm::NotesTextFontClick()
{
    DebugLog("TOptionsForm.NotesTextFontClick");
    chooseFont(NoteTextRow);
}

void TOptionsForm::AddEditTextFontClick()
{
    DebugLog("TOptionsForm.AddEditTextFontClick");
    chooseFont(AddEditRow);
}

void TOptionsForm::NotesListColorClick()
{
    DebugLog("TOptionsForm.NotesListColorClick");
    chooseColor(NotesListRow);
}

void TOptionsForm::NotesTextColorClick()
{
    DebugLog("TOptionsForm.NotesTextColorClick");
    chooseColor(NoteTextRow);
}

void TOptionsForm::AddEditTextColorClick()
{
    DebugLog("TOptionsForm.AddEditTextColorClick");
    chooseColor(AddEditRow);
}

void TOptionsForm::LoadAtWinStartClick()
{
    DebugLog("TOptionsForm.LoadAtWinStartClick");
    MinToTray->setEnabled(LoadAtWinStart->isChecked());
    if (!LoadAtWinStart->isChecked())
        MinToTray->setChecked(false);
}

void TOptionsForm::OkBtnClick()
{
    DebugLog("TOptionsForm.OkBtnClick");
    Settings::setOn(m_iniFile, Settings::Switch::OpenLastFile, OpenLastFile->isChecked());
    Settings::setOn(m_iniFile, Settings::Switch::AutoSaveOnAddEdit, AutoSave->isChecked());
    Settings::setOn(m_iniFile, Settings::Switch::MinToTrayOnClose, MinOnClose->isChecked());
    Settings::setOn(m_iniFile, Settings::Switch::ResizableWindow, ResizableWindow->isChecked());
    Settings::setOn(m_iniFile, Settings::Switch::WordWrap, WordWrap->isChecked());
    Settings::setOn(m_iniFile, Settings::Switch::PriorityColors, PriorityColors->isChecked());

    // A start-up entry that could not be changed is said so; the other options are still saved.
    const QString exe = AppPaths::executablePath();
    QString error;
    const bool started = LoadAtWinStart->isChecked() ? Autostart::enable(exe, MinToTray->isChecked(), &error)
                                                     : Autostart::disableIfOurs(exe, &error);
    if (!started)
        ErrorMsg(error);

    for (int row = 0; row < RowCount; ++row)
        SharedSrc::SaveFontToIni(m_iniFile, m_fonts.at(size_t(row)), sectionOf(row));
    for (int row = 0; row < RowCount; ++row)
        Settings::setBackground(m_iniFile, Settings::TextRow(row), m_colors.at(size_t(row)));

    const auto colorOf = [this](Row row) { return sample(row)->palette().color(QPalette::Base); };
    m_host.setNotesListFont(m_fonts.at(NotesListRow));
    m_host.setNotesListColor(colorOf(NotesListRow));
    m_host.setNoteTextFont(m_fonts.at(NoteTextRow));
    m_host.setNoteTextColor(colorOf(NoteTextRow));
    m_host.setAddEditFont(m_fonts.at(AddEditRow));
    m_host.setAddEditColor(colorOf(AddEditRow));
    m_host.setAutoSaveOnAddEdit(AutoSave->isChecked());
    m_host.setResizableWindow(ResizableWindow->isChecked());
    m_host.setWrapLongLines(WordWrap->isChecked());
    m_host.setPriorityColors(PriorityColors->isChecked());
    accept();
}

void TOptionsForm::RegisterFileTypeBtnClick()
{
    DebugLog("TOptionsForm.RegisterFileTypeBtnClick");
    // A failure ends the registration and goes to the program's error report.
    const QString exe = AppPaths::executablePath();
    if (QString error; !FileAssociation::registerFileType(exe, &error))
        throw QuilletError(error);
    MessageBox::show(this, QMessageBox::Information, QStringLiteral("关联"),
                     QStringLiteral("扩展名 .qlt 已成功关联到\r") + exe, QMessageBox::Ok);
}
