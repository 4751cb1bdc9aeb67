#include "shared/CommandLine.h"

#include <QCoreApplication>

namespace CommandLine {

QStringList programArguments()
{
    return QCoreApplication::arguments().mid(1);
}

bool isSwitch(const QString& argument, QStringView name)
{
    if (argument.size() != name.size() + 1)
        return false;
    const QChar lead = argument.front();
    return (lead == u'-' || lead == u'/') &&
           QStringView(argument).mid(1).compare(name, Qt::CaseInsensitive) == 0;
}

bool hasSwitch(const QStringList& arguments, QStringView name)
{
    for (const QString& argument : arguments) {
        if (isSwitch(argument, name))
            return true;
    }
    return false;
}

} // namespace CommandLine
