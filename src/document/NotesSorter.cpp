#include "document/NotesSorter.h"

#include "document/CollationKeys.h"
#include "document/Note.h"
#include "document/NotesModel.h"
#include "document/ParallelWork.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <span>
#include <utility>
#include <vector>

namespace NotesSorter {
namespace {

QByteArrayView captionOf(const QByteArray& text)
{
    const qsizetype cr = text.indexOf('\r');
    return cr < 0 ? QByteArrayView(text) : QByteArrayView(text).first(cr);
}

// The captions as the list shows them. A share of the notes is decoded in one call, its captions joined
// by CR: GB18030 has no shift state and CR is never part of a multi-byte character, so the joined bytes
// decode to the decoded captions joined by CR, at a fraction of the cost of one decoder per note. One
// difference: a caption ending inside a character loses those bytes when decoded alone, but gives U+FFFD
// before the CR here; such captions are decoded again on their own.
struct Captions
{
    QStringList texts;        // moving a QString within the list leaves its characters where they are
    QList<QStringView> views; // one per note, into the texts

    void append(Captions&& more)
    {
        texts.append(std::move(more.texts));
        views.append(std::move(more.views));
    }
};

Captions decodedOneByOne(std::span<const Note> notes)
{
    Captions captions;
    for (const Note& note : notes)
        captions.texts.append(AnsiText::toUnicode(captionOf(note.text)));
    for (const QString& caption : std::as_const(captions.texts))
        captions.views.append(caption);
    return captions;
}

Captions decodeCaptions(std::span<const Note> notes)
{
    qsizetype total = 0;
    for (const Note& note : notes)
        total += captionOf(note.text).size() + 1;
    QByteArray joined;
    joined.reserve(total);
    for (const Note& note : notes) {
        joined.append(captionOf(note.text));
        joined.append('\r');
    }
    Captions captions;
    captions.texts.append(AnsiText::toUnicode(joined));
    joined = QByteArray();

    const QString decoded = captions.texts.constFirst(); // shares the characters; the list may move its items
    QList<QStringView>& views = captions.views;
    const qsizetype count = qsizetype(notes.size());
    views.reserve(count);
    qsizetype start = 0;
    for (qsizetype end = decoded.indexOf(u'\r'); end >= 0 && views.size() < count;
         end = decoded.indexOf(u'\r', start)) {
        if (end > start && decoded.at(end - 1) == QChar::ReplacementCharacter) {
            captions.texts.append(AnsiText::toUnicode(captionOf(notes[size_t(views.size())].text)));
            views.append(captions.texts.constLast());
        } else {
            views.append(QStringView(decoded).sliced(start, end - start));
        }
        start = end + 1;
    }
    if (views.size() == count && start == decoded.size())
        return captions;
    // Not expected with any decoder that follows the code page, but cheap to guard against.
    return decodedOneByOne(notes);
}

// The sort order of the captions, keys and all, kept alive by the comparison.
struct CaptionOrder
{
    Captions captions;
    QList<QByteArray> keys; // none when the captions are compared as they are
};

std::function<bool(int rowA, int rowB)> textLessThan(const QList<Note>& notes, bool ascending,
                                                     const QLocale& locale)
{
    // The C locale collates by UTF-16 code units, as QCollator does for it: the captions are their own
    // keys, compared where they lie. Otherwise there is one collation key per note, made once per sort:
    // comparing keys is a plain byte comparison, whereas the collator would analyse both captions again
    // in every one of the n log n comparisons.
    const bool byCodeUnits = locale.language() == QLocale::C;
    const std::span<const Note> all(notes.constData(), size_t(notes.size()));
    // Decoding and collation keys are most of a sort's time.
    std::vector<CaptionOrder> shares =
        ParallelWork::inShares(notes.size(), [&](qsizetype first, qsizetype count) {
            CaptionOrder share;
            share.captions = decodeCaptions(all.subspan(size_t(first), size_t(count)));
            if (!byCodeUnits) {
                CollationKeys collation(locale); // one each: a collator is not for sharing
                share.keys.reserve(count);
                for (QStringView caption : std::as_const(share.captions.views))
                    share.keys.append(collation.key(caption));
            }
            return share;
        });
    auto joined = std::make_shared<CaptionOrder>(std::move(shares.front()));
    for (size_t i = 1; i < shares.size(); ++i) {
        joined->captions.append(std::move(shares[i].captions));
        joined->keys.append(std::move(shares[i].keys));
    }
    // Read-only from here on, as the sort compares on two threads.
    const std::shared_ptr<const CaptionOrder> order = std::move(joined);

    if (byCodeUnits) {
        if (ascending)
            return [order](int a, int b) {
                return order->captions.views[a].compare(order->captions.views[b]) < 0;
            };
        return
            [order](int a, int b) { return order->captions.views[b].compare(order->captions.views[a]) < 0; };
    }
    if (ascending)
        return [order](int a, int b) { return order->keys[a] < order->keys[b]; };
    return [order](int a, int b) { return order->keys[b] < order->keys[a]; };
}

} // namespace

int GetValue(const QByteArray& name)
{
    static const std::array<QByteArray, 4> names = {
        AnsiText::fromUnicode(u"低"),
        AnsiText::fromUnicode(u"标准"),
        AnsiText::fromUnicode(u"高"),
        AnsiText::fromUnicode(u"最高"),
    };
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? 0 : int(found - names.begin()) + 1;
}

std::function<bool(int rowA, int rowB)> rowLessThan(const QList<Note>& notes, SortBy by, bool ascending,
                                                    const QLocale& locale)
{
    if (by == SortBy::Text)
        return textLessThan(notes, ascending, locale);

    QList<int> ranks;
    ranks.reserve(notes.size());
    for (const Note& note : notes)
        ranks.append(GetValue(note.priority));
    if (ascending)
        return [ranks = std::move(ranks)](int a, int b) { return ranks[a] > ranks[b]; };
    return [ranks = std::move(ranks)](int a, int b) { return ranks[a] < ranks[b]; };
}

QList<int> sortedRows(const QList<Note>& notes, SortBy by, bool ascending, const QLocale& locale)
{
    std::vector<int> rows(size_t(notes.size()));
    std::iota(rows.begin(), rows.end(), 0);
    ParallelWork::stableSort(rows, rowLessThan(notes, by, ascending, locale));
    return QList<int>(rows.begin(), rows.end());
}

QList<int> sort(NotesModel& model, SortBy by, bool ascending)
{
    SharedSrc::DebugLog("TMainForm.NotesListCompare");
    return model.sortRows(rowLessThan(model.notes(), by, ascending, SystemLocale::collation()));
}

} // namespace NotesSorter
