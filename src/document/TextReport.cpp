#include "document/TextReport.h"

#include "document/DocumentMessages.h"
#include "document/NotesModel.h"
#include "shared/AnsiText.h"
#include "shared/DebugLog.h"
#include "shared/LocaleFormats.h"
#include "shared/Version.h"

#include <QDateTime>
#include <QIODevice>

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

void ExportNotesToText(const QList<Note>& notes, const ReportStamp& stamp,
                       const std::function<void(QByteArrayView)>& entry)
{
    SharedSrc::DebugLog("TMainForm.ExportNotesToText");
    entry(AnsiText::fromUnicode(u"记事本列表"));
    entry(AnsiText::fromUnicode(u"生成时间: ") + stamp.date + ' ' + stamp.time + " - Quillet v" +
          Quillet::ProgramVersion);
    entry(stamp.totalText + ' ' + stamp.doneText + ' ' + stamp.notDoneText);
    entry(QByteArray(RuleWidth, '-'));
    if (notes.isEmpty())
        return;
    // One entry holding a line break: written out it gives two empty lines.
    entry("\r\n");

    const QByteArray done = AnsiText::fromUnicode(u"[ 状态: 完成  ");
    const QByteArray notDone = AnsiText::fromUnicode(u"[ 状态: 未完成  ");
    const QByteArray priorityLabel = AnsiText::fromUnicode(u"优先级: ");
    const QByteArray equals(RuleWidth, '=');
    QByteArray status; // made again in the same buffer for every note
    for (qsizetype i = 0; i < notes.size(); ++i) {
        const Note& note = notes.at(i);
        status.truncate(0);
        status.append(note.isDone() ? done : notDone)
            .append(priorityLabel)
            .append(note.priority)
            .append(" ]");
        entry(status);
        entry(equals);
        entry(note.text);
        entry(equals);
        if (i + 1 < notes.size())
            entry(QByteArrayView());
    }
}

void ExportNotesToText(const QList<Note>& notes, const ReportStamp& stamp, QList<QByteArray>& list)
{
    ExportNotesToText(notes, stamp, [&list](QByteArrayView entry) { list.append(entry.toByteArray()); });
}

bool writeReport(QIODevice& out, const QList<Note>& notes, const ReportStamp& stamp,
                 TextFile::Encoding encoding)
{
    // Converted a piece of entries at a time. Every piece ends with an entry's CR LF, and neither byte can
    // go on a GB18030 character, so each piece decodes exactly as it would within the whole report.
    constexpr qsizetype PieceSize = 256 * 1024;
    QByteArray piece;
    piece.reserve(PieceSize + 4096);
    bool written = true;
    const bool utf8 = TextFile::isUtf8(encoding);
    QByteArray bytes; // made again in the same buffer for every piece
    const auto writePiece = [&] {
        bytes.truncate(0);
        if (utf8)
            AnsiText::appendUtf8(bytes, piece);
        else
            bytes = TextFile::encode(AnsiText::toUnicode(piece), encoding);
        written = written && out.write(bytes) == bytes.size();
        piece.truncate(0);
    };
    ExportNotesToText(notes, stamp, [&](QByteArrayView entry) {
        piece.append(entry).append("\r\n", 2);
        if (piece.size() >= PieceSize)
            writePiece();
    });
    writePiece();
    return written;
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
