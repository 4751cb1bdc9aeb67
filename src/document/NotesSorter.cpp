#include "document/NotesSorter.h"

#include "document/CollationKeys.h"
#include "document/Note.h"
#include "document/NotesModel.h"
#include "document/ParallelWork.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"
#include "shared/NoteFields.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace NotesSorter {
namespace {

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
        captions.texts.append(AnsiText::toUnicode(SharedSrc::captionOf(note.text)));
    for (const QString& caption : std::as_const(captions.texts))
        captions.views.append(caption);
    return captions;
}

Captions decodeCaptions(std::span<const Note> notes)
{
    qsizetype total = 0;
    for (const Note& note : notes)
        total += SharedSrc::captionOf(note.text).size() + 1;
    QByteArray joined;
    joined.reserve(total);
    for (const Note& note : notes) {
        joined.append(SharedSrc::captionOf(note.text));
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
            captions.texts.append(
                AnsiText::toUnicode(SharedSrc::captionOf(notes[size_t(views.size())].text)));
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

// One note's place in the order: the first bytes of its sort key, big-endian so that comparing the
// numbers compares the bytes, the key's length and the row. Most comparisons end at the head, without
// going to the rest of the key elsewhere in memory.
struct Entry
{
    quint64 head;
    quint32 length;
    quint32 row;
};
constexpr qsizetype HeadBytes = sizeof(quint64);

// The keys of a run of rows past their heads, one after another.
struct KeyTails
{
    qsizetype first = 0;         // the run's first row
    QByteArray bytes;            // grown in place: a list this long moves by remapping, not copying
    std::vector<qsizetype> ends; // where each row's tail ends in `bytes`; it begins where the last ended

    QByteArrayView of(qsizetype row) const
    {
        const size_t at = size_t(row - first);
        const qsizetype begin = at == 0 ? 0 : ends[at - 1];
        return QByteArrayView(bytes.constData() + begin, ends[at] - begin);
    }
};

// Captions are decoded and their keys made this many notes at a time, so that the decoded captions of a
// long list are never all in memory at once.
constexpr qsizetype KeyRun = 4096;

class KeyMaker
{
public:
    explicit KeyMaker(const QLocale& locale)
    {
        // The C locale collates by UTF-16 code units, as QCollator does for it: the key is the caption's
        // code units, big-endian. Otherwise one collation key per note, made once per sort: comparing
        // keys is a plain byte comparison, whereas the collator would analyse both captions again in
        // every one of the n log n comparisons.
        if (locale.language() != QLocale::C)
            m_collation.emplace(locale);
    }

    QByteArrayView key(QStringView caption)
    {
        if (m_collation)
            return m_collation->key(caption);
        m_scratch.resize(caption.size() * 2);
        char* to = m_scratch.data();
        for (QChar c : caption) {
            *to++ = char(c.unicode() >> 8);
            *to++ = char(c.unicode() & 0xff);
        }
        return m_scratch;
    }

private:
    std::optional<CollationKeys> m_collation; // one each: a collator is not for sharing
    QByteArray m_scratch;
};

KeyTails makeKeys(std::span<const Note> notes, qsizetype first, Entry* entries, const QLocale& locale)
{
    KeyTails tails;
    tails.first = first;
    tails.ends.reserve(notes.size());
    KeyMaker maker(locale);
    for (size_t runStart = 0; runStart < notes.size(); runStart += size_t(KeyRun)) {
        const std::span<const Note> run =
            notes.subspan(runStart, std::min(notes.size() - runStart, size_t(KeyRun)));
        const Captions captions = decodeCaptions(run);
        for (qsizetype i = 0; i < captions.views.size(); ++i) {
            const QByteArrayView key = maker.key(captions.views[i]);
            quint64 head = 0;
            for (qsizetype b = 0; b < HeadBytes; ++b)
                head = head << 8 | (b < key.size() ? quint8(key[b]) : 0);
            const qsizetype row = first + qsizetype(runStart) + i;
            entries[row] = {head, quint32(std::min<qsizetype>(key.size(), UINT32_MAX)), quint32(row)};
            if (key.size() > HeadBytes)
                tails.bytes.append(key.sliced(HeadBytes));
            tails.ends.push_back(tails.bytes.size());
        }
    }
    return tails;
}

// The rows by caption: a key per note, then the entries sorted where they lie. Equal keys keep their
// rows' order, in either direction.
QList<int> textOrder(const QList<Note>& notes, bool ascending, const QLocale& locale)
{
    const std::span<const Note> all(notes.constData(), size_t(notes.size()));
    std::vector<Entry> entries(all.size());
    // Decoding and collation keys are most of a sort's time.
    const std::vector<KeyTails> tails =
        ParallelWork::inShares(notes.size(), [&](qsizetype first, qsizetype count) {
            return makeKeys(all.subspan(size_t(first), size_t(count)), first, entries.data(), locale);
        });
    const auto tailOf = [&tails](quint32 row) {
        const KeyTails* share = &tails.front();
        for (const KeyTails& next : tails) {
            if (qsizetype(row) >= next.first)
                share = &next;
        }
        return share->of(row);
    };
    // Negative, zero or positive as a's key is below, equal to or above b's.
    const auto compareKeys = [&tailOf](const Entry& a, const Entry& b) {
        if (a.head != b.head)
            return a.head < b.head ? -1 : 1;
        if (a.length <= HeadBytes || b.length <= HeadBytes)
            return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
        return tailOf(a.row).compare(tailOf(b.row));
    };
    const int direction = ascending ? 1 : -1;
    ParallelWork::sort(entries, [&](const Entry& a, const Entry& b) {
        const int order = compareKeys(a, b) * direction;
        return order != 0 ? order < 0 : a.row < b.row;
    });
    QList<int> rows(notes.size());
    for (qsizetype k = 0; k < rows.size(); ++k)
        rows[k] = int(entries[size_t(k)].row);
    return rows;
}

// Ranks are few: the rows are counted out by rank, in their order within each, with no comparison at all.
QList<int> priorityOrder(const QList<Note>& notes, bool ascending)
{
    constexpr int Ranks = 5;
    std::vector<quint8> ranks(size_t(notes.size()));
    std::array<qsizetype, Ranks + 1> starts{};
    for (qsizetype row = 0; row < notes.size(); ++row) {
        // Ascending puts the highest rank first.
        const int rank = GetValue(notes[row].priority);
        ranks[size_t(row)] = quint8(ascending ? Ranks - 1 - rank : rank);
        ++starts[size_t(ranks[size_t(row)]) + 1];
    }
    std::partial_sum(starts.begin(), starts.end(), starts.begin());
    QList<int> rows(notes.size());
    for (qsizetype row = 0; row < notes.size(); ++row)
        rows[starts[ranks[size_t(row)]]++] = int(row);
    return rows;
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

QList<int> sortedRows(const QList<Note>& notes, SortBy by, bool ascending, const QLocale& locale)
{
    if (by == SortBy::Text)
        return textOrder(notes, ascending, locale);
    return priorityOrder(notes, ascending);
}

QList<int> sort(NotesModel& model, SortBy by, bool ascending)
{
    SharedSrc::DebugLog("TMainForm.NotesListCompare");
    QList<int> order = sortedRows(model.notes(), by, ascending, SystemLocale::collation());
    model.arrangeRows(order);
    return order;
}

} // namespace NotesSorter
