#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// What a careless or hostile user can leave where the program keeps its own files (settings, logs):
// a path under each name must be refused without blocking, and what it points at left alone.
namespace PlantedFiles {

// Names relative to the folder given to plant().
inline QStringList names()
{
    QStringList names = {QStringLiteral("no such folder/file"), QStringLiteral("plain file/file"),
                         QStringLiteral("folder")};
#ifdef Q_OS_UNIX
    names += {QStringLiteral("link to plain file"), QStringLiteral("link to nothing"),
              QStringLiteral("link to dev zero"), QStringLiteral("pipe")};
#endif
    return names;
}

// "plain file" holding "x", an empty "folder", and the links and the pipe of names().
inline void plant(const QString& folder)
{
    const QDir dir(folder);
    QFile plain(dir.filePath(QStringLiteral("plain file")));
    QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("x") == 1);
    QVERIFY(dir.mkdir(QStringLiteral("folder")));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("plain file")),
                        dir.filePath(QStringLiteral("link to plain file"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nothing")),
                        dir.filePath(QStringLiteral("link to nothing"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("link to dev zero"))));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
#endif
}

// One data row per name, in the column "relativePath".
inline void addRows()
{
    QTest::addColumn<QString>("relativePath");
    for (const QString& name : names())
        QTest::newRow(qPrintable(name)) << name;
}

inline void verifyUntouched(const QString& folder)
{
    const QDir dir(folder);
    QFile plain(dir.filePath(QStringLiteral("plain file")));
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), QByteArray("x"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
    QVERIFY(!dir.exists(QStringLiteral("no such folder")));
    QVERIFY(!dir.exists(QStringLiteral("nothing")));
}

} // namespace PlantedFiles
