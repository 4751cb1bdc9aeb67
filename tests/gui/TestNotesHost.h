#pragma once

#include "DialogTest.h"
#include "ModalDriver.h"
#include "TestNotes.h"

#include "document/NotesDocument.h"
#include "forms/NotesHost.h"

#include <QDialog>
#include <QList>
#include <QWidget>

#include <memory>
#include <utility>

class QTableView;

// A stand-in for the main window: a list over a document, and a record of what the dialogs call and what
// the document tells.
class TestNotesHost : public QWidget, public NotesHost
{
public:
    TestNotesHost();

    QWidget* hostWindow() override { return this; }
    NotesDocument& document() override { return doc; }
    QTableView* notesList() override { return list; }
    QIcon image(int index) const override { return images.value(index); }
    QFont AddEditFont() const override { return addEditFont; }
    QColor AddEditColor() const override { return addEditColor; }
    void selectRow(int row) override;
    void NotesListSelectItem(int row, bool selected) override;

    // The notes a test starts from; what the document reports is counted from here on.
    void seed(QList<Note> notes);
    int selectedRow() const override;
    QStringList texts() const; // the notes' texts, decoded

    NotesDocument doc;
    const NotesModel& model = doc.model();
    QTableView* list = nullptr;
    QList<QIcon> images; // 23, each its own picture
    QFont addEditFont;
    QColor addEditColor;

    bool modified = false;
    int setModifiedCalls = 0;
    int countNotesCalls = 0;
    NoteCounts counts;
    QList<int> selectItemCalls; // rows passed with "selected" true
    QList<int> selectRowCalls;
};

// The base of the tests of dialogs over the window: a fresh host for every case, holding `startNotes`.
class HostedDialogTest : public DialogTest
{
    Q_OBJECT

protected:
    explicit HostedDialogTest(QList<Note> startNotes = {}) : m_startNotes(std::move(startNotes)) {}

    std::unique_ptr<TestNotesHost> host;

private Q_SLOTS:
    void init()
    {
        forgetShownDialogs();
        host = std::make_unique<TestNotesHost>();
        if (!m_startNotes.isEmpty())
            host->seed(m_startNotes);
    }
    void cleanup()
    {
        closeDialogs(queuesUsed);
        host.reset();
    }

private:
    QList<Note> m_startNotes;
};
