#include "cli/PasswordSource.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/PasswordPrompt.h"
#include "platform/Console.h"
#include "shared/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace {

// Nothing when `typed` is not text of `encoding`: turned into replacement characters, it would make a
// password that any other invalid bytes open as well.
std::optional<QString> decodeTyped(const QByteArray& typed, const QByteArray& encoding)
{
    QStringDecoder decoder(encoding.constData(), QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(typed);
    QStringEncoder encoder(encoding.constData());
    const QByteArray again = encoder.encode(text);
    if (decoder.hasError() || encoder.hasError() || again != typed)
        return std::nullopt;
    return text;
}

} // namespace

QByteArray PasswordSource::next(const QString& prompt)
{
    std::optional<QByteArray> typed;
    if (m_fromStdin) {
        // A missing line is not taken as an empty password: for passwd that would quietly remove it.
        typed = PasswordPrompt::readLine();
        if (!typed)
            throw CliFailure(CliMessages::passwordLineMissing());
    } else {
        if (!PasswordPrompt::isTerminal())
            throw CliFailure(CliMessages::passwordNeedsTerminal());
        typed = PasswordPrompt::readHidden(prompt);
        if (!typed)
            throw CliFailure(CliMessages::passwordNotEntered());
    }
    const QByteArray encoding = Console::inputEncoding();
    const std::optional<QString> text = decodeTyped(*typed, encoding);
    if (!text)
        throw CliFailure(
            QStringLiteral("密码不是终端编码 (%1) 的有效文本。").arg(QString::fromLatin1(encoding)));
    return AnsiText::fromUnicode(*text);
}
