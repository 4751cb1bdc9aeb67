#pragma once

#include "document/DiskState.h"

#include <QByteArray>
#include <QIODevice>

// Passes what is written on to another device and hashes it as DiskState hashes the file when it reads
// it: a save then knows the state of the file it wrote without reading it back.
class HashedWrite : public QIODevice
{
public:
    explicit HashedWrite(QIODevice& out);

    // Once everything is written: the hash of all of it, and its size.
    DiskState::Hash hash();
    qint64 written() const { return m_written; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& m_out;
    DiskState::Hash m_hash;
    QByteArray m_piece; // what is not hashed yet: less than one whole piece
    qint64 m_written = 0;
};
