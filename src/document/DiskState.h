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

    // The hash of a file's bytes, given a piece at a time from the start, every piece but the last
    // Piece bytes long: so a file is hashed as it is read, while its bytes are in the processor's cache.
    class Hash
    {
    public:
        static constexpr qsizetype Piece = 1024 * 1024;
        void add(QByteArrayView piece);
        QByteArray value() const;

    private:
        size_t m_value = 0;
    };

    // The state of `path`, whose `size` bytes with this hash were just read.
    static DiskState of(const QString& path, qint64 size, const Hash& hash);
    // The state of `path` as it is now, reading it to hash it.
    static DiskState read(const QString& path);
    // What another program put in place of ours: any file there counts as changed.
    static DiskState notOurs();

    bool isKnown() const { return m_known; }
    // Whether `path` now holds other bytes than those remembered. A file that is gone holds nothing to
    // lose, so it has not changed; nor has one merely touched or rewritten with the same bytes.
    bool changedOn(const QString& path) const;
    // The same of the file this state was taken of, now at `path` where a rename of ours has just moved
    // it: the move renews its status-change time, which therefore tells nothing here.
    bool changedOnceMovedTo(const QString& path) const;
    // The same size, times, identity and bytes: no write came between the two looks.
    bool operator==(const DiskState&) const = default;

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
    bool changedSince(const Stamp& now, const QString& path) const;
    static QByteArray hashOfFile(const QString& path);

    bool m_known = false;
    Stamp m_stamp;
    QByteArray m_hash;
};
