#include "document/DiskState.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr auto Algorithm = QCryptographicHash::Sha1; // tells changes apart; nobody forges them here
}

DiskState DiskState::of(const QString& path, QByteArrayView bytes)
{
    DiskState state;
    state.m_known = true;
    state.m_stamp = stampOf(path);
    // Written again between the read and this look: the stamp is not that of these bytes, so leave it
    // to the hash to judge.
    if (state.m_stamp.size != bytes.size())
        state.m_stamp = Stamp();
    state.m_hash = hashOf(bytes);
    return state;
}

DiskState DiskState::read(const QString& path)
{
    DiskState state;
    state.m_stamp = stampOf(path);
    state.m_hash = hashOfFile(path);
    state.m_known = !state.m_hash.isEmpty();
    return state;
}

bool DiskState::changedOn(const QString& path) const
{
    if (!m_known)
        return false;
    const Stamp now = stampOf(path);
    if (now.size < 0 || now == m_stamp)
        return false;
    const QByteArray hash = hashOfFile(path);
    return hash.isEmpty() ? QFileInfo::exists(path) : hash != m_hash;
}

DiskState::Stamp DiskState::stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return {info.size(), info.lastModified(), info.birthTime(), info.metadataChangeTime()};
}

QByteArray DiskState::hashOf(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, Algorithm);
}

QByteArray DiskState::hashOfFile(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(Algorithm);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}
