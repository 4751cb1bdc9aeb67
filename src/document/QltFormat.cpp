#include "document/QltFormat.h"

#include "shared/Cipher.h"
#include "shared/NoteFields.h"

#include <QBuffer>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace QltFormat {
namespace {

constexpr char Signature[] = "\x04qltf"; // length byte, then the letters
constexpr qsizetype SignatureSize = 5;
constexpr qsizetype VersionOffset = 6;
constexpr qsizetype ReservedOffset = 8;
constexpr qsizetype HasPasswordOffset = 12;
constexpr qsizetype CheckLengthOffset = 13;
constexpr qsizetype CheckOffset = 14;
constexpr qsizetype CheckCapacity = 4;
constexpr qsizetype RecordSize = RecordWalk::RecordSize;

template <typename T> T readLE(const char* at)
{
    return qFromLittleEndian<T>(at);
}

template <typename T> void appendLE(QByteArray& out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, qsizetype(sizeof(T)));
}

// A record's header, deciphered.
struct Record
{
    quint32 textLength;
    quint16 priority;
    quint8 done;
    quint8 padding;

    explicit Record(const char* at)
        : textLength(readLE<quint32>(at)), priority(readLE<quint16>(at + 4)), done(quint8(at[6])),
          padding(quint8(at[7]))
    {}
    // Whether a writer of this format makes a record with these values.
    bool isWriters() const { return priority < SharedSrc::PriorityCount && done <= 1; }
};

// A record as the walk through the stream finds it: where it starts, its priority index (0 to 3) and its
// done mark, packed into one number, so that the notes are made without reading the records again.
struct RecordAt
{
    quint64 packed;

    RecordAt(qsizetype pos, quint16 priority, bool done)
        : packed(quint64(pos) << 8 |
                 quint64(priority < SharedSrc::PriorityCount ? priority : SharedSrc::DefaultPriority) << 1 |
                 quint64(done))
    {}
    qsizetype pos() const { return qsizetype(packed >> 8); }
    int priority() const { return int(packed >> 1 & 0x7f); }
    bool done() const { return packed & 1; }
};

// Deciphers `stream` in place a piece at a time and walks the records of each piece while it is in the
// processor's cache: every record, when every one of them lies wholly inside the stream, nothing
// otherwise. Each record's first byte, read by then, becomes the NUL that ends the text before it.
// Without a cipher the stream is walked as it is.
std::optional<std::vector<RecordAt>> decipherAndWalk(QByteArray& stream, SharedSrc::XORCipher* cipher,
                                                     Reading reading)
{
    constexpr qsizetype Piece = 256 * 1024;
    char* const data = stream.data();
    const qsizetype size = stream.size();
    std::vector<RecordAt> records;
    // Room for as many records as the stream could hold, so that the list is never copied as it grows:
    // only the part that is filled takes memory.
    records.reserve(size_t(size / RecordSize));
    qsizetype deciphered = 0;
    RecordWalk walk(size);
    while (deciphered < size) {
        const qsizetype piece = std::min(Piece, size - deciphered);
        if (cipher)
            cipher->applyInPlace(data + deciphered, piece);
        deciphered += piece;
        while (deciphered - walk.next() >= RecordSize) {
            const qsizetype pos = qsizetype(walk.next());
            const Record record(data + pos);
            if (reading == Reading::Strict && !record.isWriters())
                return std::nullopt;
            records.emplace_back(pos, record.priority, record.done != 0);
            data[pos] = '\0';
            if (!walk.step(record.textLength))
                return std::nullopt;
        }
    }
    // A record header cut short at the end.
    if (!walk.atEnd())
        return std::nullopt;
    return records;
}

// The `count` enciphered bytes `from`, which stand at `pos` of a stream, deciphered into `to`: one
// division for them all.
void decipherAt(const QByteArray& working, const char* from, qint64 pos, char* to, qsizetype count)
{
    qsizetype k = qsizetype(pos % working.size());
    for (qsizetype i = 0; i < count; ++i) {
        to[i] = char(from[i] ^ working[k]);
        k = k + 1 == working.size() ? 0 : k + 1;
    }
}

// The cipher's key bytes, for deciphering single bytes at any offset of a stream.
class KeyAt
{
public:
    explicit KeyAt(const QByteArray& key) : m_working(SharedSrc::workingKey(key)) {}
    // The `count` bytes of `stream` from `pos` on, deciphered into `to`.
    void decipher(QByteArrayView stream, qsizetype pos, char* to, qsizetype count) const
    {
        decipherAt(m_working, stream.data() + pos, pos, to, count);
    }

private:
    QByteArray m_working;
};

// The header and password block, which are not enciphered.
QByteArray fileHeader(const QByteArray& password, quint32 reserved)
{
    QByteArray header = QltFormat::header(CurrentVersion, reserved);
    if (password.isEmpty()) {
        header.append(PasswordBlockSize, '\0');
    } else {
        const QByteArray check = SharedSrc::CreateDecryptCheck(password);
        header.append('\1');
        header.append(char(CheckCapacity));
        header.append(check.left(CheckCapacity));
        header.append(CheckCapacity - std::min(check.size(), CheckCapacity), '\0');
    }
    return header;
}

// Asks the processor to bring `data` into its cache; only a hint.
inline void prefetch(const char* data)
{
#if defined(__GNUC__)
    __builtin_prefetch(data);
#else
    Q_UNUSED(data);
#endif
}

} // namespace

HeaderResult readHeader(QByteArrayView fileBytes)
{
    HeaderResult result;
    // The signature is judged on whatever bytes there are, so a short foreign file is still "not ours".
    const qsizetype present = std::min(fileBytes.size(), SignatureSize);
    if (fileBytes.first(present) != QByteArrayView(Signature, SignatureSize).first(present)) {
        result.error = Error::BadSignature;
        return result;
    }
    if (fileBytes.size() < HeaderSize) {
        result.error = Error::Damaged;
        return result;
    }
    Header& header = result.header;
    header.version = readLE<quint16>(fileBytes.data() + VersionOffset);
    header.reserved = readLE<quint32>(fileBytes.data() + ReservedOffset);
    if (header.version != CurrentVersion) {
        result.error = Error::BadVersion;
        return result;
    }
    if (fileBytes.size() < StreamOffset) {
        result.error = Error::Damaged;
        return result;
    }
    header.hasPassword = fileBytes[HasPasswordOffset] != 0;
    // A length byte above the capacity cannot come from a real file; only the four slots are read.
    const qsizetype checkLength = std::min(qsizetype(quint8(fileBytes[CheckLengthOffset])), CheckCapacity);
    header.check = fileBytes.sliced(CheckOffset, checkLength).toByteArray();
    return result;
}

QByteArray streamKey(const QByteArray& password)
{
    return password.isEmpty() ? QByteArray(SharedSrc::DefaultKey) : password;
}

RecordChain::RecordChain(const QByteArray& key, qint64 streamSize, Peek peek)
    : m_working(SharedSrc::workingKey(key)), m_walk(streamSize), m_peek(std::move(peek))
{}

bool RecordChain::follow(QByteArrayView read)
{
    // Further than this beyond what is read, a record is peeked at rather than waited for.
    constexpr qint64 PeekAhead = 1024 * 1024;
    while (!m_walk.atEnd()) {
        if (!m_walk.headerFits())
            return false;
        const qint64 next = m_walk.next();
        char enciphered[RecordSize];
        const char* at = nullptr;
        if (next + RecordSize <= read.size())
            at = read.data() + next;
        else if (next - read.size() > PeekAhead && m_peek(next, enciphered))
            at = enciphered;
        else
            return true; // judged once read
        char record[RecordSize];
        decipherAt(m_working, at, next, record, RecordSize);
        if (!m_walk.step(Record(record).textLength))
            return false;
    }
    return true;
}

Verdict judge(QByteArrayView stream, const QByteArray& key)
{
    if (key.isEmpty())
        return Verdict::NotWritten;
    const KeyAt keyAt(key);
    bool writersPadding = true;
    RecordWalk walk(stream.size());
    while (!walk.atEnd()) {
        const qsizetype pos = qsizetype(walk.next());
        if (!walk.headerFits())
            return pos > 0 && writersPadding ? Verdict::EndMissing : Verdict::Unclear;
        char bytes[RecordSize];
        keyAt.decipher(stream, pos, bytes, RecordSize);
        const Record record(bytes);
        if (!record.isWriters())
            return pos > 0 && writersPadding ? Verdict::Unclear : Verdict::NotWritten;
        writersPadding = writersPadding && record.padding == 0;
        if (!walk.step(record.textLength))
            return writersPadding ? Verdict::EndMissing : Verdict::Unclear;
    }
    return Verdict::WellFormed;
}

namespace {

// Walks `stream` (deciphering it with `key` when there is one) and makes the notes of its records; their
// texts are parts of the stream, then left in `buffer`, when there is one.
std::optional<QList<Note>> parse(QByteArray& stream, const QByteArray* key, Reading reading,
                                 QByteArray* buffer)
{
    const QByteArray priorities[] = {
        SharedSrc::GetPriorityByIndex(0),
        SharedSrc::GetPriorityByIndex(1),
        SharedSrc::GetPriorityByIndex(2),
        SharedSrc::GetPriorityByIndex(3),
    };
    // Every length is checked before any note is made, so a damaged stream makes no notes.
    std::optional<SharedSrc::XORCipher> cipher;
    if (key)
        cipher = SharedSrc::XORCipher::forStream(*key);
    const std::optional<std::vector<RecordAt>> found =
        decipherAndWalk(stream, cipher ? &*cipher : nullptr, reading);
    if (!found)
        return std::nullopt;
    const std::vector<RecordAt>& records = *found;
    // Each record's first byte, the NUL now, ends the text before it, as the stream's own end ends the last.
    const char* const data = stream.constData();
    const auto textOf = [data, buffer](qsizetype pos, qsizetype size) {
        if (size == 0)
            return QByteArray("");
        return buffer ? QByteArray::fromRawData(data + pos, size) : QByteArray(data + pos, size);
    };
    QList<Note> notes;
    notes.reserve(qsizetype(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const RecordAt& record = records[i];
        const qsizetype textStart = record.pos() + RecordSize;
        const qsizetype textEnd = i + 1 < records.size() ? records[i + 1].pos() : stream.size();
        Note note;
        note.text = textOf(textStart, textEnd - textStart);
        SharedSrc::ExtractCaption(note.text); // not stored: the list shows it from the text
        note.priority = priorities[record.priority()];
        note.imageIndex = record.done() ? Note::ImageDone : Note::ImageNotDone;
        notes.append(std::move(note));
    }
    if (buffer)
        *buffer = std::move(stream); // moved, its bytes stay where the texts point
    return notes;
}

} // namespace

std::optional<QList<Note>> readNotes(QByteArray stream, const QByteArray& key, Reading reading,
                                     QByteArray* buffer)
{
    if (key.isEmpty()) {
        SharedSrc::CryptStream(stream, key); // no key deciphers nothing
        return QList<Note>();
    }
    return parse(stream, &key, reading, buffer);
}

std::optional<QList<Note>> readRecords(QByteArray stream, QByteArray* buffer)
{
    return parse(stream, nullptr, Reading::Tolerant, buffer);
}

QByteArray write(const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    qsizetype size = StreamOffset;
    for (const Note& note : notes)
        size += RecordSize + note.text.size();
    QByteArray file;
    file.reserve(size);
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    writeTo(buffer, notes, password, reserved);
    return file;
}

bool writeTo(QIODevice& out, const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    if (out.write(fileHeader(password, reserved)) != StreamOffset)
        return false;
    // Pieces small enough to stay in the processor's cache.
    SharedSrc::XORCipher cipher = SharedSrc::XORCipher::forStream(streamKey(password));
    return writeRecords(notes, 256 * 1024, [&](char* piece, qsizetype size, bool) {
        cipher.applyInPlace(piece, size);
        return size == 0 || out.write(piece, size) == size;
    });
}

QByteArray header(quint16 version, quint32 reserved)
{
    QByteArray header;
    header.reserve(StreamOffset);
    header.append(Signature, SignatureSize);
    header.append('\0'); // padding
    appendLE<quint16>(header, version);
    appendLE<quint32>(header, reserved);
    return header;
}

bool writeRecords(const QList<Note>& notes, qsizetype pieceSize, const WritePiece& writePiece)
{
    // A note's text lies wherever the file it came from put it, and after a sort or many edits the notes
    // are far from the order of their texts: the text of a note a few places ahead is asked for early, so
    // that it has arrived when it is copied.
    constexpr qsizetype Ahead = 16;
    QByteArray buffer(pieceSize, Qt::Uninitialized);
    char* const piece = buffer.data();
    qsizetype filled = 0;
    bool ok = true;
    const auto append = [&](const char* data, qsizetype size) {
        while (size > 0 && ok) {
            const qsizetype take = std::min(pieceSize - filled, size);
            std::memcpy(piece + filled, data, size_t(take));
            filled += take;
            data += take;
            size -= take;
            if (filled == pieceSize) {
                ok = writePiece(piece, filled, false);
                filled = 0;
            }
        }
    };
    const qsizetype count = notes.size();
    const Note* const all = notes.constData();
    for (qsizetype i = 0; i < count && ok; ++i) {
        if (i + Ahead < count)
            prefetch(all[i + Ahead].text.constData());
        const Note& note = all[i];
        char record[RecordSize];
        qToLittleEndian(quint32(note.text.size()), record);
        qToLittleEndian(SharedSrc::priorityIndexOf(note.priority), record + 4);
        record[6] = note.isDone() ? '\1' : '\0';
        record[7] = '\0'; // padding
        const qsizetype size = note.text.size();
        if (pieceSize - filled > RecordSize + size) {
            // Most records fit in what is left of the piece: copied without the checks.
            std::memcpy(piece + filled, record, RecordSize);
            std::memcpy(piece + filled + RecordSize, note.text.constData(), size_t(size));
            filled += RecordSize + size;
        } else {
            append(record, RecordSize);
            append(note.text.constData(), size);
        }
    }
    return ok && writePiece(piece, filled, true);
}

} // namespace QltFormat
