#pragma once

#include "document/NotesDocument.h"
#include "forms/DocumentHost.h"
#include "forms/FontSettings.h"
#include "forms/NotesHost.h"
#include "forms/OptionsHost.h"
#include "shared/IniFile.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QScopeGuard>
#include <QString>
#include <QStringList>
#include <QSystemTrayIcon>

#include <array>
#include <functional>
#include <memory>

class EdgeDock;
class FilterBar;
class HolderChannel;
class NotesFilterModel;
class NotesListView;
class PriorityColumn;
class QAction;
class QActionGroup;
class QFrame;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;
class QToolButton;
class StatusPanel;

// The main window: the notes list with its note pane over the document, and the command table shared by
// the menu bar, the toolbar and the keyboard.
class TMainForm : public QMainWindow, public NotesHost, public DocumentHost, public OptionsHost
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 518;
    static constexpr int ClientHeight = 408;
    // The status bar's panels, left to right.
    enum StatusPanelIndex
    {
        PanelTotal,
        PanelDone,
        PanelNotDone,
        PanelModified,
        PanelPassword,
        PanelFolder,
        StatusPanelCount
    };
    // Design widths; the three count panels grow to fit their text and the last one takes the rest.
    static constexpr std::array<int, StatusPanelCount> StatusPanelWidths{60, 80, 90, 50, 23, 215};

    // `arguments` is the command line after the program name.
    explicit TMainForm(const QStringList& arguments, QWidget* parent = nullptr);
    ~TMainForm() override;

    // NotesHost and DocumentHost.
    QWidget* hostWindow() override { return this; }
    NotesDocument& document() override { return *m_document; }
    QTableView* notesList() override;
    QIcon image(int index) const override;
    QFont AddEditFont() const override { return m_addEditFont.toQFont(); }
    QColor AddEditColor() const override { return m_addEditColor; }
    QColor AddEditTextColor() const override;
    void selectRow(int row) override;
    int selectedRow() const override;
    bool isShown(int row) const override;
    void NotesListSelectItem(int row, bool selected) override;

    // OptionsHost (MainFormUOptions.cpp).
    FontValue notesListFont() const override { return m_notesListFont; }
    FontValue noteTextFont() const override { return m_noteTextFont; }
    void setNotesListFont(const FontValue& font) override;
    void setNotesListColor(const QColor& color) override;
    void setNoteTextFont(const FontValue& font) override;
    void setNoteTextColor(const QColor& color) override;
    void setAddEditFont(const FontValue& font) override { m_addEditFont = font; }
    void setAddEditColor(const QColor& color) override { m_addEditColor = color; }
    void setAutoSaveOnAddEdit(bool value) override { AutoSaveOnAddEdit = value; }
    bool autoSaveOnAddEdit() const { return AutoSaveOnAddEdit; }

    // Window options (MainFormUWindowOptions.cpp); all off until the settings say otherwise.
    void setResizableWindow(bool on) override;
    void setWrapLongLines(bool on) override;
    void setPriorityColors(bool on) override;
    bool wrapsLongLines() const override { return m_wrapLongLines; }

    // Tray (MainFormUTray.cpp).
    // Shows the window, or leaves it in the tray (minimised where there is no tray) when the command
    // line holds the "minimize" switch. The program's entry calls this instead of show().
    void showAtStart();
    // The tray icon's hint; the desktop shows at most 127 characters of it.
    void setTrayHint(const QString& hint);
    QSystemTrayIcon* trayIcon() const { return TrayIcon; }

    // Document operations.
    bool IsSelected() const;
    void SetModified(bool value);
    bool GetModified() const;
    void CountNotes();
    QString FileName() const;
    QByteArray Password() const;
    quint32 FileReserved() const;
    bool FileSaved();
    void SaveFile(const QString& fileName);
    void PerformAutoSave();
    void SwapListItems(int index);
    void SetPriority(const QByteArray& name);
    // Shows the document's file in the caption, the status bar and the tray hint.
    void SetFileInfo(const QString& name);
    const QStringList& MRUList() const { return m_mruList; }

    // Files (MainFormUOpenFile.cpp, MainFormUFileCommands.cpp).
    enum class OpenOutcome
    {
        Untouched, // refused before anything changed: missing, not a notes file, declined
        Reset,     // the document was emptied, then nothing was loaded (cancelled or damaged)
        Loaded
    };
    OpenOutcome OpenFile(const QString& fileName, const QByteArray& password, bool silent, bool merge);

    // View.
    void SetTheme(const QString& name);
    QString currentTheme() const { return m_currentTheme; }
    void FixScrollbars();
    bool gridLines() const;
    StatusPanel* statusPanel(int index) const { return m_panels.at(size_t(index)); }

    // Ending from outside (MainFormULifeCycle.cpp): unsaved notes go to a recovery file (RecoveryFiles) and
    // the file's lock is let go; on a signal the program then ends, without a question.
    void keepUnsavedNotes();
    void endOnRequest();

    // Reports a failure that no handler caught: error log, then the "发现错误" box.
    void HandleException(const QString& className, const QString& message);

public Q_SLOTS:
    void FileNewWindowCmdExecute();
    void FileNewCmdExecute();
    void FileSaveCmdExecute();
    void FileSaveAsCmdExecute();
    void FileOpenCmdExecute();
    void FileImportCmdExecute();
    void FileExportCmdExecute();
    void FileSetPasswordCmdExecute();
    void FileRecentFilesMenuPopup();
    void ToolbarOpenCmdPopup();
    void MRUListClick(QObject* sender, const QString& fileName);
    void FileClearRecentListExecute();
    void ToolbarClearMRUCmdClick();
    void FileExitCmdExecute();

    void NotesAddCmdExecute();
    void NotesEditCmdExecute();
    void NotesDeleteCmdExecute();
    void NotesMoveUpCmdExecute();
    void NotesMoveDownCmdExecute();
    void NotesDoneUndoneCmdExecute();
    void NotesFindCmdExecute();
    void NotesSortCmdExecute();
    void NotesUndoCmdExecute();
    void NotesRedoCmdExecute();

    void ViewMinimizeToTrayCmdExecute();
    void ViewShowGridLinesCmdExecute();
    void ViewFilterCmdExecute();
    void ViewHideDoneCmdExecute();

    void HelpContentsCmdExecute();
    void HelpAboutCmdExecute();

    void ViewOptionsCmdExecute();
    void TrayMenuShowCmdClick();
    void TrayMenuExitCmdClick();

    void NoteTextCopyCmdClick();
    void NoteTextSelectAllCmdClick();
    void NoteTextPopupPopup();
    void StatusBarResize();
    void StatusBarPanelDblClick(int panel);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout and command table (MainFormU.cpp, MainFormUCommands.cpp).
    void createLayout();
    void createStatusBar();
    void loadImageList();
    void createCommandTable();
    QAction* addCommand(const char* name, const char* caption, const char* hint, const char* shortcut,
                        int image);
    void createMenus();
    void createToolbar();
    QAction* action(const char* name) const;

    // Life cycle (MainFormULifeCycle.cpp).
    void FormCreate();
    void applySettings();
    void FormActivate();
    void closeOrKeep(QCloseEvent* event);
    bool FormCloseQuery();
    bool FormClose();
    void writeWindowSettings(::IniFile& ini) const;
    void NotesListKeyPress(QChar key);

    // Window options (MainFormUWindowOptions.cpp).
    void applyWindowOptions(const ::IniFile& ini);
    // False when the window keeps its design size or no place was saved.
    bool restoreWindowGeometry();
    void writeWindowGeometry(::IniFile& ini) const;
    void fitClientArea();

    // Tray (MainFormUTray.cpp).
    void createTray();
    void TrayIconStartup(bool& showMainForm);
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void HideToTray();
    bool keepsShownWithoutTray();

    // A second Quillet on the file this window holds (MainFormUSecondStart.cpp).
    void BringToFront(const QByteArray& activationToken);
    bool handOverToHolder(const QString& fileName);

    // Files (MainFormUOpenFile.cpp, MainFormUFileCommands.cpp).
    class OpenFileQuestions;
    NotesDocument::OpenResult openReplacing(const QString& fileName, OpenFileQuestions& questions);
    void openStartupFile();
    void showWorking(const QString& text);
    using BusyCursor = QScopeGuard<std::function<void()>>;
    BusyCursor busyCursor();
    void addToRecentFiles(const QString& path);
    void updateRecentFilesMenus();
    void fillRecentFilesMenu(QMenu* menu);
    void openAsDocument(const QString& path);
    void offerRecovery(const QString& recoveryPath);

    // Undo and redo (MainFormUUndo.cpp).
    void showHistory();
    void followHistoryStep(int row);

    // Changes on disk (MainFormUDiskChanges.cpp).
    void checkFileOnDisk();
    bool reloadFromDisk();
    enum class ChangedFileAnswer
    {
        Overwrite,
        SaveAs,
        Cancel,
    };
    ChangedFileAnswer askAboutChangedFile(const QString& path);

    // The filter and the dragging of notes (MainFormUFilter.cpp).
    void createFilter();
    void applyFilter();
    void closeFilterBar();
    void showShownCount();
    void followListSelection();
    // The list's index of the document's row `row`; invalid when the list does not show it.
    QModelIndex listIndex(int row) const;
    void scrollToNote(int row);
    // The row of the note shown `step` rows from `row` (-1 above, 1 below); -1 when there is none.
    int shownNeighbour(int row, int step) const;
    void moveDroppedNote(int from, int before);

    // Document (MainFormUDocument.cpp).
    void followDocumentFile();
    void showModified(bool modified);
    void showProtection();

    const QStringList m_arguments;
    NotesDocument* const m_document;
    bool m_toldDiskChange = false;   // the user knows the file changed under unsaved notes
    bool m_checkAfterDialog = false; // a change seen under an open dialog waits for it to close
    bool CmdLineOpen = false;
    QStringList m_recoveryFiles; // written or restored from in this run: a save makes them needless

    bool ExitRequested = false;
    bool FirstActivation = true;
    QString FileExt;
    QStringList FileFilter;
    QString IniFileName;
    std::unique_ptr<::IniFile> m_iniFile;
    FontValue m_addEditFont;
    FontValue m_notesListFont;
    FontValue m_noteTextFont;
    QColor m_addEditColor = Qt::white;
    bool AutoSaveOnAddEdit = false;
    QStringList m_mruList;
    QString m_currentTheme;

    QList<QIcon> ImageList16;
    QHash<QString, QAction*> m_actions;
    QActionGroup* m_themeGroup = nullptr;

    EdgeDock* MenuDock = nullptr;
    QMenuBar* MainMenu = nullptr;
    EdgeDock* ToolbarDock = nullptr;
    QToolBar* Toolbar = nullptr;
    QToolButton* ToolbarOpenCmd = nullptr;
    QAction* ToolbarClearMRUCmd = nullptr;
    QMenu* FileRecentFilesMenu = nullptr;
    QMenu* TBXThemeMenu = nullptr;
    QFrame* NotesListPanel = nullptr;
    NotesListView* NotesList = nullptr;
    NotesFilterModel* m_filter = nullptr; // the rows NotesList shows while a filter is on
    FilterBar* m_filterBar = nullptr;
    int m_filterBarRoom = 0;    // what the open filter bar takes from the list panel's height
    bool m_refiltering = false; // the list is filtered anew: the selected note, if still shown, stays
    StatusPanel* m_shownPanel = nullptr;
    QFrame* NotesTextPanel = nullptr;
    QPlainTextEdit* NoteText = nullptr;
    QMenu* NoteTextPopup = nullptr;
    QAction* NoteTextCopyCmd = nullptr;
    QAction* NoteTextSelectAllCmd = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<StatusPanel*, StatusPanelCount> m_panels{};

    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* TrayMenu = nullptr;
    QAction* TrayMenuShowCmd = nullptr;
    QAction* TrayMenuExitCmd = nullptr;
    bool m_showMainFormAtStart = true;
    bool m_toldNoWayToMinimize = false;

    bool m_resizable = false;
    bool m_wrapLongLines = false;
    QRect m_textPanelDesign; // where the note pane is in a window of the design size
    PriorityColumn* m_priorityColumn = nullptr;

    HolderChannel* m_holderChannel = nullptr;
    bool m_declinedHeldFile = false; // the user would not open the start-up file a second time
};
