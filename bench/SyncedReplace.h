#pragma once

#include <QByteArray>

#include <fcntl.h>
#include <unistd.h>

// The least a save of `bytes` over `target` cannot do without: written into `temporary`, synced with
// fdatasync and renamed over the target. False when any step fails.
inline bool writeSyncedAndReplace(const QByteArray& bytes, const QByteArray& temporary,
                                  const QByteArray& target)
{
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    qsizetype written = 0;
    while (fd >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n <= 0)
            break;
        written += n;
    }
    const bool synced = fd >= 0 && written == bytes.size() && ::fdatasync(fd) == 0;
    return fd >= 0 && ::close(fd) == 0 && synced && ::rename(temporary.constData(), target.constData()) == 0;
}
