#pragma once

#include "document/NotesFinder.h"

#include <QAbstractProxyModel>
#include <QList>
#include <QPersistentModelIndex>
#include <QString>

#include <optional>
#include <vector>

class NotesDocument;
class NotesModel;

// The notes the list shows while a filter is on: those whose text holds the filter text (found as Find
// finds it without match case) and, with hide done, that are not done. A filter is one pass over the
// notes into the rows shown, in order. A note added or changed while a filter is on stays shown until the
// filter changes, so that the note a command acted on never vanishes under it; notes that arrive many at
// once (an open, an import) are filtered. Without a filter the list shows the document's model itself;
// this one then maps rows as they are and keeps nothing.
class NotesFilterModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit NotesFilterModel(NotesDocument& document, QObject* parent = nullptr);

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

private:
    bool accepts(int sourceRow) const;
    void filterAll();
    // The rows that pass, of all rows or of `among`, in order.
    std::vector<int> passing(const std::vector<int>* among) const;
    int lowerBound(int sourceRow) const;

    void sourceRowsInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex& parent, int first, int last);
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);
    void sourceLayoutAboutToBeChanged();
    void sourceLayoutChanged();

    const NotesModel& m_notes;
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
