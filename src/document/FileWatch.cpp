#include "document/FileWatch.h"

#include <QFileInfo>

FileWatch::FileWatch(QObject* parent) : QObject(parent)
{
    const auto changed = [this] {
        rearm();
        Q_EMIT touched();
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
    if (!path.isEmpty())
        m_watcher.addPath(QFileInfo(path).absolutePath());
    rearm();
}

void FileWatch::rearm()
{
    if (!m_path.isEmpty() && !m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}
