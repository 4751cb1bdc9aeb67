#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// What a document knows of its file as it last read or wrote it: size, modification time, the file's
// identity (its birth and status-change times, which a replacement by rename or any write renews) and a
// hash of its bytes. Enough to tell later whether someone else has written the file since.
class DiskState
{
public:
    DiskState() = default; // nothing known: never counts as changed

    // The state of `path`, whose bytes were just read.
    static DiskState of(const QString& path, QByteArrayView bytes);
    // The state of `path` as it is now, reading it to hash it.
    static DiskState read(const QString& path);

    bool isKnown() const { return m_known; }
    // Whether `path` now holds other bytes than those remembered. A file that is gone holds nothing to
    // lose, so it has not changed; nor has one merely touched or rewritten with the same bytes.
    bool changedOn(const QString& path) const;

private:
    struct Stamp
    {
        qint64 size = -1;
        QDateTime modified;
        QDateTime born;
        QDateTime statusChanged;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp stampOf(const QString& path);
    static QByteArray hashOf(QByteArrayView bytes);
    static QByteArray hashOfFile(const QString& path);

    bool m_known = false;
    Stamp m_stamp;
    QByteArray m_hash;
};
