#pragma once

#include "document/NotesDocument.h"
#include "forms/NotesHost.h"

#include <QDialog>
#include <QList>
#include <QWidget>

#include <functional>

class QTreeView;

// A stand-in for the main window: a list over a document, and a record of what the dialogs call and what
// the document tells.
class TestNotesHost : public QWidget, public NotesHost
{
public:
    TestNotesHost();

    QWidget* hostWindow() override { return this; }
    NotesDocument& document() override { return doc; }
    QTreeView* notesList() override { return list; }
    QIcon image(int index) const override { return images.value(index); }
    QFont AddEditFont() const override { return addEditFont; }
    QColor AddEditColor() const override { return addEditColor; }
    void selectRow(int row) override;
    void NotesListSelectItem(int row, bool selected) override;

    // The notes a test starts from; what the document reports is counted from here on.
    void seed(QList<Note> notes);
    int selectedRow() const;
    QStringList texts() const; // the notes' texts, decoded

    NotesDocument doc;
    NotesModel& model = doc.model(); // filled directly, the document stays unmodified
    QTreeView* list = nullptr;
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

Note makeNote(QStringView text, QStringView priority = u"标准", bool done = false);
QByteArray gb(QStringView text);

// Runs `action` with the next modal dialog of class `type` other than `current` once it shows, from
// inside its event loop. Should the action fail a check, the dialog is rejected so that the test does
// not hang.
void whenModalShown(std::function<void(QWidget* dialog)> action, QWidget* current = nullptr,
                    const QMetaObject& type = QDialog::staticMetaObject);
