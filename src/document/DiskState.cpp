#include "document/DiskState.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

namespace {

// The bytes are hashed in pieces, each seeding the next, so a file is hashed as it is read, without a
// second copy of it in memory. A fast 64-bit hash: it tells changes apart, nobody forges them here.
constexpr qsizetype Piece = 1024 * 1024;

} // namespace

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
    size_t hash = 0;
    for (qsizetype at = 0; at < bytes.size(); at += Piece)
        hash = qHash(bytes.sliced(at, std::min(Piece, bytes.size() - at)), hash);
    return QByteArray::number(quint64(hash), 16);
}

QByteArray DiskState::hashOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    size_t hash = 0;
    QByteArray piece(Piece, Qt::Uninitialized);
    // A regular file gives whole pieces until its end, the same pieces as hashOf cuts.
    for (qint64 read = Piece; read == Piece;) {
        read = file.read(piece.data(), Piece);
        if (read < 0)
            return {};
        if (read > 0)
            hash = qHash(QByteArrayView(piece.constData(), read), hash);
    }
    return QByteArray::number(quint64(hash), 16);
}
