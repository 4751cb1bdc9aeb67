#pragma once

#include <QString>

class QTime;

namespace SharedSrc {

// The trace call every routine starts with. `name` must be a string literal ("TMainForm.FormCreate"):
// only the pointer is kept. In debug mode (the "debug" switch on the command line) it also appends a
// numbered, timed line to the debug log beside the program.
void DebugLog(const char* name);

// The name most recently passed to DebugLog; empty before the first call.
QString LastTraceName();

// True when the program's command line holds the "debug" switch.
bool IsDebugMode();

} // namespace SharedSrc

// The debug log file "qltdbg.dat": a header line, an empty line, then one numbered entry per trace.
// Entries are appended; the file is never rewritten as a whole.
class TraceLogFile
{
public:
    static constexpr char FileName[] = "qltdbg.dat";

    // Appends "N. name [time]" where N is the number of lines the file holds (1 for a new file, whose
    // header is written first). Returns false when the file cannot be written.
    static bool append(const QString& path, const char* name, const QTime& time);
};
