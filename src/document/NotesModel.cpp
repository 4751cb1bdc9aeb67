#include "document/NotesModel.h"

#include "document/ParallelWork.h"
#include "shared/AnsiText.h"
#include "shared/NoteFields.h"

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace {

// Walks a cycle of an order a few steps ahead of where the notes are moved, asking for each note it meets
// early: the cycle reaches the notes in an order no cache foresees, and without this every note is a wait
// for memory. It stops where the cycle closes.
class CycleLookahead
{
public:
    CycleLookahead(const Note* notes, const QList<int>& order, qsizetype start)
        : m_notes(notes), m_order(order), m_start(start), m_ahead(order[start])
    {
        for (int i = 0; i < Distance; ++i)
            advance();
    }

    void advance()
    {
        if (m_ahead == m_start)
            return;
        const char* note = reinterpret_cast<const char*>(m_notes + m_ahead);
        __builtin_prefetch(note, 1);
        __builtin_prefetch(note + sizeof(Note) - 1, 1);
        m_ahead = m_order[m_ahead];
    }

private:
    static constexpr int Distance = 12;
    const Note* const m_notes;
    const QList<int>& m_order;
    const qsizetype m_start;
    qsizetype m_ahead;
};

} // namespace

NotesModel::NotesModel(QObject* parent) : QAbstractTableModel(parent) {}

void NotesModel::setIconProvider(std::function<QVariant(int imageIndex)> provider)
{
    m_iconProvider = std::move(provider);
    if (!m_notes.isEmpty())
        Q_EMIT dataChanged(index(0, CaptionColumn), index(rowCount() - 1, CaptionColumn),
                           {Qt::DecorationRole});
}

QModelIndex NotesModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= m_notes.size() || column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

Qt::ItemFlags NotesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_notes.size())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

int NotesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_notes.size());
}

int NotesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(ColumnCount);
}

QVariant NotesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= rowCount())
        return {};
    const Note& n = m_notes.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == CaptionColumn)
            return AnsiText::toUnicode(SharedSrc::shownCaption(n.text));
        return AnsiText::toUnicode(n.priority);
    case Qt::DecorationRole:
        if (index.column() == CaptionColumn && m_iconProvider)
            return m_iconProvider(n.imageIndex);
        return {};
    case Qt::AccessibleDescriptionRole:
        // What the row's image and column show, for those who cannot see them.
        return QStringLiteral("优先级: %1, %2")
            .arg(AnsiText::toUnicode(n.priority),
                 n.isDone() ? QStringLiteral("已完成") : QStringLiteral("未完成"));
    case TextRole:
        return n.text;
    case PriorityNameRole:
        return n.priority;
    case ImageIndexRole:
        return n.imageIndex;
    default:
        return {};
    }
}

QVariant NotesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case CaptionColumn:
        return QStringLiteral("记事本");
    case PriorityColumn:
        return QStringLiteral("优先级");
    default:
        return {};
    }
}

void NotesModel::insertNote(int row, Note note)
{
    row = std::clamp(row, 0, rowCount());
    const bool done = note.isDone();
    beginInsertRows({}, row, row);
    m_notes.insert(row, std::move(note));
    m_doneCount += done ? 1 : 0;
    endInsertRows();
    Q_EMIT countsChanged();
}

void NotesModel::rowChanged(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void NotesModel::setNote(int row, Note note)
{
    if (row < 0 || row >= rowCount())
        return;
    const qsizetype delta = qsizetype(note.isDone()) - qsizetype(m_notes.at(row).isDone());
    m_notes[row] = std::move(note);
    m_doneCount += delta;
    rowChanged(row);
    if (delta != 0)
        Q_EMIT countsChanged();
}

void NotesModel::setPriority(int row, const QByteArray& priority)
{
    if (row < 0 || row >= rowCount())
        return;
    m_notes[row].priority = priority;
    rowChanged(row);
}

void NotesModel::setImageIndex(int row, int imageIndex)
{
    if (row < 0 || row >= rowCount())
        return;
    const bool wasDone = m_notes.at(row).isDone();
    m_notes[row].imageIndex = imageIndex;
    const qsizetype delta = qsizetype(m_notes.at(row).isDone()) - qsizetype(wasDone);
    m_doneCount += delta;
    rowChanged(row);
    if (delta != 0)
        Q_EMIT countsChanged();
}

void NotesModel::removeNote(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const bool done = m_notes.at(row).isDone();
    beginRemoveRows({}, row, row);
    m_notes.removeAt(row);
    m_doneCount += done ? -1 : 0;
    endRemoveRows();
    Q_EMIT countsChanged();
}

void NotesModel::swapNotes(int a, int b)
{
    if (a < 0 || b < 0 || a >= rowCount() || b >= rowCount() || a == b)
        return;
    m_notes.swapItemsAt(a, b);
    rowChanged(a);
    rowChanged(b);
}

void NotesModel::moveNote(int from, int to)
{
    if (from < 0 || to < 0 || from >= rowCount() || to >= rowCount() || from == to)
        return;
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_notes.move(from, to);
    endMoveRows();
}

void NotesModel::keepBuffer(QByteArray buffer)
{
    if (!buffer.isEmpty())
        m_buffers.append(std::move(buffer));
}

void NotesModel::appendNotes(QList<Note> notes)
{
    if (notes.isEmpty())
        return;
    const int first = rowCount();
    const qsizetype done =
        std::count_if(notes.cbegin(), notes.cend(), [](const Note& n) { return n.isDone(); });
    beginInsertRows({}, first, first + int(notes.size()) - 1);
    if (m_notes.isEmpty())
        m_notes = std::move(notes);
    else
        m_notes.append(std::move(notes));
    m_doneCount += done;
    endInsertRows();
    Q_EMIT countsChanged();
}

QList<Note> NotesModel::takeLastNotes(int count)
{
    count = std::clamp(count, 0, rowCount());
    if (count == 0)
        return {};
    const int first = rowCount() - count;
    beginRemoveRows({}, first, rowCount() - 1);
    QList<Note> taken(std::make_move_iterator(m_notes.begin() + first),
                      std::make_move_iterator(m_notes.end()));
    m_notes.resize(first);
    m_doneCount -= std::count_if(taken.cbegin(), taken.cend(), [](const Note& n) { return n.isDone(); });
    endRemoveRows();
    Q_EMIT countsChanged();
    return taken;
}

void NotesModel::clear()
{
    const bool hadNotes = !m_notes.isEmpty();
    beginResetModel();
    m_notes = QList<Note>(); // gives the memory back, unlike QList::clear()
    m_buffers = QList<QByteArray>();
    m_doneCount = 0;
    endResetModel();
    if (hadNotes)
        Q_EMIT countsChanged();
}

void NotesModel::sortNotes(const std::function<bool(const Note&, const Note&)>& lessThan)
{
    sortRows([&](int a, int b) { return lessThan(m_notes.at(a), m_notes.at(b)); });
}

QList<int> NotesModel::sortRows(const std::function<bool(int rowA, int rowB)>& lessThan)
{
    // Sort row numbers rather than notes, so the old position of every note is known afterwards.
    std::vector<int> order(size_t(m_notes.size()));
    std::iota(order.begin(), order.end(), 0);
    ParallelWork::stableSort(order, lessThan);
    QList<int> arranged(order.begin(), order.end());
    order = std::vector<int>();
    arrangeRows(arranged);
    return arranged;
}

void NotesModel::arrangeRows(const QList<int>& order)
{
    permute(order, Direction::Forward);
}

void NotesModel::arrangeRowsBack(const QList<int>& order)
{
    permute(order, Direction::Back);
}

// The notes change places in the list itself, a cycle of the permutation at a time: a second list of a
// million notes would cost as much memory as the first, and its room would stay with the process.
void NotesModel::permute(const QList<int>& order, Direction direction)
{
    Q_ASSERT(order.size() == m_notes.size());
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    const qsizetype count = m_notes.size();
    std::vector<bool> placed(static_cast<size_t>(count));
    Note* const notes = m_notes.data();
    for (qsizetype start = 0; start < count; ++start) {
        if (placed[size_t(start)])
            continue;
        placed[size_t(start)] = true;
        Note carried = std::move(notes[start]);
        CycleLookahead lookahead(notes, order, start);
        if (direction == Direction::Forward) {
            // Each row takes the note of the row its order names; the last one of the cycle the first.
            qsizetype row = start;
            for (qsizetype from = order[row]; from != start; row = from, from = order[row]) {
                lookahead.advance();
                notes[row] = std::move(notes[from]);
                placed[size_t(from)] = true;
            }
            notes[row] = std::move(carried);
        } else {
            // Each note goes to the row its order names, taking the one there on to the next.
            for (qsizetype to = order[start]; to != start; to = order[to]) {
                lookahead.advance();
                std::swap(carried, notes[to]);
                placed[size_t(to)] = true;
            }
            notes[start] = std::move(carried);
        }
    }

    const QModelIndexList from = persistentIndexList();
    if (!from.isEmpty()) {
        std::vector<int> newRowOf;
        if (direction == Direction::Forward) {
            newRowOf.resize(size_t(count));
            for (qsizetype newRow = 0; newRow < count; ++newRow)
                newRowOf[size_t(order[newRow])] = int(newRow);
        }
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& old : from) {
            const int row = direction == Direction::Forward ? newRowOf[size_t(old.row())] : order[old.row()];
            to.append(index(row, old.column()));
        }
        changePersistentIndexList(from, to);
    }

    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
