#include "cli/CliDocument.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/CliOutput.h"
#include "cli/PasswordSource.h"
#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"

#include <QFileInfo>

namespace {

// A terminal is asked once; a wrong password ends the run, where the window would ask again.
class CliQuestions : public NotesDocument::OpenQuestions
{
public:
    CliQuestions(std::function<QByteArray()> askPassword, CliDocument::WindowLock windowLock)
        : m_askPassword(std::move(askPassword)), m_windowLock(windowLock)
    {}

    bool openDespiteLock() override { return m_windowLock == CliDocument::WindowLock::Ignore; }

    std::optional<QByteArray> password(const NotesDocument::PasswordTest&) override
    {
        return m_askPassword();
    }

private:
    const std::function<QByteArray()> m_askPassword;
    const CliDocument::WindowLock m_windowLock;
};

// The window's messages put a CR between their parts; on a terminal that is a line break.
QString lineBroken(QString message)
{
    return message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void throwUnlessOpened(const NotesDocument::OpenResult& result, const QString& path)
{
    if (result.status == NotesDocument::OpenStatus::Opened)
        return;
    if (result.status == NotesDocument::OpenStatus::LockedByOther)
        throw CliFailure(DocumentMessages::openInWindow(result.holder) + u'\n' + CliMessages::forceHint());
    throw CliFailure(lineBroken(DocumentMessages::openFailure(result, path)));
}

std::function<QByteArray()> askFrom(PasswordSource& passwords)
{
    return [&passwords] { return passwords.next(CliMessages::passwordPrompt()); };
}

} // namespace

namespace CliDocument {

void open(NotesDocument& document, const QString& path, PasswordSource& passwords, Missing missing,
          WindowLock windowLock)
{
    CliQuestions questions(askFrom(passwords), windowLock);
    const NotesDocument::OpenResult result = document.open(path, questions);
    // A link that leads nowhere (or to itself) is no file to make: the new file would replace the link.
    if (result.status == NotesDocument::OpenStatus::Missing && missing == Missing::CreateEmpty &&
        !QFileInfo(path).isSymLink())
        return;
    throwUnlessOpened(result, path);
}

void open(NotesDocument& document, const QString& path, const std::function<QByteArray()>& askPassword,
          const QString& refusal, WindowLock windowLock)
{
    CliQuestions questions(askPassword, windowLock);
    const NotesDocument::OpenResult result = document.open(path, questions);
    if (result.status == NotesDocument::OpenStatus::WrongPassword)
        throw CliFailure(refusal);
    throwUnlessOpened(result, path);
}

void merge(NotesDocument& document, const QString& path, PasswordSource& passwords)
{
    CliQuestions questions(askFrom(passwords), WindowLock::Honour);
    throwUnlessOpened(document.merge(path, questions), path);
}

void save(NotesDocument& document, const QString& path)
{
    const NotesDocument::SaveResult result = document.save(path);
    if (result.changedOnDisk)
        throw CliFailure(lineBroken(DocumentMessages::changedOnDisk(path)));
    if (!result.saved)
        throw CliFailure(DocumentMessages::cannotSave(result.error));
    // The change is made; what else arrived is kept, and the user told where.
    if (!result.otherVersionKeptAs.isEmpty())
        CliOutput::printErr(DocumentMessages::otherVersionKept(result.otherVersionKeptAs) + u'\n');
}

} // namespace CliDocument
