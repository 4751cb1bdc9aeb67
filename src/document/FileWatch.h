#pragma once

#include "document/DiskState.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells when a file may have changed on disk, also after it was replaced by a rename (atomic saves, sync
// engines), which ends a plain watch on the old file: its folder is watched too, and the file's watch is
// taken up again whenever a file of that name is back. A writer that truncates the file and writes it in
// pieces passes through shorter files that read well: the news waits until the file has stopped
// changing, the same size, times and bytes over a settling time.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    static constexpr int SettleTime = 400; // milliseconds

    explicit FileWatch(QObject* parent = nullptr);

    // Watches `path` from now on instead of what was watched; an empty path watches nothing.
    void watch(const QString& path);
    QString path() const { return m_path; }

Q_SIGNALS:
    // Something happened to the file or its folder, and the file has settled since; whether its bytes
    // changed is the listener's question.
    void touched();

private:
    void rearm();
    void settle();

    QFileSystemWatcher m_watcher;
    QString m_path;
    QTimer m_settling;
    DiskState m_lastSeen; // the file when the settling time last ran out
};
