#include "forms/FontSettings.h"

#include "shared/DebugLog.h"
#include "shared/IniFile.h"

#include "TestFiles.h"

#include <QFile>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

class TestFontSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void defaultsAreTheWindowFont();
    void sizeGivesHeight_data();
    void sizeGivesHeight();
    void heightGivesSize_data();
    void heightGivesSize();
    void unusableSizeOrHeightIgnored_data();
    void unusableSizeOrHeightIgnored();
    void toQFont();
    void assignFromQFont();
    void assignFromPixelSizedQFont();

    void loadReadsEveryKey();
    void loadMissingKeysKeepValues();
    void loadSizeAndHeight_data();
    void loadSizeAndHeight();
    void loadStylesOnlyAdded_data();
    void loadStylesOnlyAdded();
    void loadPassesOverUnusableValues();
    void loadReturnsSameObjectAndTraces();

    void saveWritesKeysInOrder();
    void saveLoadRoundTrip_data();
    void saveLoadRoundTrip();
    void saveFailureRaises();

    void systemColorsFromPalette_data();
    void systemColorsFromPalette();
    void invalidColorValues_data();
    void invalidColorValues();
    void colorToValue_data();
    void colorToValue();

private:
    QString iniPath() const { return m_dir->filePath(u"Quillet.ini"_s); }
    void writeIni(const QByteArray& bytes) const { QVERIFY(writeFile(iniPath(), bytes)); }

    QTemporaryDir m_appDir;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFontSettings::initTestCase()
{
    QVERIFY(m_appDir.isValid());
    qputenv("QUILLET_APPDIR", QFile::encodeName(m_appDir.path()));
}

void TestFontSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestFontSettings::defaultsAreTheWindowFont()
{
    const FontValue font;
    QCOMPARE(font.name, u"Tahoma"_s);
    QCOMPARE(font.size, 8);
    QCOMPARE(font.height, -11);
    QCOMPARE(font.color, -16777208);
    QVERIFY(!font.bold && !font.italic && !font.underline && !font.strikeout);
}

void TestFontSettings::sizeGivesHeight_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pixels");

    QTest::newRow("1") << 1 << -1;
    QTest::newRow("2") << 2 << -3;
    QTest::newRow("8") << 8 << -11;
    QTest::newRow("9") << 9 << -12;
    QTest::newRow("10") << 10 << -13;
    QTest::newRow("11") << 11 << -15;
    QTest::newRow("12") << 12 << -16;
    QTest::newRow("72") << 72 << -96;
    QTest::newRow("largest") << FontValue::MaxSize << -2184;
}

void TestFontSettings::sizeGivesHeight()
{
    QFETCH(int, points);
    QFETCH(int, pixels);
    FontValue font;
    font.setSize(points);
    QCOMPARE(font.size, points);
    QCOMPARE(font.height, pixels);

    // The height a size gives leads back to that size.
    FontValue other;
    other.setHeight(pixels);
    QCOMPARE(other.size, points);
}

void TestFontSettings::heightGivesSize_data()
{
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("points");

    QTest::newRow("-11") << -11 << 8;
    QTest::newRow("-13") << -13 << 10;
    QTest::newRow("-14 rounds half up") << -14 << 11;
    QTest::newRow("-15") << -15 << 11;
    QTest::newRow("-20") << -20 << 15;
    QTest::newRow("-2") << -2 << 2;
    QTest::newRow("cell 13") << 13 << 8;
    QTest::newRow("cell 15") << 15 << 9;
    QTest::newRow("cell 16") << 16 << 10;
    QTest::newRow("cell 20") << 20 << 13;
    QTest::newRow("cell 2") << 2 << 1;
}

void TestFontSettings::heightGivesSize()
{
    QFETCH(int, pixels);
    QFETCH(int, points);
    FontValue font;
    font.setHeight(pixels);
    QCOMPARE(font.height, pixels);
    QCOMPARE(font.size, points);
}

void TestFontSettings::unusableSizeOrHeightIgnored_data()
{
    QTest::addColumn<bool>("isHeight");
    QTest::addColumn<int>("value");

    constexpr int min = std::numeric_limits<int>::min();
    constexpr int max = std::numeric_limits<int>::max();
    QTest::newRow("size 0") << false << 0;
    QTest::newRow("negative size") << false << -3;
    QTest::newRow("size over the range") << false << FontValue::MaxSize + 1;
    QTest::newRow("largest int size") << false << max;
    QTest::newRow("smallest int size") << false << min;
    QTest::newRow("height 0") << true << 0;
    QTest::newRow("height over the range") << true << -2185;
    QTest::newRow("smallest int height") << true << min;
    QTest::newRow("largest int height") << true << max;
}

void TestFontSettings::unusableSizeOrHeightIgnored()
{
    QFETCH(bool, isHeight);
    QFETCH(int, value);
    FontValue font;
    font.setSize(12);
    if (isHeight)
        font.setHeight(value);
    else
        font.setSize(value);
    QCOMPARE(font.size, 12);
    QCOMPARE(font.height, -16);
}

void TestFontSettings::toQFont()
{
    FontValue value;
    value.name = u"Courier New"_s;
    value.setSize(14);
    for (const bool boldAndStrikeout : {true, false}) {
        value.bold = value.strikeout = boldAndStrikeout;
        value.italic = value.underline = !boldAndStrikeout;
        const QFont font = value.toQFont();
        QCOMPARE(font.family(), u"Courier New"_s);
        QCOMPARE(font.pointSize(), 14);
        QCOMPARE(font.bold(), boldAndStrikeout);
        QCOMPARE(font.strikeOut(), boldAndStrikeout);
        QCOMPARE(font.italic(), !boldAndStrikeout);
        QCOMPARE(font.underline(), !boldAndStrikeout);
    }
}

void TestFontSettings::assignFromQFont()
{
    QFont font(u"DejaVu Serif"_s, 12);
    font.setBold(true);
    font.setItalic(true);
    FontValue value;
    value.charset = 134;
    value.color = 0x123456;
    value.underline = true;
    value.assignFrom(font);
    QCOMPARE(value.name, u"DejaVu Serif"_s);
    QCOMPARE(value.size, 12);
    QCOMPARE(value.height, -16);
    QVERIFY(value.bold);
    QVERIFY(value.italic);
    QVERIFY(!value.underline); // taken from the font, like the other styles
    QVERIFY(!value.strikeout);
    QCOMPARE(value.charset, 134);
    QCOMPARE(value.color, 0x123456);
}

void TestFontSettings::assignFromPixelSizedQFont()
{
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(20);
    font.setStrikeOut(true);
    FontValue value;
    value.assignFrom(font);
    QCOMPARE(value.height, -20);
    QCOMPARE(value.size, 15);
    QVERIFY(value.strikeout);
}

void TestFontSettings::loadReadsEveryKey()
{
    writeIni("[NoteText]\r\nname=\xCB\xCE\xCC\xE5\r\nCHARSET=134\r\nSize=14\r\nColor=$FF\r\nItalic=1\r\n"
             "Underline=1\r\n");
    const IniFile ini(iniPath());
    FontValue font;
    SharedSrc::LoadFontFromIni(ini, font, u"notetext"_s);
    QCOMPARE(font.name, u"宋体"_s);
    QCOMPARE(font.charset, 134);
    QCOMPARE(font.size, 14);
    QCOMPARE(font.height, -19);
    QCOMPARE(font.color, 255);
    QVERIFY(!font.bold);
    QVERIFY(font.italic);
    QVERIFY(font.underline);
    QVERIFY(!font.strikeout);
}

void TestFontSettings::loadMissingKeysKeepValues()
{
    writeIni("[NotesListText]\r\nForeColor=255\r\n[NoteText]\r\nSize=20\r\n");
    const IniFile ini(iniPath());
    FontValue font;
    font.name = u"Courier New"_s;
    font.charset = 238;
    font.setSize(11);
    font.color = 0x00FF00;
    font.italic = true;
    const FontValue before = font;
    SharedSrc::LoadFontFromIni(ini, font, u"NotesListText"_s);
    QCOMPARE(font, before);
    SharedSrc::LoadFontFromIni(ini, font, u"AddEditText"_s);
    QCOMPARE(font, before);

    QVERIFY(QFile::remove(iniPath()));
    SharedSrc::LoadFontFromIni(IniFile(iniPath()), font, u"NoteText"_s);
    QCOMPARE(font, before);
    QVERIFY(!QFile::exists(iniPath()));
}

void TestFontSettings::loadSizeAndHeight_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("height");

    QTest::newRow("stored height decides size") << QByteArray("Size=12\r\nHeight=-20\r\n") << 15 << -20;
    QTest::newRow("size alone sets height") << QByteArray("Size=12\r\n") << 12 << -16;
}

void TestFontSettings::loadSizeAndHeight()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, size);
    QFETCH(int, height);
    writeIni("[AddEditText]\r\n" + stored);
    const IniFile ini(iniPath());
    FontValue font;
    SharedSrc::LoadFontFromIni(ini, font, u"AddEditText"_s);
    QCOMPARE(font.size, size);
    QCOMPARE(font.height, height);
}

void TestFontSettings::loadStylesOnlyAdded_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");

    const QList<QByteArray> keys = {"Bold", "Italic", "Underline", "Strikeout", "StrikeOut", "STRIKEOUT"};
    for (const QByteArray& key : keys) {
        const auto row = [&](const char* what) -> QTestData& {
            return QTest::addRow("%s %s", key.constData(), what);
        };
        row("1 on regular") << key << QByteArray("1") << false << true;
        row("1 on styled") << key << QByteArray("1") << true << true;
        row("0 on styled") << key << QByteArray("0") << true << true;
        row("0 on regular") << key << QByteArray("0") << false << false;
        row("true on regular") << key << QByteArray("true") << false << false;
        row("empty on styled") << key << QByteArray("") << true << true;
    }
}

void TestFontSettings::loadStylesOnlyAdded()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, stored);
    QFETCH(bool, before);
    QFETCH(bool, after);
    writeIni("[NoteText]\r\n" + key + "=" + stored + "\r\n");
    const IniFile ini(iniPath());

    FontValue font;
    bool FontValue::*style = key == "Bold"        ? &FontValue::bold
                             : key == "Italic"    ? &FontValue::italic
                             : key == "Underline" ? &FontValue::underline
                                                  : &FontValue::strikeout;
    font.*style = before;
    FontValue expected = font;
    expected.*style = after;
    SharedSrc::LoadFontFromIni(ini, font, u"NoteText"_s);
    QCOMPARE(font, expected);
}

void TestFontSettings::loadPassesOverUnusableValues()
{
    writeIni("[NoteText]\r\nName=\r\nCharset=300\r\nSize=green\r\nHeight=0\r\nColor=12abc\r\nBold=1\r\n");
    const IniFile ini(iniPath());
    FontValue font;
    font.charset = 134;
    FontValue expected = font;
    expected.bold = true;
    SharedSrc::LoadFontFromIni(ini, font, u"NoteText"_s);
    QCOMPARE(font, expected);

    writeIni("[NoteText]\r\nCharset=-1\r\nSize=5000\r\nHeight=-100000\r\n");
    SharedSrc::LoadFontFromIni(ini, font, u"NoteText"_s);
    QCOMPARE(font, expected);
}

void TestFontSettings::loadReturnsSameObjectAndTraces()
{
    writeIni("[NoteText]\r\nSize=10\r\n");
    const IniFile ini(iniPath());
    FontValue font;
    FontValue& result = SharedSrc::LoadFontFromIni(ini, font, u"NoteText"_s);
    QCOMPARE(&result, &font);
    QCOMPARE(SharedSrc::LastTraceName(), u"SharedSrc.LoadFontFromIni"_s);
}

void TestFontSettings::saveWritesKeysInOrder()
{
    IniFile ini(iniPath());
    FontValue font;
    font.name = u"宋体"_s;
    font.charset = 134;
    font.setSize(12);
    font.color = -16777203;
    font.bold = true;
    font.underline = true;
    const auto keys = [](const char* bold, const char* strikeout) {
        return "[NotesListText]\r\nName=\xCB\xCE\xCC\xE5\r\nCharset=134\r\nSize=12\r\nHeight=-16\r\n"
               "Color=-16777203\r\nBold=" +
               QByteArray(bold) + "\r\nItalic=0\r\nUnderline=1\r\nStrikeout=" + strikeout + "\r\n";
    };
    SharedSrc::SaveFontToIni(ini, font, u"NotesListText"_s);
    QCOMPARE(SharedSrc::LastTraceName(), u"SharedSrc.SaveFontToIni"_s);
    QCOMPARE(readFile(iniPath()), keys("1", "0"));

    // Saving again replaces the same lines; other sections and ForeColor stay.
    ini.WriteInteger(u"NotesListText"_s, u"ForeColor"_s, 255);
    ini.WriteString(u"General"_s, u"Theme"_s, u"Roma"_s);
    font.bold = false;
    font.strikeout = true;
    SharedSrc::SaveFontToIni(ini, font, u"NotesListText"_s);
    QCOMPARE(readFile(iniPath()), keys("0", "1") + "ForeColor=255\r\n[General]\r\nTheme=Roma\r\n");
}

void TestFontSettings::saveLoadRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("charset");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("color");
    QTest::addColumn<int>("styles"); // bold 1, italic 2, underline 4, strikeout 8

    QTest::newRow("window font") << "Tahoma" << 1 << -11 << -16777208 << 0;
    QTest::newRow("Chinese name") << "微软雅黑" << 134 << -16 << 0x00FF00 << 1;
    QTest::newRow("all styles") << "Courier New" << 0 << -20 << 0xFFFFFF << 15;
    QTest::newRow("cell height") << "Arial" << 255 << 16 << -16777201 << 10;
    QTest::newRow("odd height") << "Arial" << 2 << -14 << 0 << 4;
}

void TestFontSettings::saveLoadRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(int, charset);
    QFETCH(int, height);
    QFETCH(int, color);
    QFETCH(int, styles);
    FontValue saved;
    saved.name = name;
    saved.charset = charset;
    saved.setHeight(height);
    saved.color = color;
    saved.bold = styles & 1;
    saved.italic = styles & 2;
    saved.underline = styles & 4;
    saved.strikeout = styles & 8;
    IniFile ini(iniPath());
    SharedSrc::SaveFontToIni(ini, saved, u"AddEditText"_s);

    FontValue loaded;
    loaded.name = u"Other"_s;
    loaded.setSize(30);
    SharedSrc::LoadFontFromIni(IniFile(iniPath()), loaded, u"AddEditText"_s);
    QCOMPARE(loaded, saved);
}

void TestFontSettings::saveFailureRaises()
{
    const QString path = m_dir->filePath(u"missing/Quillet.ini"_s);
    IniFile ini(path);
    QString message;
    try {
        SharedSrc::SaveFontToIni(ini, FontValue(), u"NoteText"_s);
    } catch (const IniWriteError& error) {
        message = error.message();
    }
    QCOMPARE(message, u"无法写入 "_s + path);
}

void TestFontSettings::systemColorsFromPalette_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPalette::ColorGroup>("group");
    QTest::addColumn<QPalette::ColorRole>("role");

    QTest::newRow("window text") << 8 << QPalette::Active << QPalette::WindowText;
    QTest::newRow("window") << 5 << QPalette::Active << QPalette::Base;
    QTest::newRow("button face") << 15 << QPalette::Active << QPalette::Button;
    QTest::newRow("highlight") << 13 << QPalette::Active << QPalette::Highlight;
    QTest::newRow("highlight text") << 14 << QPalette::Active << QPalette::HighlightedText;
    QTest::newRow("button text") << 18 << QPalette::Active << QPalette::ButtonText;
    QTest::newRow("grey text") << 17 << QPalette::Disabled << QPalette::Text;
    QTest::newRow("inactive caption") << 3 << QPalette::Inactive << QPalette::Highlight;
    QTest::newRow("info background") << 24 << QPalette::Active << QPalette::ToolTipBase;
    QTest::newRow("info text") << 23 << QPalette::Active << QPalette::ToolTipText;
    QTest::newRow("hot light") << 26 << QPalette::Active << QPalette::Link;
    QTest::newRow("3D dark shadow") << 21 << QPalette::Active << QPalette::Shadow;
    QTest::newRow("button highlight") << 20 << QPalette::Active << QPalette::Light;
    QTest::newRow("menu bar") << 30 << QPalette::Active << QPalette::Window;
}

void TestFontSettings::systemColorsFromPalette()
{
    QFETCH(int, index);
    QFETCH(QPalette::ColorGroup, group);
    QFETCH(QPalette::ColorRole, role);

    // Every group and role its own colour, so that a wrong role or group shows.
    QPalette palette;
    const QList<QPalette::ColorGroup> groups = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};
    int n = 0;
    for (const QPalette::ColorGroup g : groups) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            if (r != QPalette::NoRole)
                palette.setColor(g, QPalette::ColorRole(r), QColor::fromRgb(QRgb(0x010203 * ++n)));
        }
    }
    const std::optional<QColor> color = ColorValue::toColor(qint32(0xFF000000u | quint32(index)), palette);
    QVERIFY(color.has_value());
    QCOMPARE(*color, palette.color(group, role));
}

void TestFontSettings::invalidColorValues_data()
{
    QTest::addColumn<int>("value");

    QTest::newRow("above 24 bits") << 0x01000000;
    QTest::newRow("clNone") << 0x1FFFFFFF;
    QTest::newRow("clDefault") << 0x20000000;
    QTest::newRow("largest int") << std::numeric_limits<int>::max();
    QTest::newRow("-1") << -1;
    QTest::newRow("smallest int") << std::numeric_limits<int>::min();
    QTest::newRow("system index 25") << int(0xFF000019u);
    QTest::newRow("system index 31") << int(0xFF00001Fu);
    QTest::newRow("system index 255") << int(0xFF0000FFu);
    QTest::newRow("middle bytes set") << int(0xFF000108u);
    QTest::newRow("other flag byte") << int(0xFE000008u);
}

void TestFontSettings::invalidColorValues()
{
    QFETCH(int, value);
    QVERIFY(!ColorValue::toColor(value, QPalette()).has_value());
}

void TestFontSettings::colorToValue_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("value");

    QTest::newRow("black") << QColor(0, 0, 0) << 0;
    QTest::newRow("red") << QColor(255, 0, 0) << 0x0000FF;
    QTest::newRow("green") << QColor(0, 255, 0) << 0x00FF00;
    QTest::newRow("blue") << QColor(0, 0, 255) << 0xFF0000;
    QTest::newRow("white") << QColor(255, 255, 255) << 16777215;
    QTest::newRow("mixed") << QColor(0x56, 0x34, 0x12) << 0x123456;
    QTest::newRow("alpha ignored") << QColor(1, 2, 3, 4) << 0x030201;
}

void TestFontSettings::colorToValue()
{
    QFETCH(QColor, color);
    QFETCH(int, value);
    QCOMPARE(ColorValue::fromColor(color), value);
    const std::optional<QColor> back = ColorValue::toColor(value, QPalette());
    QVERIFY(back.has_value());
    QCOMPARE(*back, QColor(color.rgb()));
}

QTEST_MAIN(TestFontSettings)
#include "tst_fontsettings.moc"
