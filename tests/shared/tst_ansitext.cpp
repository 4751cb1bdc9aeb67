#include "shared/AnsiText.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestAnsiText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("abc\r\n") << u"abc\r\n"_s;
        QTest::newRow("gbk") << QByteArray("\xb5\xcd\xb8\xdf") << u"低高"_s;
        QTest::newRow("four-byte") << QByteArray("\x94\x39\xfc\x36") << QString::fromUtf8("\xf0\x9f\x98\x80");
        // An unfinished sequence at the end must still show, not vanish from the text.
        QTest::newRow("cut lead byte") << QByteArray("ab\x81") << u"ab\uFFFD"_s;
        QTest::newRow("cut four-byte") << QByteArray("\xb5\xcd\x94\x39") << u"低\uFFFD"_s;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void decodesText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString decoded = AnsiText::toUnicode(bytes);
        if (text.endsWith(QChar(0xFFFD))) {
            QVERIFY2(decoded.startsWith(text.chopped(1)), qPrintable(decoded));
            QVERIFY2(decoded.endsWith(QChar(0xFFFD)), qPrintable(decoded));
        } else {
            QCOMPARE(decoded, text);
        }
    }

    void roundTripsEveryCharacter()
    {
        const QString text = QString::fromUtf8("记事本 notes \xe2\x82\xac \xf0\x9f\x98\x80 \xc3\xa9");
        QCOMPARE(AnsiText::toUnicode(AnsiText::fromUnicode(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestAnsiText)
#include "tst_ansitext.moc"
