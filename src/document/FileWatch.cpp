#include "document/FileWatch.h"

#include <QFileInfo>

FileWatch::FileWatch(QObject* parent) : QObject(parent)
{
    m_settling.setSingleShot(true);
    m_settling.setInterval(SettleTime);
    connect(&m_settling, &QTimer::timeout, this, &FileWatch::settle);
    // Every sign of a write starts the settling time again.
    const auto changed = [this] {
        rearm();
        m_settling.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
}

void FileWatch::watch(const QString& path)
{
    if (path == m_path) {
        rearm();
        return;
    }
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_path = path;
    m_settling.stop();
    m_lastSeen = DiskState();
    if (!path.isEmpty())
        m_watcher.addPath(QFileInfo(path).absolutePath());
    rearm();
}

void FileWatch::rearm()
{
    if (!m_path.isEmpty() && !m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

// A file the same as a settling time ago has settled; one that is not gets another settling time.
void FileWatch::settle()
{
    const DiskState now = DiskState::read(m_path);
    if (now == m_lastSeen) {
        Q_EMIT touched();
        return;
    }
    m_lastSeen = now;
    m_settling.start();
}
