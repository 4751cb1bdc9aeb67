#pragma once

#include "FuzzCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

// A file of this process in /dev/shm (memory, no disk wear), for the targets whose code reads only from
// disk: each input is written to it first. Removed at exit.
class ScratchFile
{
public:
    explicit ScratchFile(const char* name)
    {
        const QString dir =
            QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        m_path = QStringLiteral("%1/quillet-fuzz-%2-%3")
                     .arg(dir, QLatin1String(name))
                     .arg(QCoreApplication::applicationPid());
    }
    ~ScratchFile() { QFile::remove(m_path); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const QString& path() const { return m_path; }

    void write(const uint8_t* data, size_t size) const
    {
        QFile file(m_path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }

private:
    QString m_path;
};
