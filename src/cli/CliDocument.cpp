#include "cli/CliDocument.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/PasswordSource.h"
#include "document/DocumentMessages.h"
#include "document/NotesDocument.h"

#include <QFileInfo>

namespace {

// A terminal is asked once; a wrong password ends the run, where the window would ask again.
class CliQuestions : public NotesDocument::OpenQuestions
{
public:
    explicit CliQuestions(std::function<QByteArray()> askPassword) : m_askPassword(std::move(askPassword)) {}

    std::optional<QByteArray> password(const std::function<bool(const QByteArray&)>&) override
    {
        return m_askPassword();
    }

private:
    const std::function<QByteArray()> m_askPassword;
};

void throwUnlessOpened(const NotesDocument::OpenResult& result, const QString& path)
{
    if (result.status == NotesDocument::OpenStatus::Opened)
        return;
    // The window's message puts a CR between its two parts; on a terminal that is a line break.
    QString message = DocumentMessages::openFailure(result, path);
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    throw CliFailure(message);
}

std::function<QByteArray()> askFrom(PasswordSource& passwords)
{
    return [&passwords] { return passwords.next(CliMessages::passwordPrompt()); };
}

} // namespace

namespace CliDocument {

void open(NotesDocument& document, const QString& path, PasswordSource& passwords, Missing missing)
{
    CliQuestions questions(askFrom(passwords));
    const NotesDocument::OpenResult result = document.open(path, questions);
    // A link that leads nowhere (or to itself) is no file to make: the new file would replace the link.
    if (result.status == NotesDocument::OpenStatus::Missing && missing == Missing::CreateEmpty &&
        !QFileInfo(path).isSymLink())
        return;
    throwUnlessOpened(result, path);
}

void open(NotesDocument& document, const QString& path, const std::function<QByteArray()>& askPassword,
          const QString& refusal)
{
    CliQuestions questions(askPassword);
    const NotesDocument::OpenResult result = document.open(path, questions);
    if (result.status == NotesDocument::OpenStatus::WrongPassword)
        throw CliFailure(refusal);
    throwUnlessOpened(result, path);
}

void merge(NotesDocument& document, const QString& path, PasswordSource& passwords)
{
    CliQuestions questions(askFrom(passwords));
    throwUnlessOpened(document.merge(path, questions), path);
}

void save(NotesDocument& document, const QString& path)
{
    if (const NotesDocument::SaveResult result = document.save(path); !result.saved)
        throw CliFailure(DocumentMessages::cannotSave(result.error));
}

} // namespace CliDocument
