#include "app/MainFormU.h"

#include "app/EdgeDock.h"
#include "app/NotesFilterModel.h"
#include "app/NotesListView.h"
#include "app/StatusPanel.h"
#include "document/NotesDocument.h"
#include "forms/Guarded.h"
#include "forms/Images.h"
#include "forms/NoteTextEdit.h"
#include "platform/HolderChannel.h"
#include "shared/DebugLog.h"

#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

using SharedSrc::DebugLog;

namespace {

constexpr int MenuDockHeight = 25;
constexpr int ToolbarDockHeight = 27;
constexpr int StatusBarHeight = 24;
constexpr int PriorityColumnWidth = 86;
// Design positions in window coordinates.
constexpr QRect NotesListPanelRect(2, 57, 515, 246);
constexpr QRect NotesTextPanelRect(2, 307, 515, 73);

QFrame* newPanel(QWidget* parent, const char* name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setLineWidth(1);
    return panel;
}

} // namespace

TMainForm::TMainForm(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), m_arguments(arguments),
      m_document(new NotesDocument(NotesDocument::Locking::HoldFileLock, this))
{
    // The images live in the application library, which the linker would otherwise leave out.
    Q_INIT_RESOURCE(icons);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quillet"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    loadImageList();
    setWindowIcon(QIcon(Images::picture("quillet")));
    createLayout();
    createCommandTable();
    createMenus();
    createToolbar();
    showHistory();
    createTray();
    m_holderChannel = new HolderChannel(this);
    connect(m_holderChannel, &HolderChannel::called, this, Guarded::slot(this, &TMainForm::BringToFront));
    FormCreate();
}

QTableView* TMainForm::notesList()
{
    return NotesList;
}

QIcon TMainForm::image(int index) const
{
    return index >= 0 && index < ImageList16.size() ? ImageList16.at(index) : QIcon();
}

void TMainForm::loadImageList()
{
    const QDir dir(QStringLiteral(":/icons"));
    ImageList16.reserve(Images::Count);
    for (int i = 0; i < Images::Count; ++i) {
        const QString prefix = QStringLiteral("%1-").arg(i, 2, 10, QLatin1Char('0'));
        const QStringList found =
            dir.entryList({prefix + QLatin1Char('*') + QLatin1String(Images::PictureSuffix)}, QDir::Files);
        ImageList16.append(found.isEmpty() ? QIcon() : QIcon(dir.filePath(found.constFirst())));
    }
}

void TMainForm::createLayout()
{
    setFixedSize(ClientWidth, ClientHeight);

    auto* docks = new QWidget(this);
    docks->setObjectName(QStringLiteral("DockSite"));
    auto* dockLayout = new QVBoxLayout(docks);
    dockLayout->setContentsMargins(0, 0, 0, 0);
    dockLayout->setSpacing(0);

    MenuDock = new EdgeDock(docks);
    MenuDock->setObjectName(QStringLiteral("MenuDock"));
    MenuDock->setFixedHeight(MenuDockHeight);
    MainMenu = new QMenuBar(MenuDock);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    MainMenu->setNativeMenuBar(false);
    MenuDock->setBar(MainMenu);
    dockLayout->addWidget(MenuDock);

    ToolbarDock = new EdgeDock(docks);
    ToolbarDock->setObjectName(QStringLiteral("ToolbarDock"));
    ToolbarDock->setFixedHeight(ToolbarDockHeight);
    Toolbar = new QToolBar(ToolbarDock);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar->setMovable(false);
    Toolbar->setFloatable(false);
    Toolbar->setIconSize(QSize(16, 16));
    Toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolbarDock->setBar(Toolbar);
    dockLayout->addWidget(ToolbarDock);
    docks->setFixedHeight(MenuDockHeight + ToolbarDockHeight);
    setMenuWidget(docks);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    const int clientTop = MenuDockHeight + ToolbarDockHeight;

    NotesListPanel = newPanel(client, "NotesListPanel");
    NotesListPanel->setGeometry(NotesListPanelRect.translated(0, -clientTop));
    NotesList = new NotesListView(NotesListPanel);
    NotesList->setObjectName(QStringLiteral("NotesList"));
    NotesList->setAccessibleName(QStringLiteral("记事本列表"));
    NotesList->setFrameShape(QFrame::NoFrame);
    NotesList->setGeometry(1, 1, NotesListPanelRect.width() - 3, NotesListPanelRect.height() - 4);
    const NotesModel* model = &m_document->model();
    NotesList->setModel(m_document->itemModel());
    m_filter = new NotesFilterModel(*m_document, this);
    NotesList->setSelectionBehavior(QAbstractItemView::SelectRows);
    NotesList->setSelectionMode(QAbstractItemView::SingleSelection);
    NotesList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    NotesList->setSortingEnabled(false);
    NotesList->setIconSize(QSize(16, 16));
    QHeaderView* header = NotesList->horizontalHeader();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(NotesModel::CaptionColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(NotesModel::PriorityColumn, QHeaderView::Fixed);
    header->resizeSection(NotesModel::PriorityColumn, PriorityColumnWidth);
    m_document->setIconProvider([this](int index) { return image(index); });
    NotesList->installEventFilter(this);
    connect(NotesList, &QAbstractItemView::doubleClicked, this,
            Guarded::slot(this, &TMainForm::NotesEditCmdExecute));
    followListSelection();
    // Removing the selected row, or every row, drops the selection without a selection event; the
    // pane must not go on showing a note that is gone.
    const auto clearPaneWithoutSelection = Guarded::slot([this] {
        if (!IsSelected())
            NotesListSelectItem(-1, false);
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, clearPaneWithoutSelection);
    connect(model, &QAbstractItemModel::modelReset, this, clearPaneWithoutSelection);
    // The window follows the notes and the document, whichever command changed them.
    connect(model, &NotesModel::countsChanged, this, Guarded::slot(this, &TMainForm::CountNotes));
    connect(m_document, &NotesDocument::modifiedChanged, this, Guarded::slot(this, &TMainForm::showModified));
    connect(&m_document->history(), &NotesHistory::changed, this,
            Guarded::slot(this, &TMainForm::showHistory));
    followDocumentFile();

    NotesTextPanel = newPanel(client, "NotesTextPanel");
    NotesTextPanel->setGeometry(NotesTextPanelRect.translated(0, -clientTop));
    auto* textLayout = new QVBoxLayout(NotesTextPanel);
    textLayout->setContentsMargins(1, 1, 1, 1);
    NoteText = new NoteTextEdit(NotesTextPanel);
    NoteText->setObjectName(QStringLiteral("NoteText"));
    NoteText->setAccessibleName(QStringLiteral("记事本文本"));
    NoteText->setFrameShape(QFrame::NoFrame);
    NoteText->setReadOnly(true);
    NoteText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    NoteText->setLineWrapMode(QPlainTextEdit::NoWrap);
    NoteText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    NoteText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textLayout->addWidget(NoteText);

    NoteTextPopup = new QMenu(NoteText);
    NoteTextPopup->setObjectName(QStringLiteral("NoteTextPopup"));
    NoteTextCopyCmd = NoteTextPopup->addAction(QStringLiteral("复制(&C)"), this,
                                               Guarded::slot(this, &TMainForm::NoteTextCopyCmdClick));
    NoteTextCopyCmd->setObjectName(QStringLiteral("NoteTextCopyCmd"));
    NoteTextPopup->addSeparator();
    NoteTextSelectAllCmd = NoteTextPopup->addAction(
        QStringLiteral("全选(&A)"), this, Guarded::slot(this, &TMainForm::NoteTextSelectAllCmdClick));
    NoteTextSelectAllCmd->setObjectName(QStringLiteral("NoteTextSelectAllCmd"));
    connect(NoteTextPopup, &QMenu::aboutToShow, this, Guarded::slot(this, &TMainForm::NoteTextPopupPopup));
    NoteText->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(NoteText, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        Guarded::run([&] { NoteTextPopup->exec(NoteText->viewport()->mapToGlobal(pos)); });
    });

    createStatusBar();
    createFilter();
}

void TMainForm::createStatusBar()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setFixedHeight(StatusBarHeight);
    setStatusBar(StatusBar);
    const std::array<Images::Index, StatusPanelCount> images{Images::None, Images::Done, Images::NotDone,
                                                             Images::None, Images::None, Images::Folder};
    for (int i = 0; i < StatusPanelCount; ++i) {
        auto* panel = new StatusPanel(StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->resize(StatusPanelWidths.at(size_t(i)), StatusBarHeight);
        panel->setIcon(image(images.at(size_t(i))));
        connect(panel, &StatusPanel::activated, this,
                Guarded::slot([this, i] { StatusBarPanelDblClick(i); }));
        if (i <= PanelNotDone) // the count panels, which grow with their numbers
            connect(panel, &StatusPanel::textChanged, this, Guarded::slot(this, &TMainForm::StatusBarResize));
        m_panels.at(size_t(i)) = panel;
    }
    // The folder opens from the keyboard too: Tab reaches its panel, Enter opens it.
    StatusPanel* folder = m_panels.at(PanelFolder);
    folder->setFocusPolicy(Qt::TabFocus);
    folder->setAccessibleName(QStringLiteral("文件夹"));
    folder->setAccessibleDescription(QStringLiteral("按 Enter 键打开文件所在的文件夹"));
    // The panels are the window's own, laid over the bar, which would paint its messages across them:
    // they step aside while a message shows, as the bar's own widgets do.
    connect(StatusBar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        for (StatusPanel* panel : m_panels)
            panel->setVisible(message.isEmpty());
    });
    StatusBar->installEventFilter(this);
}

// The list's rows are the document's own but while a filter is on (NotesFilterModel).
void TMainForm::followListSelection()
{
    connect(NotesList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (m_refiltering)
                    return;
                Guarded::run([&] {
                    for (const QItemSelectionRange& range : deselected) {
                        for (int row = range.top(); row <= range.bottom(); ++row)
                            NotesListSelectItem(m_filter->sourceRow(row), false);
                    }
                    for (const QItemSelectionRange& range : selected) {
                        for (int row = range.top(); row <= range.bottom(); ++row)
                            NotesListSelectItem(m_filter->sourceRow(row), true);
                    }
                });
            });
}

QModelIndex TMainForm::listIndex(int row) const
{
    return NotesList->model()->index(m_filter->rowOf(row), NotesModel::CaptionColumn);
}

void TMainForm::selectRow(int row)
{
    const QModelIndex index = listIndex(row);
    if (!index.isValid()) {
        NotesList->selectionModel()->clear();
        return;
    }
    NotesList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    NotesList->scrollTo(index, QAbstractItemView::EnsureVisible);
}

int TMainForm::selectedRow() const
{
    const QModelIndexList rows = NotesList->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : m_filter->sourceRow(rows.constFirst().row());
}

bool TMainForm::IsSelected() const
{
    DebugLog("TMainForm.IsSelected");
    return selectedRow() >= 0;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == NotesList && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1 && text.front() == QLatin1Char('\r')) {
            Guarded::run([&] { NotesListKeyPress(text.front()); });
            return true;
        }
    } else if (watched == StatusBar &&
               (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)) {
        Guarded::run([this] { StatusBarResize(); });
    }
    return QMainWindow::eventFilter(watched, event);
}
