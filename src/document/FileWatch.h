#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

// Tells when a file may have changed on disk, also after it was replaced by a rename (atomic saves, sync
// engines), which ends a plain watch on the old file: its folder is watched too, and the file's watch is
// taken up again whenever a file of that name is back.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    explicit FileWatch(QObject* parent = nullptr);

    // Watches `path` from now on instead of what was watched; an empty path watches nothing.
    void watch(const QString& path);
    QString path() const { return m_path; }

Q_SIGNALS:
    // Something happened to the file or its folder; whether its bytes changed is the listener's question.
    void touched();

private:
    void rearm();

    QFileSystemWatcher m_watcher;
    QString m_path;
};
