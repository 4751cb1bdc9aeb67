#pragma once

#include "document/Note.h"

#include <QByteArray>
#include <QList>

class QIODevice;

#include <functional>
#include <optional>

// The classic notes file (.qlt, version 1): a 12-byte header, a 6-byte password block, then the record
// stream enciphered in one pass. All numbers are little-endian. The strong version 2 shares the header and
// the record stream (StrongFormat).
namespace QltFormat {

inline constexpr qsizetype HeaderSize = 12;
inline constexpr qsizetype PasswordBlockSize = 6;
inline constexpr qsizetype StreamOffset = HeaderSize + PasswordBlockSize;
inline constexpr quint16 CurrentVersion = 1;

enum class Error
{
    None,
    BadSignature, // "这不是一个 Quillet 文件。"
    BadVersion,   // "不兼容的文件版本 (" version ")"
    Damaged,      // "打开文件时发生错误。文件可能已损坏。"
};

struct Header
{
    quint16 version = 0;
    quint32 reserved = 0;
    bool hasPassword = false;
    QByteArray check; // the stored check value, up to 4 bytes
};

struct HeaderResult
{
    Error error = Error::None;
    Header header;
};

// Checks signature and version and reads the password block from the start of a file's bytes.
HeaderResult readHeader(QByteArrayView fileBytes);

// The key a stream is enciphered with: the password, or the built-in key when there is none.
QByteArray streamKey(const QByteArray& password);

// What `stream` (the file from offset 18 on), deciphered with `key`, says of that key. Only the record
// headers are deciphered, so a large stream is judged without a copy.
enum class Verdict
{
    WellFormed, // every record is one a writer of this format makes, the last ending with the stream
    EndMissing, // every record read is one a writer makes, but the stream ends inside the last: cut short
    NotWritten, // not the file's key
    Unclear,    // a wrong key, or a damaged file
};
// A password that merely shares the check value misreads the first record already, or later ones now and
// then, and with them the padding, which writers leave zero: a record no writer makes after records with
// other padding is taken for a wrong key, and a missing end after them is Unclear.
Verdict judge(QByteArrayView stream, const QByteArray& key);

// The walk over a stream's records, every reader's: where the next record starts and whether the stream
// holds it.
class RecordWalk
{
public:
    static constexpr qsizetype RecordSize = 8; // TextLength u32, Priority u16, Done u8, padding u8

    explicit RecordWalk(qint64 streamSize) : m_size(streamSize) {}
    // Where the next record's header starts.
    qint64 next() const { return m_next; }
    bool atEnd() const { return m_next == m_size; }
    // Whether the stream holds the whole header of the next record.
    bool headerFits() const { return m_size - m_next >= RecordSize; }
    // Steps past the next record, whose header gives `textLength`; false when its text runs past the
    // stream's end.
    bool step(quint32 textLength)
    {
        m_next += RecordSize + qint64(textLength);
        return m_next <= m_size;
    }

private:
    qint64 m_size;
    qint64 m_next = 0;
};

// Follows the records of a stream while it is read, so that a file is refused at its first record that
// runs past the end of the file, not after gigabytes were read. A record far beyond what is read so far
// is looked at through `peek`, which gives the RecordSize enciphered bytes at a stream offset.
class RecordChain
{
public:
    static constexpr qsizetype RecordSize = RecordWalk::RecordSize;
    using Peek = std::function<bool(qint64 pos, char* to)>;

    RecordChain(const QByteArray& key, qint64 streamSize, Peek peek);
    // `read`: the stream's first bytes, as read so far. False once a record cannot be.
    bool follow(QByteArrayView read);

private:
    QByteArray m_working; // the key as the cipher uses it
    RecordWalk m_walk;
    Peek m_peek;
};

enum class Reading
{
    Tolerant, // any priority or done value is taken, as the format says readers do
    Strict,   // what no writer of this format produces (a priority above 3, a done value above 1) fails
};

// Deciphers `stream` (the file from offset 18 on) in place and parses every record. Returns nothing when
// a record is cut short or claims more text than remains, or when a strict reading meets a record no
// writer makes: then no note of the stream is returned.
// With `buffer`, the notes' texts stay where they are, parts of the deciphered stream (fromRawData), which
// is left in `*buffer` and must outlive them: a list of a million notes needs no million allocations.
// Without it, every text is a copy of its own.
std::optional<QList<Note>> readNotes(QByteArray stream, const QByteArray& key,
                                     Reading reading = Reading::Tolerant, QByteArray* buffer = nullptr);

// The same for a stream that is not enciphered (the strong format's, once decrypted): any priority or done
// value is taken.
std::optional<QList<Note>> readRecords(QByteArray stream, QByteArray* buffer = nullptr);

// The 12-byte header with this version and `reserved`; padding written as 0.
QByteArray header(quint16 version, quint32 reserved);

// Composes the record stream of `notes` a piece of `pieceSize` bytes at a time, giving each piece to
// `writePiece` to change in place and write: every piece but the last is full, and the last, which may be
// empty, is marked. Returns false when `writePiece` does.
using WritePiece = std::function<bool(char* piece, qsizetype size, bool last)>;
bool writeRecords(const QList<Note>& notes, qsizetype pieceSize, const WritePiece& writePiece);

// The whole file for these notes: header with `reserved`, password block for `password` (none when
// empty), and the record stream enciphered with streamKey(password). Padding bytes are written as 0.
QByteArray write(const QList<Note>& notes, const QByteArray& password, quint32 reserved);

// The same bytes written to `out` in pieces of a fixed size, so that saving a large document does not
// build a second copy of it in memory. Returns false when a write fails.
bool writeTo(QIODevice& out, const QList<Note>& notes, const QByteArray& password, quint32 reserved);

} // namespace QltFormat
