#include "document/DiskState.h"

#include "shared/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

// Each piece seeds the next, so a file is hashed as it is read, without a second copy of it in memory. A
// fast 64-bit hash: it tells changes apart, nobody forges them here.
void DiskState::Hash::add(QByteArrayView piece)
{
    m_value = qHash(piece, m_value);
}

QByteArray DiskState::Hash::value() const
{
    return QByteArray::number(quint64(m_value), 16);
}

DiskState DiskState::of(const QString& path, qint64 size, const Hash& hash)
{
    DiskState state;
    state.m_known = true;
    state.m_stamp = stampOf(path);
    // Written again between the read and this look: the stamp is not that of these bytes, so leave it
    // to the hash to judge.
    if (state.m_stamp.size != size)
        state.m_stamp = Stamp();
    state.m_hash = hash.value();
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

DiskState DiskState::notOurs()
{
    DiskState state;
    state.m_known = true;
    return state;
}

bool DiskState::changedOn(const QString& path) const
{
    return m_known && changedSince(stampOf(path), path);
}

bool DiskState::changedOnceMovedTo(const QString& path) const
{
    if (!m_known)
        return false;
    Stamp now = stampOf(path);
    if (now.size >= 0)
        now.statusChanged = m_stamp.statusChanged;
    return changedSince(now, path);
}

// Whether `path`, whose stamp is `now`, holds other bytes: only a stamp unlike ours has the file read.
bool DiskState::changedSince(const Stamp& now, const QString& path) const
{
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

QByteArray DiskState::hashOfFile(const QString& path)
{
    // A pipe put in the file's place would never end the read.
    QFile file;
    QString reason;
    if (RegularFile::openToRead(file, path, &reason) != RegularFile::Opened::Yes)
        return {};
    Hash hash;
    QByteArray piece(Hash::Piece, Qt::Uninitialized);
    // A regular file gives whole pieces until its end.
    for (qint64 read = Hash::Piece; read == Hash::Piece;) {
        read = file.read(piece.data(), Hash::Piece);
        if (read < 0)
            return {};
        if (read > 0)
            hash.add(QByteArrayView(piece.constData(), read));
    }
    return hash.value();
}
