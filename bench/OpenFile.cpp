#include "OpenFile.h"

#include "document/NotesDocument.h"

namespace {

class GivenPassword : public NotesDocument::OpenQuestions
{
public:
    explicit GivenPassword(const QByteArray& password) : m_password(password) {}
    std::optional<QByteArray> password(const NotesDocument::PasswordTest&) override { return m_password; }

private:
    const QByteArray m_password;
};

} // namespace

void openInto(NotesDocument& document, const QString& path, const QByteArray& password)
{
    GivenPassword questions(password);
    if (document.open(path, questions).status != NotesDocument::OpenStatus::Opened)
        qFatal("%s does not open", qPrintable(path));
}
