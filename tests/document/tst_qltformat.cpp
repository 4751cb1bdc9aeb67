#include "TestNotes.h"

#include "document/QltFormat.h"
#include "document/StrongFormat.h"

#include "shared/AnsiText.h"
#include "shared/Cipher.h"
#include "shared/DebugLog.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

using QltFormat::Error;

namespace {

// Leaves non-zero bytes where the next call's locals will lie.
[[gnu::noinline]] void dirtyStack()
{
    volatile char junk[16384];
    for (qsizetype i = 0; i < qsizetype(sizeof junk); ++i)
        junk[i] = '\xa5';
}

// The file as written into a device over a stack of non-zero bytes: a byte the writer never sets (a
// record's padding) shows instead of happening to be zero.
QByteArray writtenOverDirtyStack(const QList<Note>& notes, const QByteArray& password, quint32 reserved)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    dirtyStack();
    QltFormat::writeTo(buffer, notes, password, reserved);
    return buffer.data();
}

// The record stream of a file, deciphered with the built-in key, for tests that corrupt records.
QByteArray plainStream(const QByteArray& file)
{
    return SharedSrc::XORCrypt(file.mid(QltFormat::StreamOffset), QByteArray(SharedSrc::DefaultKey));
}

QByteArray fileWithPlainStream(const QByteArray& stream)
{
    return golden(u"empty.qlt") + SharedSrc::XORCrypt(stream, QByteArray(SharedSrc::DefaultKey));
}

std::optional<QList<Note>> load(const QByteArray& file, const QByteArray& password = {})
{
    return QltFormat::readNotes(file.mid(QltFormat::StreamOffset), QltFormat::streamKey(password));
}

} // namespace

class TestQltFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenFiles_data();
    void goldenFiles();
    void emptyListIsExactly18Bytes();
    void knownFile_data();
    void knownFile();
    void roundTrip_data();
    void roundTrip();
    void oddFieldsStoredAsStandard_data();
    void oddFieldsStoredAsStandard();
    void keyRunsAcrossRecords();
    void refusedSignature_data();
    void refusedSignature();
    void refusedVersion_data();
    void refusedVersion();
    void shortHeaderIsDamaged_data();
    void shortHeaderIsDamaged();
    void passwordBlock_data();
    void passwordBlock();
    void damagedStream_data();
    void damagedStream();
    void wrongPasswordGivesDamagedOrWrongNotes();
    void strongDamage_data();
    void strongDamage();
    void strongCostBounds_data();
    void strongCostBounds();

private:
    // One key for the strong files of the damage tables, made before their rows.
    KeyDerivation::Key m_key = cheapKey("key");
};

void TestQltFormat::goldenFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<quint32>("reserved");
    QTest::addColumn<bool>("readable");
    QTest::newRow("empty") << u"empty.qlt"_s << QByteArray() << 0u << true;
    QTest::newRow("plain") << u"plain.qlt"_s << QByteArray() << 0x0a0b0c0du << true;
    QTest::newRow("password") << u"password.qlt"_s << gb(u"密码") << 0u << true;
    QTest::newRow("odd fields") << u"odd-fields.qlt"_s << QByteArray() << 0u << true;
    QTest::newRow("record cut") << u"cut-record.qlt"_s << QByteArray() << 0u << false;
    QTest::newRow("strong") << u"strong.qlt"_s << gb(u"密码") << 9u << true;
}

void TestQltFormat::goldenFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, password);
    QFETCH(quint32, reserved);
    QFETCH(bool, readable);
    const QByteArray file = golden(name);
    const QltFormat::HeaderResult header = QltFormat::readHeader(file);
    QCOMPARE(header.header.reserved, reserved);
    std::optional<QList<Note>> notes;
    if (StrongFormat::isStrong(file)) {
        const std::optional<KeyDerivation::Params> params = StrongFormat::readParams(file);
        QVERIFY(params);
        const std::optional<KeyDerivation::Key> key = KeyDerivation::derive(SecretBytes(password), *params);
        QVERIFY(key);
        notes = StrongFormat::readNotes(file, key->key);
    } else {
        QCOMPARE(header.error, Error::None);
        QCOMPARE(header.header.hasPassword, !password.isEmpty());
        if (!password.isEmpty())
            QCOMPARE(SharedSrc::GetDecryptCheck(header.header.check, password), QByteArray("qzhw"));
        notes = load(file, password);
    }
    QCOMPARE(notes.has_value(), readable);
    if (readable)
        QCOMPARE(*notes, goldenNotes(name));
}

void TestQltFormat::emptyListIsExactly18Bytes()
{
    const QByteArray expected = golden(u"empty.qlt");
    const QByteArray file = QltFormat::write({}, {}, 0);
    // The stream is enciphered through the traced routines, even when it is empty.
    QCOMPARE(SharedSrc::LastTraceName(), u"SharedSrc.XORCrypt"_s);
    QCOMPARE(file.size(), 18);
    QCOMPARE(file.toHex(), expected.toHex());

    const auto header = QltFormat::readHeader(file);
    QCOMPARE(header.error, Error::None);
    QCOMPARE(header.header.version, quint16(1));
    QCOMPARE(header.header.reserved, quint32(0));
    QVERIFY(!header.header.hasPassword);
    SharedSrc::DebugLog("TestQltFormat.load");
    const auto notes = load(file);
    QCOMPARE(SharedSrc::LastTraceName(), u"SharedSrc.XORCrypt"_s);
    QVERIFY(notes.has_value());
    QVERIFY(notes->isEmpty());
}

void TestQltFormat::knownFile_data()
{
    QTest::addColumn<QList<Note>>("notes");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<quint32>("reserved");
    QTest::addColumn<QByteArray>("expected");

    // The built-in key "864klmrst5" works as 39 38 37 6f 71 73 79 7b 7d 3f.
    QTest::newRow("one done note, no password")
        << QList<Note>{makeNote(u"ab", u"高", true)} << QByteArray() << quint32(0x01020304)
        << QByteArray::fromHex("04716c7466000100 04030201 000000000000 3b38376f7373787b1c5d");
    // Password "ab": working key 62 64. Check = "qzhw" ^ (62 64 62 64) = 13 1e 0a 13, then ^ '2'+1 = 33.
    // The key runs on across both records.
    QTest::newRow("two notes, password")
        << QList<Note>{makeNote(u"", u"低", false), makeNote(u"x", u"最高", true)} << QByteArray("ab")
        << quint32(0)
        << QByteArray::fromHex("04716c7466000100 00000000 0104202d3920 6264626462646264 63646264616463641a");
}

void TestQltFormat::knownFile()
{
    QFETCH(QList<Note>, notes);
    QFETCH(QByteArray, password);
    QFETCH(quint32, reserved);
    QFETCH(QByteArray, expected);

    const QByteArray file = QltFormat::write(notes, password, reserved);
    QCOMPARE(file.toHex(), expected.toHex());
    QCOMPARE(writtenOverDirtyStack(notes, password, reserved).toHex(), expected.toHex());

    const auto header = QltFormat::readHeader(file);
    QCOMPARE(header.error, Error::None);
    QCOMPARE(header.header.reserved, reserved);
    QCOMPARE(header.header.hasPassword, !password.isEmpty());
    QCOMPARE(header.header.check.toHex(), expected.mid(14, password.isEmpty() ? 0 : 4).toHex());
    if (!password.isEmpty())
        QCOMPARE(SharedSrc::GetDecryptCheck(header.header.check, password), QByteArray("qzhw"));
    const auto read = load(file, password);
    QVERIFY(read.has_value());
    QCOMPARE(*read, notes);
}

void TestQltFormat::roundTrip_data()
{
    QTest::addColumn<QList<Note>>("notes");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<quint32>("reserved");

    const QList<Note> mixed = {
        makeNote(u"购物清单\r\n牛奶\r\n面包", u"高", false),
        makeNote(u"", u"低", true),
        makeNote(u"第二行\r\n", u"最高", false),
        makeNote(u"plain", u"标准", true),
    };
    QTest::newRow("empty list, no password") << QList<Note>() << QByteArray() << 0u;
    QTest::newRow("empty list, password") << QList<Note>() << gb(u"密码") << 0u;
    QTest::newRow("gbk texts") << mixed << QByteArray() << 0u;
    QTest::newRow("gbk texts, gbk password") << mixed << gb(u"密码") << 0u;
    QTest::newRow("outside gbk") << QList<Note>{makeNote(u"心情 😀 €", u"高", true)} << QByteArray() << 0u;
    QTest::newRow("empty texts") << QList<Note>{makeNote(u"", u"标准", false), makeNote(u"", u"标准", true)}
                                 << QByteArray("p") << 0u;
    // Bytes that are not valid GB18030 must come back untouched, not repaired.
    QTest::newRow("invalid bytes") << QList<Note>{Note{QByteArray("\x81\x20\xff\x00\x80 z", 7), gb(u"低")}}
                                   << QByteArray() << 0u;
    QTest::newRow("lf and cr only") << QList<Note>{makeNote(u"a\nb", u"低", false),
                                                   makeNote(u"\rc", u"高", true)}
                                    << QByteArray() << 0u;
    QTest::newRow("100-byte password")
        << QList<Note>{makeNote(u"t", u"低", true)} << QByteArray(100, 'k') << 0u;
    QTest::newRow("large text") << QList<Note>{Note{QByteArray(100000, 'q'), gb(u"最高")}}
                                << QByteArray("key") << 0u;
    // A record stream of exactly one strong chunk: the final chunk that follows it is empty.
    QTest::newRow("one full chunk") << QList<Note>{Note{QByteArray(StrongFormat::ChunkSize - 8, 'c'),
                                                        gb(u"低")}}
                                    << QByteArray("key") << 0u;
    for (quint32 reserved : {7u, 0xdeadbeefu, 0xffffffffu})
        QTest::addRow("reserved %x", reserved)
            << QList<Note>{makeNote(u"n", u"高", false)} << QByteArray("pw") << reserved;
}

void TestQltFormat::roundTrip()
{
    QFETCH(QList<Note>, notes);
    QFETCH(QByteArray, password);
    QFETCH(quint32, reserved);

    const QByteArray file = QltFormat::write(notes, password, reserved);
    qsizetype expectedSize = QltFormat::StreamOffset;
    for (const Note& n : notes)
        expectedSize += 8 + n.text.size();
    QCOMPARE(file.size(), expectedSize);

    const auto header = QltFormat::readHeader(file);
    QCOMPARE(header.error, Error::None);
    QCOMPARE(header.header.hasPassword, !password.isEmpty());
    QCOMPARE(header.header.reserved, reserved);
    if (!password.isEmpty()) {
        QCOMPARE(header.header.check, SharedSrc::CreateDecryptCheck(password));
        QCOMPARE(SharedSrc::GetDecryptCheck(header.header.check, password), QByteArray("qzhw"));
    }
    const auto read = load(file, password);
    QVERIFY(read.has_value());
    QCOMPARE(*read, notes);

    // The strong format carries the same records, the header's Reserved value and the key's parameters.
    if (password.isEmpty())
        return;
    const KeyDerivation::Key key = cheapKey(password);
    const QByteArray strong = StrongFormat::write(notes, reserved, key);
    QVERIFY(StrongFormat::isStrong(strong));
    QCOMPARE(QltFormat::readHeader(strong).header.reserved, reserved);
    QCOMPARE(StrongFormat::readParams(strong), std::optional(key.params));
    QVERIFY(StrongFormat::keyOpens(strong, key.key));
    QCOMPARE(StrongFormat::readNotes(strong, key.key), std::optional(notes));
    // Nothing of the notes shows, and every file gets a stream header of its own.
    for (const Note& note : notes) {
        if (note.text.size() >= 8)
            QVERIFY(!strong.contains(note.text));
    }
    QVERIFY(StrongFormat::write(notes, reserved, key) != strong);
}

void TestQltFormat::oddFieldsStoredAsStandard_data()
{
    QTest::addColumn<Note>("note");
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Note>("read");

    // Trailing blank: not a priority name.
    QTest::newRow("unknown priority name")
        << makeNote(u"x", u"高 ", false) << QByteArray("010000000100000078")
        << makeNote(u"x", u"标准", false);
    Note oddImage = makeNote(u"x", u"低", false);
    oddImage.imageIndex = 5;
    QTest::newRow("image index other than 12")
        << oddImage << QByteArray("010000000000000078") << makeNote(u"x", u"低", false);
}

void TestQltFormat::oddFieldsStoredAsStandard()
{
    QFETCH(Note, note);
    QFETCH(QByteArray, stream);
    QFETCH(Note, read);
    const QByteArray file = QltFormat::write({note}, {}, 0);
    QCOMPARE(plainStream(file).toHex(), stream);
    const auto loaded = load(file);
    QVERIFY(loaded.has_value());
    QCOMPARE(*loaded, QList<Note>{read});
}

void TestQltFormat::keyRunsAcrossRecords()
{
    const QList<Note> two = {makeNote(u"abc", u"低", false), makeNote(u"defg", u"高", true)};
    const QByteArray together = QltFormat::write(two, "key", 0).mid(QltFormat::StreamOffset);
    const QByteArray first = QltFormat::write({two[0]}, "key", 0).mid(QltFormat::StreamOffset);
    const QByteArray second = QltFormat::write({two[1]}, "key", 0).mid(QltFormat::StreamOffset);
    QCOMPARE(together.size(), first.size() + second.size());
    QVERIFY(together.startsWith(first));
    QVERIFY(together.mid(first.size()) != second);
}

void TestQltFormat::refusedSignature_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = golden(u"plain.qlt");
    auto with = [&](int offset, char value) {
        QByteArray b = good;
        b[offset] = value;
        return b;
    };
    QTest::newRow("length byte 5") << with(0, 5);
    QTest::newRow("length byte 0") << with(0, 0);
    QTest::newRow("upper case") << with(1, 'Q');
    QTest::newRow("other letter") << with(4, 'g');
    QTest::newRow("text file") << QByteArray("hello world, this is not a notes file");
    QTest::newRow("one wrong byte") << QByteArray("\x05", 1);
    QTest::newRow("wrong letters, short") << QByteArray("\x04qlx", 4);
}

void TestQltFormat::refusedSignature()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(QltFormat::readHeader(bytes).error, Error::BadSignature);
}

void TestQltFormat::refusedVersion_data()
{
    QTest::addColumn<quint16>("version");
    QTest::newRow("0") << quint16(0);
    QTest::newRow("2") << quint16(2);
    QTest::newRow("256") << quint16(256);
    QTest::newRow("65535") << quint16(65535);
}

void TestQltFormat::refusedVersion()
{
    QFETCH(quint16, version);
    QByteArray file = golden(u"plain.qlt");
    file[6] = char(version & 0xff);
    file[7] = char(version >> 8);
    const auto header = QltFormat::readHeader(file);
    QCOMPARE(header.error, Error::BadVersion);
    QCOMPARE(header.header.version, version);
    // The version is judged from the 12-byte header even when the password block is missing.
    QCOMPARE(QltFormat::readHeader(file.left(12)).error, Error::BadVersion);
}

void TestQltFormat::shortHeaderIsDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    for (int size : {5, 6, 11, 12, 17})
        QTest::addRow("%d bytes", size) << golden(u"password.qlt").left(size);
    // Correct as far as it goes, but too short: damaged rather than foreign.
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("signature cut short") << QByteArray("\x04ql", 3);
    QTest::newRow("17 bytes, no password") << golden(u"empty.qlt").left(17);
}

void TestQltFormat::shortHeaderIsDamaged()
{
    QFETCH(QByteArray, bytes);
    QCOMPARE(QltFormat::readHeader(bytes).error, Error::Damaged);
}

void TestQltFormat::passwordBlock_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<bool>("hasPassword");
    QTest::addColumn<QByteArray>("check");
    QTest::newRow("none") << QByteArray::fromHex("000000000000") << false << QByteArray();
    QTest::newRow("protected") << QByteArray::fromHex("010401020304") << true
                               << QByteArray::fromHex("01020304");
    QTest::newRow("any non-zero flag")
        << QByteArray::fromHex("ff0401020304") << true << QByteArray::fromHex("01020304");
    QTest::newRow("check length 0") << QByteArray::fromHex("010001020304") << true << QByteArray();
    QTest::newRow("check length 2") << QByteArray::fromHex("010201020304") << true
                                    << QByteArray::fromHex("0102");
    QTest::newRow("check length too big")
        << QByteArray::fromHex("01ff01020304") << true << QByteArray::fromHex("01020304");
}

void TestQltFormat::passwordBlock()
{
    QFETCH(QByteArray, block);
    QFETCH(bool, hasPassword);
    QFETCH(QByteArray, check);
    const QByteArray file = golden(u"empty.qlt").left(12) + block;
    const auto header = QltFormat::readHeader(file);
    QCOMPARE(header.error, Error::None);
    QCOMPARE(header.header.hasPassword, hasPassword);
    QCOMPARE(header.header.check.toHex(), check.toHex());
}

void TestQltFormat::damagedStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    const QByteArray good = QByteArray::fromHex("0500000002000100") + "hello";
    QTest::newRow("cut inside record header") << good.left(5);
    QTest::newRow("cut after record header") << good.left(8);
    QTest::newRow("cut inside text") << good.left(11);
    QTest::newRow("trailing partial record") << good + QByteArray("\0\0\0", 3);
    QTest::newRow("length one too many") << QByteArray::fromHex("0600000002000100") + "hello";
    QTest::newRow("second record cut") << good + good.left(12);
    // A length near 2^32 must be refused before anything that large is allocated.
    for (const char* length : {"f0ffffff", "ffffffff", "00000080"})
        QTest::addRow("length %s", length)
            << QByteArray::fromHex(length) + QByteArray::fromHex("0000000078797a");
}

void TestQltFormat::damagedStream()
{
    QFETCH(QByteArray, stream);
    QVERIFY(!load(fileWithPlainStream(stream)).has_value());
}

void TestQltFormat::wrongPasswordGivesDamagedOrWrongNotes()
{
    const auto read = load(golden(u"password.qlt"), "wrong");
    QVERIFY(!read.has_value() || *read != goldenNotes(u"password.qlt"));
    // Pure garbage must be refused or parsed, never crash or over-read.
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 131 + 17) & 0xff);
    const auto fromGarbage = QltFormat::readNotes(garbage, "k");
    if (fromGarbage) {
        qsizetype total = 0;
        for (const Note& n : *fromGarbage)
            total += 8 + n.text.size();
        QCOMPARE(total, garbage.size());
    }
}

// Cut or altered anywhere, a strong file gives no notes: the parameters and key check are refused by their
// digest, every chunk by its authentication or its place. A change after the key check never looks like a
// wrong password.
void TestQltFormat::strongDamage_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("inPrefix"); // refused with the parameters, before any key is tried

    // Three chunks: two full ones and a short final one.
    const QList<Note> notes{Note{QByteArray(150000, 's'), gb(u"高")}, makeNote(u"短")};
    const QByteArray good = StrongFormat::write(notes, 9, m_key);
    const qsizetype fullChunk = StrongFormat::ChunkSize + 17;
    QCOMPARE(good.size(), StrongFormat::PrefixSize + 150018 + 3 * 17);
    for (int chunks = 0; chunks < 3; ++chunks)
        QTest::addRow("cut after %d chunks", chunks)
            << good.first(StrongFormat::PrefixSize + chunks * fullChunk) << false;
    QTest::newRow("one byte short") << good.chopped(1) << false;
    QTest::newRow("one byte more") << good + '\0' << false;
    QTest::newRow("prefix cut short") << good.first(StrongFormat::PrefixSize - 1) << true;
    QByteArray swapped = good;
    swapped.replace(StrongFormat::PrefixSize, fullChunk,
                    good.sliced(StrongFormat::PrefixSize + fullChunk, fullChunk));
    swapped.replace(StrongFormat::PrefixSize + fullChunk, fullChunk,
                    good.sliced(StrongFormat::PrefixSize, fullChunk));
    QTest::newRow("chunks swapped") << swapped << false;
    const struct
    {
        const char* region;
        qsizetype offset;
    } flips[] = {{"padding", 5},
                 {"reserved", 8},
                 {"algorithm", 12},
                 {"passes", 13},
                 {"memory", 17},
                 {"salt", 30},
                 {"stream header", 40},
                 {"key check", 70},
                 {"digest", 90},
                 {"first chunk's tag", StrongFormat::PrefixSize},
                 {"second chunk", StrongFormat::PrefixSize + fullChunk + 1000},
                 {"last authenticator", good.size() - 1}};
    for (const auto& flip : flips) {
        QByteArray altered = good;
        altered[flip.offset] = char(altered[flip.offset] ^ 0x10);
        QTest::addRow("bit flipped in %s", flip.region)
            << altered << (flip.offset < StrongFormat::PrefixSize);
    }
}

void TestQltFormat::strongDamage()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, inPrefix);
    const std::optional<KeyDerivation::Params> params = StrongFormat::readParams(file);
    QCOMPARE(params.has_value(), !inPrefix);
    if (inPrefix)
        return;
    QCOMPARE(*params, m_key.params);
    QVERIFY(StrongFormat::keyOpens(file, m_key.key));
    QVERIFY(!StrongFormat::readNotes(file, m_key.key).has_value());
}

void TestQltFormat::strongCostBounds_data()
{
    QTest::addColumn<int>("algorithm");
    QTest::addColumn<quint32>("passes");
    QTest::addColumn<quint32>("memoryKiB");
    QTest::addColumn<bool>("accepted");

    const int argon2id = KeyDerivation::Argon2id;
    QTest::newRow("lowest") << argon2id << 1u << 8u << true;
    QTest::newRow("tuned") << argon2id << KeyDerivation::Tuned.passes << KeyDerivation::Tuned.memoryKiB
                           << true;
    QTest::newRow("1 GiB, 32 passes") << argon2id << 32u << 1048576u << true;
    QTest::newRow("1 GiB and 1 KiB") << argon2id << 1u << 1048577u << false;
    QTest::newRow("4 TiB") << argon2id << 1u << 0xffffffffu << false;
    QTest::newRow("7 KiB") << argon2id << 1u << 7u << false;
    QTest::newRow("no pass") << argon2id << 0u << 8u << false;
    QTest::newRow("33 passes") << argon2id << 33u << 8u << false;
    QTest::newRow("2^32-1 passes") << argon2id << 0xffffffffu << 8u << false;
    QTest::newRow("Argon2i") << 1 << 1u << 8u << false;
}

void TestQltFormat::strongCostBounds()
{
    QFETCH(int, algorithm);
    QFETCH(quint32, passes);
    QFETCH(quint32, memoryKiB);
    QFETCH(bool, accepted);
    KeyDerivation::Key key = m_key;
    key.params.algorithm = quint8(algorithm);
    key.params.cost = {passes, memoryKiB};
    // Written as another program might: with a correct digest, so that only the bounds refuse it.
    const QByteArray file = StrongFormat::write({makeNote(u"n")}, 0, key);
    QCOMPARE(StrongFormat::readParams(file).has_value(), accepted);
    if (!accepted)
        QVERIFY(!KeyDerivation::derive(SecretBytes("key"), key.params).has_value());
}

QTEST_GUILESS_MAIN(TestQltFormat)
#include "tst_qltformat.moc"
