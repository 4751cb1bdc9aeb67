#include "ProgramFolders.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

bool useProgramFolders(const QString& dir)
{
    if (dir.isEmpty())
        return false;
    qputenv("QUILLET_APPDIR", QFile::encodeName(dir));
    for (const char* kind : {"CONFIG", "DATA", "CACHE"}) {
        const QString folder = QDir(dir).filePath(QString::fromLatin1(kind).toLower());
        qputenv((QByteArray("XDG_") + kind + "_HOME").constData(), QFile::encodeName(folder));
    }
    return true;
}
