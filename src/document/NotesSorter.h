#pragma once

#include "shared/SystemLocale.h"

#include <QByteArray>
#include <QList>
#include <QLocale>

class NotesModel;
struct Note;

// The one-time reordering of the notes by caption or by priority. Rows that compare equal keep their
// order.
namespace NotesSorter {

enum class SortBy
{
    Text,     // captions, in the user's locale collation, case-sensitive
    Priority, // priority ranks, see GetValue
};

// Sort rank of a priority name (exact bytes): "低" 1, "标准" 2, "高" 3, "最高" 4, any other name 0.
int GetValue(const QByteArray& name);

// The old row numbers of `notes` in their new order. Ascending means A to Z by text, but the highest rank
// first by priority, so that the most important notes come to the top.
QList<int> sortedRows(const QList<Note>& notes, SortBy by, bool ascending,
                      const QLocale& locale = SystemLocale::collation());

// Puts the model's rows in that order in one step, collating as the user's locale does; persistent indexes
// (the selection) follow their notes. Gives the order made, as NotesModel::arrangeRows takes it.
QList<int> sort(NotesModel& model, SortBy by, bool ascending);

} // namespace NotesSorter
