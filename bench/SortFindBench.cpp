#include "BenchClock.h"
#include "BenchTable.h"
#include "Benches.h"
#include "OpenFile.h"
#include "SampleNotes.h"

#include "document/NotesDocument.h"
#include "document/NotesFinder.h"
#include "document/NotesModel.h"
#include "document/NotesSorter.h"
#include "document/QltFile.h"
#include "document/QltFormat.h"

#include <QTemporaryDir>

namespace {

constexpr qsizetype NoteCount = 100000;
constexpr qsizetype MeanTextBytes = 500;
constexpr int Repetitions = 5;

void addBoundRow(BenchTable& table, const QString& target, qint64 nanoseconds, qint64 boundMillis)
{
    table.add(target, BenchFormat::millis(nanoseconds), QStringLiteral("≤ %1 ms").arg(boundMillis),
              nanoseconds <= boundMillis * 1000000);
}

qint64 timeSort(NotesModel& model, const QList<Note>& unsorted, NotesSorter::SortBy by, const QLocale& locale)
{
    return BenchClock::fastestOf(
        Repetitions,
        [&] {
            // A list of the model's own, as after a load: a shared one would be copied inside the sort.
            QList<Note> notes = unsorted;
            notes.detach();
            model.clear();
            model.appendNotes(std::move(notes));
        },
        [&] { model.arrangeRows(NotesSorter::sortedRows(model.notes(), by, true, locale)); });
}

// One click of the find dialog's button: a new search from the selected row to the end.
qint64 timeFind(const QList<Note>& notes, const QString& needle, bool matchCase)
{
    return BenchClock::fastestOf(Repetitions, [&] {
        NotesFinder finder(needle, matchCase);
        if (finder.findNext(notes, 0) != -1)
            qFatal("the missing text was found");
    });
}

// A document of the notes, as after a load: no history.
void load(NotesDocument& document, const QString& file)
{
    openInto(document, file, {});
}

} // namespace

void benchSortFind(BenchTable& table)
{
    const QList<Note> notes = SampleNotes::make(NoteCount, MeanTextBytes, 11);
    NotesModel model;

    // Chinese collation is what the program's users sort by; the C locale compares code units.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    addBoundRow(table, QStringLiteral("sort 100,000 notes by text, zh_CN collation"),
                timeSort(model, notes, NotesSorter::SortBy::Text, chinese), 150);
    addBoundRow(table, QStringLiteral("sort 100,000 notes by text, C locale"),
                timeSort(model, notes, NotesSorter::SortBy::Text, QLocale::c()), 250);
    addBoundRow(table, QStringLiteral("sort 100,000 notes by priority"),
                timeSort(model, notes, NotesSorter::SortBy::Priority, QLocale::c()), 30);

    const QString missing = QStringLiteral("没有的文字 nowhere");
    addBoundRow(table, QStringLiteral("find a missing text in 100,000 notes, match case"),
                timeFind(notes, missing, true), 100);
    addBoundRow(table, QStringLiteral("find a missing text in 100,000 notes, any case"),
                timeFind(notes, missing, false), 100);
}

void benchUndo(BenchTable& table)
{
    const QList<Note> notes = SampleNotes::make(NoteCount, MeanTextBytes, 11);
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("undo.qlt"));
    if (!QltFile::writeAtomically(file, QltFormat::write(notes, {}, 0)))
        qFatal("cannot write the undo benchmark file");
    NotesDocument document;
    load(document, file);
    addBoundRow(table, QStringLiteral("undo the deletion of one note among 100,000"),
                BenchClock::fastestOf(
                    Repetitions, [&] { document.removeNote(int(NoteCount / 2)); }, [&] { document.undo(); }),
                100);
    addBoundRow(table, QStringLiteral("undo a sort of 100,000 notes by text"),
                BenchClock::fastestOf(
                    Repetitions,
                    [&] {
                        load(document, file);
                        document.sort(NotesSorter::SortBy::Text, true);
                    },
                    [&] { document.undo(); }),
                100);
}
