#include "platform/HolderChannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int CallTimeoutMs = 3000;
constexpr char Taken[] = "ok\n";
// A token is short; more than this is not a caller of ours.
constexpr qint64 MaxRequest = 4096;

} // namespace

HolderChannel::HolderChannel(QObject* parent) : QObject(parent) {}

QString HolderChannel::serverName(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    // The home folder stands for the user on both systems; local sockets of other users must not meet.
    const QByteArray key =
        (QDir::homePath() + QLatin1Char('\n') + (canonical.isEmpty() ? info.absoluteFilePath() : canonical))
            .toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return QStringLiteral("quillet-") + QString::fromLatin1(hash);
}

void HolderChannel::listenFor(const QString& fileName)
{
    if (fileName == m_fileName && (fileName.isEmpty() || (m_server && m_server->isListening())))
        return;
    delete m_server;
    m_server = nullptr;
    m_fileName = fileName;
    if (fileName.isEmpty())
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(fileName);
    // A socket left behind by a Quillet that ended without closing it would refuse the name.
    if (!m_server->listen(name) && m_server->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(name);
        m_server->listen(name);
    }
    connect(m_server, &QLocalServer::newConnection, this, &HolderChannel::answer);
}

void HolderChannel::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > MaxRequest)
                    socket->abort();
                return;
            }
            const QByteArray token = socket->readLine(MaxRequest).trimmed();
            socket->write(Taken);
            socket->disconnectFromServer();
            Q_EMIT called(token);
        });
    }
}

bool HolderChannel::callHolder(const QString& fileName, const QByteArray& activationToken)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(fileName));
    if (!socket.waitForConnected(CallTimeoutMs))
        return false;
    socket.write(QByteArray(activationToken).replace('\n', QByteArray()) + '\n');
    if (!socket.waitForBytesWritten(CallTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(CallTimeoutMs))
            return false;
    }
    return socket.readLine() == Taken;
}
