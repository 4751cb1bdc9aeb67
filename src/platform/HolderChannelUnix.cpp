#include "platform/HolderChannel.h"
#include "platform/HolderChannelWire.h"

#include <QLocalServer>
#include <QLocalSocket>

using namespace HolderChannelWire;

// A local socket only this user may open; each caller sends its line and is answered at once.
class HolderChannel::Listener : public QLocalServer
{
public:
    explicit Listener(HolderChannel* channel) : QLocalServer(channel)
    {
        setSocketOptions(QLocalServer::UserAccessOption);
        connect(this, &QLocalServer::newConnection, this, [this, channel] { answer(channel); });
    }

private:
    void answer(HolderChannel* channel)
    {
        while (QLocalSocket* socket = nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, channel, [channel, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > MaxRequest)
                        socket->abort();
                    return;
                }
                const QByteArray token = socket->readLine(MaxRequest).trimmed();
                socket->write(Taken);
                socket->disconnectFromServer();
                Q_EMIT channel->called(token);
            });
        }
    }
};

void HolderChannel::listenFor(const QString& fileName)
{
    if (fileName == m_fileName && (fileName.isEmpty() || (m_listener && m_listener->isListening())))
        return;
    delete m_listener;
    m_listener = nullptr;
    m_fileName = fileName;
    if (fileName.isEmpty())
        return;
    m_listener = new Listener(this);
    const QString name = serverName(fileName);
    // A socket left behind by a Quillet that ended without closing it would refuse the name.
    if (!m_listener->listen(name) && m_listener->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(name);
        m_listener->listen(name);
    }
}

bool HolderChannel::callHolder(const QString& fileName, const QByteArray& activationToken)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(fileName));
    if (!socket.waitForConnected(CallTimeoutMs))
        return false;
    socket.write(request(activationToken));
    if (!socket.waitForBytesWritten(CallTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(CallTimeoutMs))
            return false;
    }
    return socket.readLine() == Taken;
}
