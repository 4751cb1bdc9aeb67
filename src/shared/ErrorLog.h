#pragma once

#include <QString>

#include <optional>

// What the error log's header says about the system.
struct SystemDescription
{
    std::optional<QString> productName; // "Windows name: " line; left out when unknown
    QString version;                    // "Windows version: " text, "%d.%d Build %d %s"
};

struct FailureReport
{
    QString className;
    QString function; // the last trace name
    QString message;
};

// "ErrorLog.txt": a header written once when the file is created, then one report per failure, appended.
namespace ErrorLog {
// Appends the report, in the program's code page with CR LF lines, after the header when the file is new.
// Returns false when the log cannot be written, leaving the file as it was; never throws.
bool appendReport(const QString& path, const SystemDescription& system, const FailureReport& report);
} // namespace ErrorLog
