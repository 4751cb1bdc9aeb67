#include "app/NotesFilterModel.h"

#include "document/NotesDocument.h"
#include "document/NotesModel.h"
#include "document/ParallelWork.h"

#include <algorithm>

namespace {

bool passes(const Note& note, bool hideDone, const std::optional<NotesFinder>& finder)
{
    return !(hideDone && note.isDone()) && (!finder || finder->contains(note.text));
}

} // namespace

NotesFilterModel::NotesFilterModel(NotesDocument& document, QObject* parent)
    : QAbstractProxyModel(parent), m_notes(document.model())
{
    QAbstractProxyModel::setSourceModel(document.itemModel());
    const NotesModel& notes = m_notes;
    connect(&notes, &QAbstractItemModel::rowsInserted, this, &NotesFilterModel::sourceRowsInserted);
    connect(&notes, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &NotesFilterModel::sourceRowsAboutToBeRemoved);
    connect(&notes, &QAbstractItemModel::rowsRemoved, this, &NotesFilterModel::sourceRowsRemoved);
    connect(&notes, &QAbstractItemModel::dataChanged, this, &NotesFilterModel::sourceDataChanged);
    connect(&notes, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &NotesFilterModel::sourceLayoutAboutToBeChanged);
    connect(&notes, &QAbstractItemModel::layoutChanged, this, &NotesFilterModel::sourceLayoutChanged);
    // A dragged note moves the notes between its two places: for the rows shown, that is a new order.
    connect(&notes, &QAbstractItemModel::rowsAboutToBeMoved, this,
            &NotesFilterModel::sourceLayoutAboutToBeChanged);
    connect(&notes, &QAbstractItemModel::rowsMoved, this, &NotesFilterModel::sourceLayoutChanged);
    connect(&notes, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (m_filtering)
            beginResetModel();
    });
    connect(&notes, &QAbstractItemModel::modelReset, this, [this] {
        if (!m_filtering)
            return;
        filterAll();
        endResetModel();
    });
}

// A key typed at the end of the text only narrows what is shown: the notes shown are all that need a
// look.
void NotesFilterModel::setFilter(const QString& text, bool hideDone)
{
    const bool narrowing = m_filtering && hideDone == m_hideDone && text.contains(m_text);
    beginResetModel();
    m_text = text;
    m_hideDone = hideDone;
    m_filtering = !text.isEmpty() || hideDone;
    if (text.isEmpty())
        m_finder.reset();
    else
        m_finder.emplace(text, false);
    if (narrowing)
        m_rows = passing(&m_rows);
    else
        filterAll();
    endResetModel();
}

bool NotesFilterModel::accepts(int sourceRow) const
{
    return passes(m_notes.note(sourceRow), m_hideDone, m_finder);
}

void NotesFilterModel::filterAll()
{
    // Without a filter the rows are the document's, and the memory of the last filter goes back.
    m_rows = std::vector<int>();
    if (m_filtering)
        m_rows = passing(nullptr);
}

// On all cores for a long list.
std::vector<int> NotesFilterModel::passing(const std::vector<int>* among) const
{
    const qsizetype count = among ? qsizetype(among->size()) : m_notes.rowCount();
    const auto shares = ParallelWork::inShares(count, [&](qsizetype first, qsizetype size) {
        std::vector<int> rows;
        for (qsizetype i = first; i < first + size; ++i) {
            const int row = among ? (*among)[size_t(i)] : int(i);
            if (passes(m_notes.note(row), m_hideDone, m_finder))
                rows.push_back(row);
        }
        return rows;
    });
    std::vector<int> rows;
    for (const std::vector<int>& share : shares)
        rows.insert(rows.end(), share.cbegin(), share.cend());
    return rows;
}

int NotesFilterModel::lowerBound(int sourceRow) const
{
    return int(std::lower_bound(m_rows.cbegin(), m_rows.cend(), sourceRow) - m_rows.cbegin());
}

int NotesFilterModel::sourceRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return m_filtering ? m_rows[size_t(row)] : row;
}

int NotesFilterModel::rowOf(int sourceRow) const
{
    if (sourceRow < 0 || sourceRow >= m_notes.rowCount())
        return -1;
    if (!m_filtering)
        return sourceRow;
    const int row = lowerBound(sourceRow);
    return row < int(m_rows.size()) && m_rows[size_t(row)] == sourceRow ? row : -1;
}

QModelIndex NotesFilterModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex NotesFilterModel::parent(const QModelIndex&) const
{
    return {};
}

QModelIndex NotesFilterModel::sibling(int row, int column, const QModelIndex&) const
{
    return index(row, column);
}

int NotesFilterModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_filtering ? int(m_rows.size()) : m_notes.rowCount();
}

int NotesFilterModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_notes.columnCount();
}

QModelIndex NotesFilterModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this)
        return {};
    return m_notes.index(sourceRow(proxyIndex.row()), proxyIndex.column());
}

QModelIndex NotesFilterModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != &m_notes)
        return {};
    return index(rowOf(sourceIndex.row()), sourceIndex.column());
}

// One note is one the user added, or brought back: it shows. Many are filtered.
void NotesFilterModel::sourceRowsInserted(const QModelIndex&, int first, int last)
{
    if (!m_filtering)
        return;
    std::vector<int> shown;
    for (int row = first; row <= last; ++row) {
        if (first == last || accepts(row))
            shown.push_back(row);
    }
    const int at = lowerBound(first);
    const int count = last - first + 1;
    if (!shown.empty())
        beginInsertRows({}, at, at + int(shown.size()) - 1);
    std::for_each(m_rows.begin() + at, m_rows.end(), [count](int& row) { row += count; });
    m_rows.insert(m_rows.begin() + at, shown.cbegin(), shown.cend());
    if (!shown.empty())
        endInsertRows();
}

void NotesFilterModel::sourceRowsAboutToBeRemoved(const QModelIndex&, int first, int last)
{
    if (!m_filtering)
        return;
    m_removedFirst = lowerBound(first);
    m_removedEnd = lowerBound(last + 1);
    if (m_removedEnd > m_removedFirst)
        beginRemoveRows({}, m_removedFirst, m_removedEnd - 1);
}

void NotesFilterModel::sourceRowsRemoved(const QModelIndex&, int first, int last)
{
    if (!m_filtering)
        return;
    const int count = last - first + 1;
    m_rows.erase(m_rows.begin() + m_removedFirst, m_rows.begin() + m_removedEnd);
    std::for_each(m_rows.begin() + m_removedFirst, m_rows.end(), [count](int& row) { row -= count; });
    if (m_removedEnd > m_removedFirst)
        endRemoveRows();
}

// A note whose text, priority or mark changed shows, whether or not it still matches; one only drawn
// anew (its image) stays as it is.
void NotesFilterModel::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                         const QList<int>& roles)
{
    if (!m_filtering)
        return;
    const int first = topLeft.row();
    const int last = bottomRight.row();
    if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) {
        for (int row = first; row <= last; ++row) {
            if (rowOf(row) >= 0)
                continue;
            const int at = lowerBound(row);
            beginInsertRows({}, at, at);
            m_rows.insert(m_rows.begin() + at, row);
            endInsertRows();
        }
    }
    const int top = lowerBound(first);
    const int bottom = lowerBound(last + 1) - 1;
    if (bottom >= top)
        Q_EMIT dataChanged(index(top, topLeft.column()), index(bottom, bottomRight.column()), roles);
}

// The same notes are shown in their new order: those that match, and those kept shown without matching,
// followed through the change by persistent indexes.
void NotesFilterModel::sourceLayoutAboutToBeChanged()
{
    if (!m_filtering)
        return;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_layoutFrom = persistentIndexList();
    m_layoutSources.clear();
    m_layoutSources.reserve(m_layoutFrom.size());
    for (const QModelIndex& index : std::as_const(m_layoutFrom))
        m_layoutSources.append(mapToSource(index));
    m_keptShown.clear();
    for (const int row : m_rows) {
        if (!accepts(row))
            m_keptShown.append(m_notes.index(row, 0));
    }
}

void NotesFilterModel::sourceLayoutChanged()
{
    if (!m_filtering)
        return;
    filterAll();
    for (const QPersistentModelIndex& kept : std::as_const(m_keptShown)) {
        if (kept.isValid() && rowOf(kept.row()) < 0)
            m_rows.insert(m_rows.begin() + lowerBound(kept.row()), kept.row());
    }
    m_keptShown.clear();
    QModelIndexList to;
    to.reserve(m_layoutSources.size());
    for (const QPersistentModelIndex& source : std::as_const(m_layoutSources))
        to.append(mapFromSource(source));
    changePersistentIndexList(m_layoutFrom, to);
    m_layoutFrom.clear();
    m_layoutSources.clear();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
