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
#include "document/ParallelWork.h"
#include "document/QltFile.h"
#include "document/TextReport.h"
#include "shared/AnsiText.h"
#include "shared/NoteFields.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace CliCommands {
namespace {

// The lines of `list` for notes [first, first + count), "N. [x] priority caption", in UTF-8 made straight
// from the notes' bytes.
QByteArray listLines(const QList<Note>& notes, qsizetype first, qsizetype count)
{
    QList<std::pair<QByteArray, QByteArray>> priorities; // each name as a line shows it
    const auto priorityText = [&priorities](const QByteArray& name) -> const QByteArray& {
        for (const auto& [bytes, text] : std::as_const(priorities)) {
            // The loaded notes share the four names' bytes: mostly the same address.
            if (bytes.constData() == name.constData() || bytes == name)
                return text;
        }
        priorities.append({name, CliNoteText::forListLine(name).toUtf8()});
        return priorities.constLast().second;
    };
    QByteArray lines;
    qsizetype used = 0;
    for (qsizetype i = first; i < first + count; ++i) {
        const Note& note = notes.at(i);
        const QByteArrayView caption = SharedSrc::captionOf(note.text);
        const QByteArray& priority = priorityText(note.priority);
        // The longest line this note can give.
        const qsizetype room = 32 + priority.size() + AnsiText::maxUtf8Size(caption.size());
        if (used + room > lines.size())
            lines.resize(std::max(2 * lines.size(), used + room));
        char* const line = lines.data() + used;
        char* to = std::to_chars(line, line + 24, i + 1).ptr;
        std::memcpy(to, note.isDone() ? ". [x] " : ". [ ] ", 6);
        to += 6;
        std::memcpy(to, priority.constData(), size_t(priority.size()));
        to += priority.size();
        *to++ = ' ';
        to += CliNoteText::writeListCaption(caption, to);
        *to++ = '\n';
        used += to - line;
    }
    lines.resize(used);
    return lines;
}

// Printed a run of notes at a time, made on all cores; the whole list as one text would hold every note
// a second time.
void printListLines(const QList<Note>& notes)
{
    constexpr qsizetype Run = 8 * ParallelWork::MinShare;
    for (qsizetype first = 0; first < notes.size(); first += Run) {
        const std::vector<QByteArray> pieces =
            ParallelWork::inShares(std::min(Run, notes.size() - first), [&](qsizetype from, qsizetype count) {
                return listLines(notes, first + from, count);
            });
        for (const QByteArray& piece : pieces)
            CliOutput::writeOutText(piece);
    }
}

// `list --json`, printed a piece at a time: the whole list as one text would hold every note a second time.
void printJson(const QList<Note>& notes)
{
    QByteArray pending;
    const auto print = [&pending](const QByteArray& piece) {
        pending += piece;
        if (pending.size() >= 65536) {
            CliOutput::writeOutBytes(pending);
            pending.clear();
        }
    };
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
    CliOutput::writeOutBytes(pending);
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
    if (request.json)
        printJson(document.notes());
    else
        printListLines(document.notes());
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
    if (toFile && QltFile::isSameFile(path, request.operands.at(1)))
        throw CliFailure(DocumentMessages::exportOverNotesFile());
    NotesDocument document;
    CliDocument::open(document, path, passwords);
    const ReportStamp stamp = reportStamp(document.model().counts(), QDateTime::currentDateTime());
    // Written as it is made: the report of a long list is many times the notes file.
    const auto writeContent = [&](QIODevice& out) {
        return writeReport(out, document.notes(), stamp, request.encoding);
    };
    // The notes of a protected list are private, in the report too.
    const QltFile::NewFile newFile =
        document.password().isEmpty() ? QltFile::NewFile::FollowUmask : QltFile::NewFile::OwnerOnly;
    const bool written =
        toFile ? QltFile::writeAtomically(request.operands.at(1), writeContent, nullptr, newFile)
               : CliOutput::writeOut(writeContent);
    if (!written)
        throw CliFailure(DocumentMessages::cannotExport());
}

} // namespace CliCommands
