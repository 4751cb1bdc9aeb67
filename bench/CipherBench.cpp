#include "BenchClock.h"
#include "BenchTable.h"
#include "Benches.h"

#include "shared/Cipher.h"

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

void addRow(BenchTable& table, const QString& target, qint64 nanoseconds, const QString& floorName,
            qint64 floorNanoseconds)
{
    // Throughput at least half of the floor's means time at most twice the floor's.
    table.add(
        target, BenchFormat::throughput(BufferSize, nanoseconds),
        QStringLiteral("≥ 0.5 × %1 %2").arg(floorName, BenchFormat::throughput(BufferSize, floorNanoseconds)),
        nanoseconds <= 2 * floorNanoseconds);
}

} // namespace

void benchCipher(BenchTable& table)
{
    const QByteArray key("Kennwort42"); // 10 bytes
    const QByteArray source = randomBytes(BufferSize);
    QByteArray target(BufferSize, '\0'); // touched, so that no page fault is timed

    const qint64 copy = BenchClock::fastestOf(
        Repetitions, [&] { std::memcpy(target.data(), source.constData(), BufferSize); });

    // XORCrypt returns a new string, so its floor is a copy into a new string: the same allocation, and
    // on this machine the first touch of fresh memory costs more than the copy itself.
    QByteArray result;
    const qint64 freshCopy = BenchClock::fastestOf(
        Repetitions, [&] { result = QByteArray(); },
        [&] { result = QByteArray(source.constData(), BufferSize); });
    const qint64 xorCrypt = BenchClock::fastestOf(
        Repetitions, [&] { result = QByteArray(); }, [&] { result = SharedSrc::XORCrypt(source, key); });
    if (result.size() != BufferSize || result == source)
        qFatal("XORCrypt gave no enciphered copy");
    result = QByteArray();

    QByteArray stream = source;
    stream.detach();
    const qint64 cryptStream =
        BenchClock::fastestOf(Repetitions, [&] { SharedSrc::CryptStream(stream, key); });

    addRow(table, QStringLiteral("`XORCrypt` 64 MiB, 10-byte key, into a new string"), xorCrypt,
           QStringLiteral("copy into a new string"), freshCopy);
    addRow(table, QStringLiteral("`CryptStream` 64 MiB, 10-byte key, in place"), cryptStream,
           QStringLiteral("memcpy"), copy);
    table.addContext(QStringLiteral("memcpy of 64 MiB into memory already in use: %1; into a new string: %2")
                         .arg(BenchFormat::millis(copy), BenchFormat::millis(freshCopy)));
}
