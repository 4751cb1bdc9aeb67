#include "platform/HolderChannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

HolderChannel::HolderChannel(QObject* parent) : QObject(parent) {}

QString HolderChannel::serverName(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    // The home folder stands for the user on both systems; channels of other users must not meet.
    const QByteArray key =
        (QDir::homePath() + QLatin1Char('\n') + (canonical.isEmpty() ? info.absoluteFilePath() : canonical))
            .toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return QStringLiteral("quillet-") + QString::fromLatin1(hash);
}
