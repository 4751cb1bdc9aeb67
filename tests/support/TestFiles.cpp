#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

qint64 endedProcessId()
{
    // Any program will do that ends at once without a display: this test itself, asked for its version.
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("-help")});
    const qint64 id = process.waitForStarted() ? process.processId() : 0;
    process.waitForFinished();
    return id;
}
