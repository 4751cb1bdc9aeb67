#include "shared/Cipher.h"

#include "shared/AnsiText.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// The cipher written out straight from its definition, byte by byte, to check the real one against.
QByteArray referenceXor(const QByteArray& input, const QByteArray& key)
{
    if (key.isEmpty())
        return {};
    QByteArray working = key;
    for (qsizetype i = 0; i < working.size(); ++i)
        working[i] = char((quint8(key[i]) + i + 1) % 256);
    QByteArray out = input;
    qsizetype k = 0;
    for (qsizetype i = 0; i < out.size(); ++i) {
        out[i] = char(quint8(input[i]) ^ quint8(working[k]));
        k = (k + 1) % working.size();
    }
    return out;
}

QByteArray patterned(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 37 + seed) & 0xff);
    return bytes;
}

} // namespace

class TestCipher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void knownOutput_data();
    void knownOutput();
    void oneByteKeyXorsWithKeyPlusOne_data();
    void oneByteKeyXorsWithKeyPlusOne();
    void matchesDefinition_data();
    void matchesDefinition();
    void inPlaceMatchesXorCrypt();
    void piecesMatchWhole();
    void emptyKeyOrInput();
    void twiceGivesInputBack();
    void keyPositionRunsAcrossInput();
    void keyIsNotChanged();

    void cryptStreamReplacesWholeContent();

    void knownCheckValue();
    void checkOfLongPasswordUsesItsLengthText_data();
    void checkOfLongPasswordUsesItsLengthText();
    void checkRoundTrip_data();
    void checkRoundTrip();
    void wrongPasswordDoesNotMatch();
    void emptyPasswordNeverMatches();

private:
    QTemporaryDir m_dir;
};

void TestCipher::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("QUILLET_APPDIR", m_dir.path().toLocal8Bit());
}

void TestCipher::knownOutput_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expectedHex");
    // "ab" works as 62 64.
    QTest::newRow("two-byte key") << QByteArray("qzhw") << QByteArray("ab") << QByteArray("131e0a13");
    // fe + 1 = ff, fe + 2 = 100 -> 00, ff + 3 = 102 -> 02: sums past 255 wrap; byte 4 uses ff again.
    QTest::newRow("wrapping key bytes")
        << QByteArray("\x01\x01\x01\x01", 4) << QByteArray("\xfe\xfe\xff", 3) << QByteArray("fe0103fe");
    // "a" works as 62, so "b" enciphers to a zero byte, which stays part of the result.
    QTest::newRow("zero output bytes") << QByteArray("bxb") << QByteArray("a") << QByteArray("001a00");
    QTest::newRow("built-in key") << QByteArray(10, '\0') << QByteArray(SharedSrc::DefaultKey)
                                  << QByteArray("3938376f7173797b7d3f");
}

void TestCipher::knownOutput()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expectedHex);
    const QByteArray out = SharedSrc::XORCrypt(input, key);
    QCOMPARE(out.size(), input.size());
    QCOMPARE(out.toHex(), expectedHex);
}

void TestCipher::oneByteKeyXorsWithKeyPlusOne_data()
{
    QTest::addColumn<int>("keyByte");
    for (int key : {0, 1, 0x41, 0x7f, 0x80, 0xfe, 0xff})
        QTest::addRow("key %02x", key) << key;
}

void TestCipher::oneByteKeyXorsWithKeyPlusOne()
{
    QFETCH(int, keyByte);
    const QByteArray input = patterned(300, 5);
    const QByteArray out = SharedSrc::XORCrypt(input, QByteArray(1, char(keyByte)));
    QCOMPARE(out.size(), input.size());
    const quint8 working = quint8(keyByte + 1);
    for (qsizetype i = 0; i < input.size(); ++i)
        QCOMPARE(quint8(out[i]), quint8(quint8(input[i]) ^ working));
}

void TestCipher::matchesDefinition_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("key");
    QTest::newRow("short") << QByteArray("hello") << QByteArray("key");
    QTest::newRow("input shorter than key") << QByteArray("ab") << QByteArray("a long key");
    QTest::newRow("gbk key") << AnsiText::fromUnicode(u"记事内容") << AnsiText::fromUnicode(u"密码");
    QTest::newRow("100-byte key") << patterned(1000, 3) << patterned(100, 200);
    QTest::newRow("255-byte key") << patterned(5000, 9) << patterned(255, 1);
    // Longer than the cipher's internal block, with a key length that does not divide it.
    QTest::newRow("many blocks") << patterned(70001, 11) << QByteArray("864klmrst5x");
    QTest::newRow("key 8192") << patterned(20000, 1) << patterned(8192, 77);
    QTest::newRow("key 9000") << patterned(20000, 2) << patterned(9000, 78);
}

void TestCipher::matchesDefinition()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, key);
    QCOMPARE(SharedSrc::XORCrypt(input, key), referenceXor(input, key));
}

void TestCipher::inPlaceMatchesXorCrypt()
{
    QByteArray data = patterned(50000, 4);
    const QByteArray expected = referenceXor(data, "pass");
    SharedSrc::XORCryptInPlace(data.data(), data.size(), "pass");
    QCOMPARE(data, expected);
}

void TestCipher::piecesMatchWhole()
{
    // Piece sizes that end inside the key, on a block edge, past it, and an empty piece.
    for (const QByteArray& key : {QByteArray("864klmrst5"), patterned(9000, 3)}) {
        QByteArray data = patterned(60000, 6);
        const QByteArray expected = referenceXor(data, key);
        SharedSrc::XORCipher cipher(key);
        qsizetype at = 0;
        for (const qsizetype piece : {3, 0, 8190, 1, 9001, 17, 20000}) {
            cipher.applyInPlace(data.data() + at, piece);
            at += piece;
        }
        cipher.applyInPlace(data.data() + at, data.size() - at);
        QCOMPARE(data, expected);
    }
}

void TestCipher::emptyKeyOrInput()
{
    QVERIFY(SharedSrc::XORCrypt("some text", QByteArray()).isEmpty());
    QVERIFY(SharedSrc::XORCrypt(QByteArray(), "key").isEmpty());

    QByteArray untouched = patterned(10, 4);
    SharedSrc::XORCryptInPlace(untouched.data(), untouched.size(), QByteArray());
    QCOMPARE(untouched, patterned(10, 4));

    QByteArray stream("content");
    SharedSrc::CryptStream(stream, QByteArray());
    QVERIFY(stream.isEmpty());
}

void TestCipher::twiceGivesInputBack()
{
    for (const QByteArray& key : {QByteArray("k"), QByteArray(SharedSrc::DefaultKey), patterned(100, 9)}) {
        const QByteArray input = patterned(1234, 1);
        const QByteArray once = SharedSrc::XORCrypt(input, key);
        QVERIFY(once != input);
        QCOMPARE(SharedSrc::XORCrypt(once, key), input);
    }
}

void TestCipher::keyPositionRunsAcrossInput()
{
    const QByteArray first("note one"), second("second note");
    const QByteArray key("abc"); // 8 is no multiple of 3, so the second part starts mid-key
    const QByteArray together = SharedSrc::XORCrypt(first + second, key);
    QCOMPARE(together.left(first.size()), SharedSrc::XORCrypt(first, key));
    QVERIFY(together.mid(first.size()) != SharedSrc::XORCrypt(second, key));
}

void TestCipher::keyIsNotChanged()
{
    const QByteArray key("\xff\x01z", 3);
    QByteArray copy = key;
    SharedSrc::XORCrypt("abcdef", copy);
    QCOMPARE(copy, key);
}

void TestCipher::cryptStreamReplacesWholeContent()
{
    const QByteArray content = patterned(100, 6);
    QByteArray stream = content;
    SharedSrc::CryptStream(stream, "key");
    QCOMPARE(stream, referenceXor(content, "key"));
    SharedSrc::CryptStream(stream, "key");
    QCOMPARE(stream, content);
}

void TestCipher::knownCheckValue()
{
    // "qzhw" ^ (62 64 62 64) = 13 1e 0a 13; then ^ ("2" + 1 = 33) = 20 2d 39 20.
    QCOMPARE(SharedSrc::CreateDecryptCheck("ab").toHex(), QByteArray("202d3920"));
    // A one-byte password "x" works as 79, its length text "1" as 32: "qzhw" ^ 79 ^ 32.
    QCOMPARE(SharedSrc::CreateDecryptCheck("x").toHex(), QByteArray("3a31233c"));
}

void TestCipher::checkOfLongPasswordUsesItsLengthText_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("lengthText");
    QTest::newRow("9 bytes") << patterned(9, 40) << QByteArray("9");
    QTest::newRow("10 bytes") << patterned(10, 41) << QByteArray("10");
    QTest::newRow("99 bytes") << patterned(99, 42) << QByteArray("99");
    QTest::newRow("100 bytes") << patterned(100, 43) << QByteArray("100");
    QTest::newRow("100 bytes of gbk")
        << AnsiText::fromUnicode(QString(50, QChar(u'密'))) << QByteArray("100");
}

void TestCipher::checkOfLongPasswordUsesItsLengthText()
{
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, lengthText);
    const QByteArray expected = referenceXor(referenceXor("qzhw", password), lengthText);
    const QByteArray check = SharedSrc::CreateDecryptCheck(password);
    QCOMPARE(check.size(), 4);
    QCOMPARE(check.toHex(), expected.toHex());
}

void TestCipher::checkRoundTrip_data()
{
    QTest::addColumn<QByteArray>("password");
    QTest::newRow("one byte") << QByteArray("a");
    QTest::newRow("ascii") << QByteArray("correct horse");
    QTest::newRow("gbk") << AnsiText::fromUnicode(u"我的密码");
    QTest::newRow("with zero byte") << QByteArray("a\0b", 3);
    QTest::newRow("100 bytes") << patterned(100, 99);
}

void TestCipher::checkRoundTrip()
{
    QFETCH(QByteArray, password);
    const QByteArray check = SharedSrc::CreateDecryptCheck(password);
    QCOMPARE(check.size(), 4);
    QCOMPARE(SharedSrc::GetDecryptCheck(check, password), QByteArray(SharedSrc::CheckMagic));
}

void TestCipher::wrongPasswordDoesNotMatch()
{
    const QByteArray check = SharedSrc::CreateDecryptCheck("secret");
    for (const char* wrong : {"Secret", "secret2", "secre"})
        QVERIFY(SharedSrc::GetDecryptCheck(check, wrong) != "qzhw");
}

void TestCipher::emptyPasswordNeverMatches()
{
    QVERIFY(SharedSrc::CreateDecryptCheck(QByteArray()).isEmpty());
    for (const QByteArray& check : {SharedSrc::CreateDecryptCheck("pw"), QByteArray("qzhw"), QByteArray()})
        QVERIFY(SharedSrc::GetDecryptCheck(check, QByteArray()).isEmpty());
}

QTEST_GUILESS_MAIN(TestCipher)
#include "tst_cipher.moc"
