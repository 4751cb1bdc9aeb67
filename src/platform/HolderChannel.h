#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Between two Quillet processes of one user on one file. The window that holds the file listens on a
// local channel named after the user and the file; a second Quillet started on that file whose user
// declines to open it twice asks the holder to come to the front instead, handing over what lets a
// window take the focus (an activation token on Wayland), so that the user is never left without it.
// A local socket on Linux, a named pipe on Windows; the same bytes go over both.
class HolderChannel : public QObject
{
    Q_OBJECT

public:
    explicit HolderChannel(QObject* parent = nullptr);

    // Listens for callers of `fileName`, or for none when it is empty.
    void listenFor(const QString& fileName);
    QString listeningFor() const { return m_fileName; }

    // Asks the window that holds `fileName` to come to the front; true once it has taken the call.
    static bool callHolder(const QString& fileName, const QByteArray& activationToken);

    // The channel's name: one per user and file, the same for every spelling of the file's path.
    static QString serverName(const QString& fileName);

Q_SIGNALS:
    // A second Quillet asks this window to the front; `activationToken` may be empty.
    void called(const QByteArray& activationToken);

private:
    // The system's end of the channel, which answers callers; each system's source defines it.
    class Listener;

    Listener* m_listener = nullptr;
    QString m_fileName;
};
