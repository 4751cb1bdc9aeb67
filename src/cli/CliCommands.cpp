#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliDocument.h"
#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/CliNoteText.h"
#include "cli/CliOutput.h"
#include "cli/PasswordSource.h"
#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"
#include "document/QltFile.h"
#include "document/TextReport.h"
#include "shared/AnsiText.h"
#include "shared/NoteFields.h"
#include "shared/TextFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace CliCommands {
namespace {

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
    NotesDocument document;
    CliDocument::open(document, request.operands.at(0), passwords);
    const QList<Note>& notes = document.notes();
    // Printed a piece at a time: the whole list as one text would hold every note a second time.
    QByteArray pending;
    const auto print = [&pending](const QByteArray& piece) {
        pending += piece;
        if (pending.size() >= 65536) {
            CliOutput::writeOutBytes(pending);
            pending.clear();
        }
    };
    if (request.json) {
        // The objects joined as QJsonDocument joins an array's, one at a time.
        print("[");
        for (qsizetype i = 0; i < notes.size(); ++i) {
            const Note& note = notes.at(i);
            const QJsonObject object{
                {QStringLiteral("text"), AnsiText::toUnicode(note.text)},
                {QStringLiteral("priority"), int(SharedSrc::GetPriorityByText(note.priority))},
                {QStringLiteral("done"), note.isDone()},
            };
            print((i > 0 ? "," : "") + QJsonDocument(object).toJson(QJsonDocument::Compact));
        }
        print("]\n");
    } else {
        for (qsizetype i = 0; i < notes.size(); ++i) {
            const Note& note = notes.at(i);
            print(QStringLiteral("%1. %2 %3 %4\n")
                      .arg(QString::number(i + 1),
                           note.isDone() ? QStringLiteral("[x]") : QStringLiteral("[ ]"),
                           CliNoteText::forListLine(note.priority),
                           CliNoteText::forListLine(SharedSrc::ExtractCaption(note.text)))
                      .toUtf8());
        }
    }
    CliOutput::writeOutBytes(pending);
}

void show(const CliRequest& request, PasswordSource& passwords)
{
    CliNoteText::checkNoteNumber(request.operands.at(1));
    NotesDocument document;
    CliDocument::open(document, request.operands.at(0), passwords);
    const qsizetype index = CliNoteText::noteIndex(request.operands.at(1), document.notes().size());
    CliOutput::printOut(CliNoteText::forTerminal(document.notes().at(index).text) + u'\n');
}

void exportReport(const CliRequest& request, PasswordSource& passwords)
{
    const QString& path = request.operands.at(0);
    const bool toFile = request.operands.size() > 1;
    // Writing the report over the notes file would lose every note in it.
    if (toFile && isSameFile(path, request.operands.at(1)))
        throw CliFailure(CliMessages::sameFileExport());
    NotesDocument document;
    CliDocument::open(document, path, passwords);
    QList<QByteArray> entries;
    ExportNotesToText(document.notes(), reportStamp(document.model().counts(), QDateTime::currentDateTime()),
                      entries);
    const QByteArray bytes =
        TextFile::encode(AnsiText::toUnicode(reportFileBytes(entries)), request.encoding);
    const bool written =
        toFile ? QltFile::writeAtomically(request.operands.at(1), bytes) : CliOutput::writeOutBytes(bytes);
    if (!written)
        throw CliFailure(DocumentMessages::cannotExport());
}

} // namespace CliCommands
