#pragma once

#include "document/Note.h"

#include <QAbstractTableModel>
#include <QList>
#include <QVariant>

#include <functional>

struct NoteCounts
{
    qsizetype total = 0;
    qsizetype done = 0;
    qsizetype notDone = 0;
};

// The document: the ordered notes, shown by the main window's list as two columns.
class NotesModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        CaptionColumn = 0,  // "记事本"
        PriorityColumn = 1, // "优先级"
        ColumnCount
    };
    enum Role
    {
        TextRole = Qt::UserRole + 1, // the full note text, QByteArray
        PriorityNameRole,            // the priority name, QByteArray
        ImageIndexRole,              // int
    };

    explicit NotesModel(QObject* parent = nullptr);

    // Row icons come from the window's image list; without a provider rows have no icon.
    void setIconProvider(std::function<QVariant(int imageIndex)> provider);

    // The list asks these for every row whenever it lays out its rows: answered without further calls.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QList<Note>& notes() const { return m_notes; }
    const Note& note(int row) const { return m_notes.at(row); }
    NoteCounts counts() const { return {m_notes.size(), m_doneCount, m_notes.size() - m_doneCount}; }

    // Keeps the buffer that loaded notes' texts are parts of until the model is cleared: whatever notes the
    // model or the history holds may point into it.
    void keepBuffer(QByteArray buffer);
    void insertNote(int row, Note note);
    void setNote(int row, Note note);
    void setPriority(int row, const QByteArray& priority);
    void setImageIndex(int row, int imageIndex);
    void removeNote(int row);
    // Exchanges the contents of two rows; the rows themselves (and persistent indexes) stay in place.
    void swapNotes(int a, int b);
    // Takes the note out of row `from` and puts it back so that it is row `to`; the rows between move by
    // one, and persistent indexes follow their notes.
    void moveNote(int from, int to);
    void appendNotes(QList<Note> notes);
    // Removes the last `count` rows in one step and gives their notes.
    QList<Note> takeLastNotes(int count);
    void clear();
    // Puts the notes in the given order once: `lessThan` is used by a stable sort, which calls it from
    // more than one thread for a long list.
    void sortNotes(const std::function<bool(const Note&, const Note&)>& lessThan);
    // The same with a comparison of current row numbers, for callers that compute one sort key per row.
    // Gives the order it made, as arrangeRows takes it.
    QList<int> sortRows(const std::function<bool(int rowA, int rowB)>& lessThan);
    // Row k takes the note of current row order[k]; `order` holds every row once. Persistent indexes
    // (the selection) follow their notes.
    void arrangeRows(const QList<int>& order);
    // Undoes arrangeRows(order): the note of row k goes back to row order[k].
    void arrangeRowsBack(const QList<int>& order);

Q_SIGNALS:
    // The total, done or not-done count is no longer what it was.
    void countsChanged();

private:
    void rowChanged(int row);
    enum class Direction
    {
        Forward,
        Back
    };
    void permute(const QList<int>& order, Direction direction);

    QList<Note> m_notes;
    QList<QByteArray> m_buffers; // what loaded texts are parts of
    qsizetype m_doneCount = 0;   // kept as the notes change: the status bar asks after every change
    std::function<QVariant(int)> m_iconProvider;
};
