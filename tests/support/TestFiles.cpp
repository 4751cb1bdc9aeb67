#include "TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <filesystem>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

bool moveOver(const QString& from, const QString& to)
{
    // std::filesystem replaces an existing target on every system, unlike QFile::rename.
    std::error_code error;
    std::filesystem::rename(QFileInfo(from).filesystemFilePath(), QFileInfo(to).filesystemFilePath(), error);
    return !error;
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

#ifdef Q_OS_WIN
// Whether anyone holds `path` open, which in a test is this process: while anyone does, no one may open
// the file for himself alone.
bool isOpenHere(const QString& path)
{
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}
#else
// As the system lists this process's open files.
bool isOpenHere(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target)
            return true;
    }
    return false;
}
#endif
