#include "document/HashedWrite.h"

#include <algorithm>

HashedWrite::HashedWrite(QIODevice& out) : m_out(out)
{
    m_piece.reserve(DiskState::Hash::Piece);
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 HashedWrite::writeData(const char* data, qint64 size)
{
    if (m_out.write(data, size) != size)
        return -1;
    m_written += size;
    // The hash is taken a whole piece at a time, as the file is read.
    for (qint64 taken = 0; taken < size;) {
        const qint64 part = std::min(size - taken, qint64(DiskState::Hash::Piece - m_piece.size()));
        m_piece.append(data + taken, part);
        taken += part;
        if (m_piece.size() == DiskState::Hash::Piece) {
            m_hash.add(m_piece);
            m_piece.resize(0);
        }
    }
    return size;
}

DiskState::Hash HashedWrite::hash()
{
    if (!m_piece.isEmpty()) {
        m_hash.add(m_piece);
        m_piece.resize(0);
    }
    return m_hash;
}
