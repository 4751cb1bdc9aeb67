#include "TestNotesHost.h"

#include "shared/AnsiText.h"

#include <QApplication>
#include <QDialog>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

TestNotesHost::TestNotesHost()
{
    resize(518, 408);
    QFont windowFont = font();
    windowFont.setPointSize(11);
    windowFont.setItalic(true);
    setFont(windowFont);
    addEditFont = QFont(u"Monospace"_s, 13);
    addEditColor = QColor(0xFF, 0xFF, 0xE0);

    for (int i = 0; i < 23; ++i) {
        QPixmap picture(16, 16);
        picture.fill(QColor::fromHsv(i * 15, 200, 200));
        images.append(QIcon(picture));
    }

    list = new QTableView(this);
    list->setObjectName(u"NotesList"_s);
    list->setModel(doc.itemModel());
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setGeometry(0, 0, 518, 200);

    QObject::connect(&doc, &NotesDocument::modifiedChanged, [this](bool value) {
        modified = value;
        ++setModifiedCalls;
    });
    QObject::connect(&model, &NotesModel::countsChanged, [this] {
        ++countNotesCalls;
        counts = model.counts();
    });
}

void TestNotesHost::selectRow(int row)
{
    selectRowCalls.append(row);
    if (row < 0) {
        list->selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = model.index(row, 0);
    list->scrollTo(index);
    list->selectionModel()->setCurrentIndex(index,
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TestNotesHost::NotesListSelectItem(int row, bool selected)
{
    if (selected)
        selectItemCalls.append(row);
}

void TestNotesHost::seed(QList<Note> notes)
{
    doc.clear();
    for (Note& note : notes)
        doc.insertNote(model.rowCount(), std::move(note));
    // Where the dialogs start: nothing changed yet.
    doc.setModified(false);
    setModifiedCalls = 0;
    countNotesCalls = 0;
}

int TestNotesHost::selectedRow() const
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.constFirst().row() : -1;
}

QStringList TestNotesHost::texts() const
{
    QStringList result;
    for (const Note& note : model.notes())
        result.append(AnsiText::toUnicode(note.text));
    return result;
}
