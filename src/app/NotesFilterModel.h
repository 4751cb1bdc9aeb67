#pragma once

#include "document/NotesFinder.h"

#include <QAbstractProxyModel>
#include <QList>
#include <QPersistentModelIndex>
#include <QString>

#include <optional>
#include <vector>

class NotesModel;

// The notes as the list shows them: all of them, or, while a filter is on, those whose text holds the
// filter text (found as Find finds it without match case) and, with hide done, that are not done. A
// filter is one pass over the notes into the rows shown, in order; without one the rows are the
// document's own and nothing is kept. A note added or changed while a filter is on stays shown until the
// filter changes, so that the note a command acted on never vanishes under it; notes that arrive many at
// once (an open, an import) are filtered.
//
// It also carries a note dragged within the list; the drop is the window's to make (`dropped`).
class NotesFilterModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit NotesFilterModel(NotesModel& notes, QObject* parent = nullptr);

    // Filters anew; an empty text and hideDone off show every note.
    void setFilter(const QString& text, bool hideDone);
    QString filterText() const { return m_text; }
    bool hidesDone() const { return m_hideDone; }
    // Whether notes may be left out: the rows shown are then not the document's.
    bool isFiltering() const { return m_filtering; }

    // The document's row of a shown row, and the shown row of a document's row (-1 when left out).
    int sourceRow(int row) const;
    int rowOf(int sourceRow) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    // A note of this list, while every note is shown: with notes left out, the place it would go among
    // the hidden ones is not to be told.
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

Q_SIGNALS:
    // A note was dropped to be shown row `to` (rows as shown, before it moves).
    void dropped(int from, int to);

private:
    bool accepts(int sourceRow);
    void filterAll();
    int lowerBound(int sourceRow) const;
    int draggedRow(const QMimeData* data) const;

    void sourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex& parent, int first, int last);
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);
    void sourceLayoutAboutToBeChanged();
    void sourceLayoutChanged();
    void sourceRowsAboutToBeMoved(const QModelIndex& parent, int first, int last, const QModelIndex& to,
                                  int row);
    void sourceRowsMoved(const QModelIndex& parent, int first, int last, const QModelIndex& to, int row);

    NotesModel& m_notes;
    QString m_text;
    bool m_hideDone = false;
    bool m_filtering = false;
    std::optional<NotesFinder> m_finder; // while there is a filter text
    std::vector<int> m_rows;             // while filtering: the document's rows shown, ascending

    // Kept across a change of the document's order.
    QModelIndexList m_layoutFrom;
    QList<QPersistentModelIndex> m_layoutSources;
    QList<QPersistentModelIndex> m_keptShown; // shown without matching: added or changed under the filter
    // Across a removal: the shown rows that go.
    int m_removedFirst = 0;
    int m_removedEnd = 0;
};
