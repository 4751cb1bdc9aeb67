#include "shared/ErrorLog.h"

#include "shared/AnsiText.h"
#include "shared/RegularFile.h"
#include "shared/Version.h"

#include <QFile>

namespace ErrorLog {
namespace {

const QString Separator(80, u'-');

void addLine(QString& text, const QString& line)
{
    text += line;
    text += u"\r\n";
}

QString headerText(const SystemDescription& system)
{
    QString text;
    addLine(text, QStringLiteral("Quillet error log."));
    addLine(text, QStringLiteral("You can send this file to ") + QLatin1String(Quillet::ContactEmail));
    addLine(text, QString());
    addLine(text, Separator);
    addLine(text, QStringLiteral("Version: ") + QLatin1String(Quillet::ProgramVersion));
    if (system.productName)
        addLine(text, QStringLiteral("Windows name: ") + *system.productName);
    addLine(text, QStringLiteral("Windows version: ") + system.version);
    addLine(text, Separator);
    addLine(text, QString());
    return text;
}

QString reportText(const FailureReport& report)
{
    QString text;
    addLine(text, Separator);
    addLine(text, QStringLiteral("Class name: ") + report.className);
    addLine(text, QStringLiteral("Function: ") + report.function);
    addLine(text, QStringLiteral("Error message: ") + report.message);
    addLine(text, Separator);
    addLine(text, QString());
    return text;
}

// True when the file's last byte ends a line (or the file is empty), so a report starts on its own line.
bool endsWithBreak(QFile& file, qint64 size)
{
    if (size == 0)
        return true;
    char last = 0;
    return file.seek(size - 1) && file.getChar(&last) && (last == '\n' || last == '\r');
}

bool append(const QString& path, const SystemDescription& system, const FailureReport& report)
{
    QFile file;
    // Creating the file exclusively decides, without a race, whether this report starts a new log.
    // Unbuffered: the text goes out in one write, and a failed one can be taken back at once.
    const bool created =
        RegularFile::open(file, path, QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered) ==
        RegularFile::Opened::Yes;
    if (!created && RegularFile::open(file, path,
                                      QIODevice::ReadWrite | QIODevice::Append | QIODevice::ExistingOnly |
                                          QIODevice::Unbuffered) != RegularFile::Opened::Yes)
        return false;
    const qint64 size = created ? 0 : file.size();
    QByteArray bytes;
    if (created)
        bytes = AnsiText::fromUnicode(headerText(system));
    else if (!endsWithBreak(file, size))
        bytes = "\r\n";
    bytes += AnsiText::fromUnicode(reportText(report));
    if (file.write(bytes) == bytes.size())
        return true;
    // Leave no half report behind; a log that this call created goes again, so the next report
    // brings the header.
    if (created) {
        file.close();
        QFile::remove(path);
    } else if (!file.isSequential())
        file.resize(size);
    return false;
}

} // namespace

bool appendReport(const QString& path, const SystemDescription& system, const FailureReport& report)
{
    // Called from the handler of last resort: nothing may escape from here.
    try {
        return append(path, system, report);
    } catch (...) {
        return false;
    }
}

} // namespace ErrorLog
