#include "cli/PasswordSource.h"

#include "cli/CliErrors.h"
#include "cli/CliMessages.h"
#include "cli/PasswordPrompt.h"
#include "shared/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

#ifdef Q_OS_UNIX
#include <langinfo.h>
#endif

namespace {

// The locale's encoding, which is the terminal's. The C locale's ASCII counts as UTF-8, as it does for
// Qt's file names, so that scripts run without a locale go on working.
QByteArray terminalEncoding()
{
#ifdef Q_OS_UNIX
    const QByteArray codeset = nl_langinfo(CODESET);
    if (codeset != "ANSI_X3.4-1968" && codeset != "US-ASCII" && QStringDecoder(codeset.constData()).isValid())
        return codeset;
#endif
    return "UTF-8";
}

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
    const QByteArray encoding = terminalEncoding();
    const std::optional<QString> text = decodeTyped(*typed, encoding);
    if (!text)
        throw CliFailure(
            QStringLiteral("密码不是终端编码 (%1) 的有效文本。").arg(QString::fromLatin1(encoding)));
    return AnsiText::fromUnicode(*text);
}
