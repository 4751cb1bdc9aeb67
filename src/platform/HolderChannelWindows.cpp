#include "platform/HolderChannel.h"

// The Windows build's Qt has no local sockets: a second Quillet there keeps its own window.
HolderChannel::HolderChannel(QObject* parent) : QObject(parent) {}

void HolderChannel::listenFor(const QString& fileName)
{
    m_fileName = fileName;
}

bool HolderChannel::callHolder(const QString& fileName, const QByteArray& activationToken)
{
    Q_UNUSED(fileName);
    Q_UNUSED(activationToken);
    return false;
}

QString HolderChannel::serverName(const QString& fileName)
{
    Q_UNUSED(fileName);
    return {};
}
