#pragma once

#include "document/Protection.h"
#include "shared/TextFile.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class CliCommand
{
    List,
    Show,
    Export,
    Add,
    Done,
    Remove,
    Import,
    Passwd,
};

// One call of quillet-cli, checked against the command's arguments and options.
struct CliRequest
{
    bool help = false;    // --help: nothing else is looked at
    bool version = false; // --version: likewise
    CliCommand command = CliCommand::List;
    QStringList operands; // after the command name: FILE first
    bool json = false;
    bool passwordStdin = false;
    int priority = 1;
    bool done = false;
    TextFile::Encoding encoding = TextFile::Encoding::Locale; // of the export report
    bool force = false;                                       // write even while a window has the file open
    std::optional<Protection::Kind> protection;               // passwd: --strong or --classic
};

// `arguments` without the program name. Throws UsageError for anything that is not a valid call.
CliRequest parseCliArguments(const QStringList& arguments);

QString cliUsageText();
