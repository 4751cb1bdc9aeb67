#include "BenchClock.h"
#include "BenchTable.h"
#include "Benches.h"

#include "shared/Cipher.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <cstring>

namespace {

constexpr qsizetype BufferSize = qsizetype(64) * 1024 * 1024;
constexpr int Repetitions = 7;

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(1);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / qsizetype(sizeof(quint32)));
    return bytes;
}

void addRow(BenchTable& table, const QString& target, qint64 nanoseconds, qint64 memcpyNanoseconds)
{
    // Throughput at least half of memcpy's means time at most twice memcpy's.
    const bool pass = nanoseconds <= 2 * memcpyNanoseconds;
    table.add(target, BenchFormat::throughput(BufferSize, nanoseconds),
              QStringLiteral("≥ 0.5 × memcpy %1").arg(BenchFormat::throughput(BufferSize, memcpyNanoseconds)),
              pass);
}

} // namespace

void benchCipher(BenchTable& table)
{
    const QByteArray key("Kennwort42"); // 10 bytes
    const QByteArray source = randomBytes(BufferSize);
    QByteArray target(BufferSize, '\0'); // touched, so that no page fault is timed

    const qint64 copy = BenchClock::fastestOf(
        Repetitions, [&] { std::memcpy(target.data(), source.constData(), BufferSize); });

    // XORCrypt returns a new string: its allocation is part of what a caller pays.
    QByteArray result;
    const qint64 xorCrypt = BenchClock::fastestOf(
        Repetitions, [&] { result = QByteArray(); }, [&] { result = SharedSrc::XORCrypt(source, key); });
    if (result.size() != BufferSize || result == source)
        qFatal("XORCrypt gave no enciphered copy");

    QBuffer stream;
    stream.buffer() = source;
    stream.buffer().detach();
    stream.open(QIODevice::ReadWrite);
    const qint64 cryptStream =
        BenchClock::fastestOf(Repetitions, [&] { SharedSrc::CryptStream(stream, key); });

    addRow(table, QStringLiteral("`XORCrypt` 64 MiB, 10-byte key"), xorCrypt, copy);
    addRow(table, QStringLiteral("`CryptStream` 64 MiB, 10-byte key"), cryptStream, copy);
}
