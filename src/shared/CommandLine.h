#pragma once

#include <QStringList>

// Command-line switches are "-name" or "/name" in any letter case, at any position.
namespace CommandLine {

// The arguments after the program name.
QStringList programArguments();

bool isSwitch(const QString& argument, QStringView name);
bool hasSwitch(const QStringList& arguments, QStringView name);

} // namespace CommandLine
