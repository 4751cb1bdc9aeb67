#include "document/TextReport.h"

#include "document/DocumentMessages.h"
#include "document/NotesModel.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"
#include "shared/LocaleFormats.h"
#include "shared/Version.h"

#include <QDateTime>

namespace {

constexpr qsizetype RuleWidth = 80;

} // namespace

ReportStamp reportStamp(const NoteCounts& counts, const QDateTime& now)
{
    ReportStamp stamp;
    stamp.totalText = AnsiText::fromUnicode(DocumentMessages::totalText(counts));
    stamp.doneText = AnsiText::fromUnicode(DocumentMessages::doneText(counts));
    stamp.notDoneText = AnsiText::fromUnicode(DocumentMessages::notDoneText(counts));
    stamp.date = AnsiText::fromUnicode(LocaleFormats::shortDate(now.date()));
    stamp.time = AnsiText::fromUnicode(LocaleFormats::longTime(now.time()));
    return stamp;
}

void ExportNotesToText(const QList<Note>& notes, const ReportStamp& stamp, QList<QByteArray>& list)
{
    SharedSrc::DebugLog("TMainForm.ExportNotesToText");
    list.append(AnsiText::fromUnicode(u"记事本列表"));
    list.append(AnsiText::fromUnicode(u"生成时间: ") + stamp.date + ' ' + stamp.time + " - Quillet v" +
                Quillet::ProgramVersion);
    list.append(stamp.totalText + ' ' + stamp.doneText + ' ' + stamp.notDoneText);
    list.append(QByteArray(RuleWidth, '-'));
    if (notes.isEmpty())
        return;
    // One entry holding a line break: written out it gives two empty lines.
    list.append(QByteArrayLiteral("\r\n"));

    const QByteArray done = AnsiText::fromUnicode(u"[ 状态: 完成  ");
    const QByteArray notDone = AnsiText::fromUnicode(u"[ 状态: 未完成  ");
    const QByteArray priorityLabel = AnsiText::fromUnicode(u"优先级: ");
    const QByteArray equals(RuleWidth, '=');
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const Note& note = notes.at(i);
        list.append((note.isDone() ? done : notDone) + priorityLabel + note.priority + " ]");
        list.append(equals);
        list.append(note.text);
        list.append(equals);
        if (i + 1 < notes.size())
            list.append(QByteArray());
    }
}

QByteArray reportFileBytes(const QList<QByteArray>& list)
{
    qsizetype size = 0;
    for (const QByteArray& entry : list)
        size += entry.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);
    for (const QByteArray& entry : list) {
        bytes.append(entry);
        bytes.append("\r\n", 2);
    }
    return bytes;
}
