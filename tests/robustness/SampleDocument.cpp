#include "SampleDocument.h"

#include "shared/AnsiText.h"
#include "shared/NoteFields.h"

namespace SampleDocument {
namespace {

constexpr int BaseCount = 12000;

// Shared by all generations; only the prefixes differ.
const QList<QByteArray>& bodies()
{
    static const QList<QByteArray> list = [] {
        QList<QByteArray> result;
        const QByteArray chinese = AnsiText::fromUnicode(u"第一行的标题\r\n记事本的正文, 优先级与完成标记 ");
        for (int i = 0; i < BaseCount + 7; ++i)
            result.append(chinese.repeated(1 + i % 13) + QByteArray::number(i));
        return result;
    }();
    return list;
}

} // namespace

QList<Note> notes(quint32 generation)
{
    const QList<QByteArray>& texts = bodies();
    const int count = BaseCount + int(generation % 7);
    const QByteArray prefix = "gen " + QByteArray::number(generation) + ": ";
    QList<Note> result;
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        Note note;
        note.text = prefix + texts.at(i);
        note.priority = SharedSrc::GetPriorityByIndex(quint16((i + generation) % 4));
        note.imageIndex = (i + generation) % 3 == 0 ? Note::ImageDone : Note::ImageNotDone;
        result.append(std::move(note));
    }
    return result;
}

QByteArray password(quint32 generation)
{
    if (generation % 3 == 0)
        return {};
    return AnsiText::fromUnicode(u"口令") + QByteArray::number(generation);
}

} // namespace SampleDocument
