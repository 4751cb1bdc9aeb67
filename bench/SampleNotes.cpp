#include "SampleNotes.h"

#include "shared/AnsiText.h"
#include "shared/NoteFields.h"

#include <QRandomGenerator>

namespace SampleNotes {
namespace {

QList<QByteArray> vocabulary()
{
    static const char16_t* const words[] = {
        u"会议",   u"报告",   u"项目",      u"计划",   u"周一",    u"电话",   u"客户",   u"预算",
        u"记事本", u"优先级", u"完成",      u"检查",   u"发送",    u"邮件",   u"文件",   u"购买",
        u"牛奶",   u"医生",   u"预约",      u"生日",   u"meeting", u"report", u"budget", u"call",
        u"review", u"draft",  u"invoice",   u"travel", u"Quillet", u"notes",  u"TODO",   u"2024",
        u"v1.54",  u"ASAP",   u"follow-up", u"design",
    };
    QList<QByteArray> list;
    for (const char16_t* word : words)
        list.append(AnsiText::fromUnicode(QStringView(word)));
    return list;
}

} // namespace

QList<Note> make(qsizetype count, qsizetype meanTextBytes, quint32 seed)
{
    static const QList<QByteArray> words = vocabulary();
    const QByteArray priorities[] = {
        SharedSrc::GetPriorityByIndex(0),
        SharedSrc::GetPriorityByIndex(1),
        SharedSrc::GetPriorityByIndex(2),
        SharedSrc::GetPriorityByIndex(3),
    };
    QRandomGenerator random(seed);
    QList<Note> notes;
    notes.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        // Lengths spread evenly from half to one and a half times the mean.
        const qsizetype length = meanTextBytes / 2 + qsizetype(random.bounded(quint32(meanTextBytes + 1)));
        Note note;
        note.text.reserve(length + 16);
        while (note.text.size() < length) {
            note.text += words.at(random.bounded(int(words.size())));
            const quint32 gap = random.bounded(12u);
            note.text += gap == 0 ? QByteArrayView("\r\n") : QByteArrayView(" ");
        }
        note.priority = priorities[random.bounded(4u)];
        note.imageIndex = random.bounded(2u) ? Note::ImageDone : Note::ImageNotDone;
        notes.append(std::move(note));
    }
    return notes;
}

qsizetype streamBytes(const QList<Note>& notes)
{
    qsizetype total = 0;
    for (const Note& note : notes)
        total += 8 + note.text.size();
    return total;
}

} // namespace SampleNotes
