#pragma once

#include "document/Note.h"
#include "shared/TextFile.h"

#include <QByteArray>
#include <QList>

#include <functional>

class QDateTime;
class QIODevice;
struct NoteCounts;

// The plain-text report of the export command. Entries are ANSI byte strings; written out, each is
// followed by CR LF.
struct ReportStamp
{
    QByteArray totalText;   // "总计: N" as the status bar shows it
    QByteArray doneText;    // "完成: N"
    QByteArray notDoneText; // "未完成: N"
    QByteArray date;        // the user's short date
    QByteArray time;        // the user's long time
};

// The stamp for `counts` at `now`: the counts as the status bar words them, the date and time in the
// user's formats. One reading of the clock, so that a report made at midnight cannot pair one day's date
// with the next day's time.
ReportStamp reportStamp(const NoteCounts& counts, const QDateTime& now);

// Gives the report's entries to `entry` one at a time, in order; a view lasts until the next call.
void ExportNotesToText(const QList<Note>& notes, const ReportStamp& stamp,
                       const std::function<void(QByteArrayView)>& entry);
// Appends the report's entries to `list`.
void ExportNotesToText(const QList<Note>& notes, const ReportStamp& stamp, QList<QByteArray>& list);

// The report file's bytes in `encoding`, written to `out` as they are made: the same bytes as
// reportFileBytes converted as a whole, without ever holding the whole report. False when a write fails.
bool writeReport(QIODevice& out, const QList<Note>& notes, const ReportStamp& stamp,
                 TextFile::Encoding encoding = TextFile::Encoding::Locale);

// The entries joined into the report file's bytes, each followed by CR LF.
QByteArray reportFileBytes(const QList<QByteArray>& list);
