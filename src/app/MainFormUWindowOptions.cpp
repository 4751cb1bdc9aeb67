#include "app/MainFormU.h"

#include "app/FilterBar.h"
#include "app/NotesListView.h"
#include "app/PriorityColumn.h"
#include "app/WindowPlacement.h"
#include "document/NotesModel.h"
#include "forms/Guarded.h"
#include "forms/NoteTextEdit.h"
#include "platform/Desktop.h"
#include "shared/Settings.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

void TMainForm::applyWindowOptions(const ::IniFile& ini)
{
    setResizableWindow(Settings::isOn(ini, Settings::Switch::ResizableWindow));
    setWrapLongLines(Settings::isOn(ini, Settings::Switch::WordWrap));
    setPriorityColors(Settings::isOn(ini, Settings::Switch::PriorityColors));
}

void TMainForm::setResizableWindow(bool on)
{
    if (on == m_resizable)
        return;
    // Taken while the window still has its design size, which it has until this first switch.
    if (!m_textPanelDesign.isValid())
        m_textPanelDesign = NotesTextPanel->geometry();
    m_resizable = on;
    if (on) {
        setMinimumSize(ClientWidth, ClientHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        // Not showNormal(): a window in the tray stays there.
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        setFixedSize(ClientWidth, ClientHeight);
    }
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowMaximizeButtonHint, on);
    // setWindowFlags() would hide a window that is up; the desktop is told directly instead.
    if (QWindow* window = windowHandle()) {
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
    fitClientArea();
}

void TMainForm::setWrapLongLines(bool on)
{
    m_wrapLongLines = on;
    NoteTextEdit::setLongLinesWrapped(NoteText, on);
}

void TMainForm::setPriorityColors(bool on)
{
    if (on && !m_priorityColumn)
        m_priorityColumn = new PriorityColumn(NotesList);
    NotesList->setItemDelegateForColumn(NotesModel::PriorityColumn, on ? m_priorityColumn : nullptr);
    NotesList->viewport()->update();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_resizable)
        Guarded::run([this] { fitClientArea(); });
}

// The list and the note pane share what the window has beyond its design size: both take the whole
// width, and each half of the height.
void TMainForm::fitClientArea()
{
    const QSize extra =
        m_resizable ? (size() - QSize(ClientWidth, ClientHeight)).expandedTo(QSize(0, 0)) : QSize(0, 0);
    const QRect text = m_textPanelDesign.adjusted(0, extra.height() / 2, extra.width(), extra.height());
    const QRect list = NotesListPanel->geometry();
    const int gap = NotesTextPanel->y() - list.bottom() - 1;
    NotesTextPanel->setGeometry(text);
    NotesListPanel->setGeometry(list.x(), list.y(), text.width(), text.top() - gap - list.y());
    NotesList->resize(NotesList->size() + NotesListPanel->size() - list.size());
    if (m_filterBar)
        m_filterBar->resize(text.width(), m_filterBar->height());
}

bool TMainForm::restoreWindowGeometry()
{
    if (!m_resizable)
        return false;
    const std::optional<QRect> saved = Settings::windowGeometry(*m_iniFile);
    if (!saved)
        return false;
    QList<QRect> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary)
            screens.prepend(screen->availableGeometry());
        else
            screens.append(screen->availableGeometry());
    }
    const QRect place = WindowPlacement::fit(*saved, minimumSize(), screens);
    resize(place.size());
    // Where the desktop places every window itself, the size is all that comes back.
    if (Desktop::placesWindows())
        move(place.topLeft());
    return true;
}

// Throws IniWriteError.
void TMainForm::writeWindowGeometry(::IniFile& ini) const
{
    if (!m_resizable)
        return;
    // A maximised window is kept with the place it goes back to.
    const QPoint frameOffset = geometry().topLeft() - pos();
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    Settings::setWindowGeometry(ini, QRect(normal.topLeft() - frameOffset, normal.size()));
}
