#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliDocument.h"
#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/CliNoteText.h"
#include "cli/CliOutput.h"
#include "cli/PasswordSource.h"
#include "document/NotesModel.h"
#include "document/QltFile.h"
#include "document/TextReport.h"
#include "shared/AnsiText.h"
#include "shared/LocaleFormats.h"
#include "shared/NoteFields.h"
#include "shared/TextFile.h"

#include <QDate>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>

namespace CliCommands {
namespace {

// The counts as the window's status bar words them, which is what the report repeats.
ReportStamp reportStamp(const QList<Note>& notes)
{
    NotesModel model;
    model.appendNotes(notes);
    const NoteCounts counts = model.counts();
    ReportStamp stamp;
    stamp.totalText = AnsiText::fromUnicode(QStringLiteral("总计: ") + QString::number(counts.total));
    stamp.doneText = AnsiText::fromUnicode(QStringLiteral("完成: ") + QString::number(counts.done));
    stamp.notDoneText = AnsiText::fromUnicode(QStringLiteral("未完成: ") + QString::number(counts.notDone));
    // Date first, the time just after it.
    stamp.date = AnsiText::fromUnicode(LocaleFormats::shortDate(QDate::currentDate()));
    stamp.time = AnsiText::fromUnicode(LocaleFormats::longTime(QTime::currentTime()));
    return stamp;
}

bool isSameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

void run(const CliRequest& request)
{
    PasswordSource passwords(request.passwordStdin);
    switch (request.command) {
    case CliCommand::List:
        return list(request, passwords);
    case CliCommand::Show:
        return show(request, passwords);
    case CliCommand::Export:
        return exportReport(request, passwords);
    case CliCommand::Add:
        return add(request, passwords);
    case CliCommand::Done:
        return toggleDone(request, passwords);
    case CliCommand::Remove:
        return remove(request, passwords);
    case CliCommand::Import:
        return import(request, passwords);
    case CliCommand::Passwd:
        return passwd(request, passwords);
    }
}

void list(const CliRequest& request, PasswordSource& passwords)
{
    const CliDocument document = CliDocument::open(request.operands.at(0), passwords);
    if (request.json) {
        QJsonArray array;
        for (const Note& note : document.notes) {
            array.append(QJsonObject{
                {QStringLiteral("text"), AnsiText::toUnicode(note.text)},
                {QStringLiteral("priority"), int(SharedSrc::GetPriorityByText(note.priority))},
                {QStringLiteral("done"), note.isDone()},
            });
        }
        CliOutput::printOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + u'\n');
        return;
    }
    QString lines;
    for (qsizetype i = 0; i < document.notes.size(); ++i) {
        const Note& note = document.notes.at(i);
        lines +=
            QStringLiteral("%1. %2 %3 %4\n")
                .arg(QString::number(i + 1), note.isDone() ? QStringLiteral("[x]") : QStringLiteral("[ ]"),
                     CliNoteText::forListLine(note.priority),
                     CliNoteText::forListLine(SharedSrc::ExtractCaption(note.text)));
    }
    CliOutput::printOut(lines);
}

void show(const CliRequest& request, PasswordSource& passwords)
{
    CliNoteText::checkNoteNumber(request.operands.at(1));
    const CliDocument document = CliDocument::open(request.operands.at(0), passwords);
    const qsizetype index = CliNoteText::noteIndex(request.operands.at(1), document.notes.size());
    CliOutput::printOut(CliNoteText::forTerminal(document.notes.at(index).text) + u'\n');
}

void exportReport(const CliRequest& request, PasswordSource& passwords)
{
    const QString& path = request.operands.at(0);
    const bool toFile = request.operands.size() > 1;
    // Writing the report over the notes file would lose every note in it.
    if (toFile && isSameFile(path, request.operands.at(1)))
        throw CliFailure(CliMessages::sameFileExport());
    const CliDocument document = CliDocument::open(path, passwords);
    QList<QByteArray> entries;
    ExportNotesToText(document.notes, reportStamp(document.notes), entries);
    const QByteArray bytes =
        TextFile::encode(AnsiText::toUnicode(reportFileBytes(entries)), request.encoding);
    const bool written =
        toFile ? QltFile::writeAtomically(request.operands.at(1), bytes) : CliOutput::writeOutBytes(bytes);
    if (!written)
        throw CliFailure(CliMessages::cannotExport());
}

} // namespace CliCommands
