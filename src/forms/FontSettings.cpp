#include "forms/FontSettings.h"

#include "shared/DebugLog.h"
#include "shared/IniFile.h"

#include <QPalette>

#include <array>

namespace {

constexpr qint64 PixelsPerInch = 96;
constexpr qint64 PointsPerInch = 72;

// Rounds half away from zero, as MulDiv does; both operands positive.
qint64 roundedQuotient(qint64 numerator, qint64 denominator)
{
    return (2 * numerator + denominator) / (2 * denominator);
}

bool isUsableSize(qint64 points)
{
    return points >= FontValue::MinSize && points <= FontValue::MaxSize;
}

struct SystemColour
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role; // NoRole: the index names no colour
};

constexpr QPalette::ColorGroup Active = QPalette::Active;
constexpr QPalette::ColorGroup Inactive = QPalette::Inactive;
constexpr QPalette::ColorGroup Disabled = QPalette::Disabled;

// Indexed by the Windows system colour number (COLOR_SCROLLBAR = 0 ... COLOR_MENUBAR = 30).
constexpr std::array<SystemColour, 31> SystemColours{{
    {Active, QPalette::Button},            // scroll bar
    {Active, QPalette::Dark},              // desktop
    {Active, QPalette::Highlight},         // active caption
    {Inactive, QPalette::Highlight},       // inactive caption
    {Active, QPalette::Window},            // menu
    {Active, QPalette::Base},              // window
    {Active, QPalette::Shadow},            // window frame
    {Active, QPalette::WindowText},        // menu text
    {Active, QPalette::WindowText},        // window text
    {Active, QPalette::HighlightedText},   // caption text
    {Active, QPalette::Window},            // active border
    {Inactive, QPalette::Window},          // inactive border
    {Active, QPalette::Dark},              // application workspace
    {Active, QPalette::Highlight},         // highlight
    {Active, QPalette::HighlightedText},   // highlight text
    {Active, QPalette::Button},            // button face
    {Active, QPalette::Dark},              // button shadow
    {Disabled, QPalette::Text},            // grey text
    {Active, QPalette::ButtonText},        // button text
    {Inactive, QPalette::HighlightedText}, // inactive caption text
    {Active, QPalette::Light},             // button highlight
    {Active, QPalette::Shadow},            // 3D dark shadow
    {Active, QPalette::Midlight},          // 3D light
    {Active, QPalette::ToolTipText},       // info text
    {Active, QPalette::ToolTipBase},       // info background
    {Active, QPalette::NoRole},            // unused number
    {Active, QPalette::Link},              // hot-tracked item
    {Active, QPalette::Highlight},         // gradient active caption
    {Inactive, QPalette::Highlight},       // gradient inactive caption
    {Active, QPalette::Highlight},         // menu highlight
    {Active, QPalette::Window},            // menu bar
}};

constexpr quint32 SystemColourFlag = 0xFF000000u;

} // namespace

void FontValue::setSize(int points)
{
    if (!isUsableSize(points))
        return;
    size = points;
    height = int(-roundedQuotient(qint64(points) * PixelsPerInch, PointsPerInch));
}

void FontValue::setHeight(int pixels)
{
    // A cell of c pixels holds a character of 5c/6 pixels, that is 5c/6 * 72/96 = 5c/8 points.
    const qint64 points = pixels < 0 ? roundedQuotient(-qint64(pixels) * PointsPerInch, PixelsPerInch)
                                     : roundedQuotient(qint64(pixels) * 5, 8);
    if (!isUsableSize(points))
        return;
    size = int(points);
    height = pixels;
}

QFont FontValue::toQFont() const
{
    QFont font;
    font.setFamily(name);
    font.setPointSize(size);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeout);
    return font;
}

void FontValue::assignFrom(const QFont& font)
{
    name = font.family();
    if (font.pointSizeF() > 0)
        setSize(qRound(font.pointSizeF()));
    else if (font.pixelSize() > 0)
        setHeight(-font.pixelSize());
    bold = font.bold();
    italic = font.italic();
    underline = font.underline();
    strikeout = font.strikeOut();
}

namespace SharedSrc {

FontValue& LoadFontFromIni(const IniFile& ini, FontValue& font, const QString& section)
{
    DebugLog("SharedSrc.LoadFontFromIni");
    // A settings file that cannot be read or holds nonsense must never keep the window from opening:
    // whatever was applied before a failure stays.
    try {
        const QString name = ini.ReadString(section, QStringLiteral("Name"), font.name);
        if (!name.isEmpty())
            font.name = name;
        const int charset = ini.ReadInteger(section, QStringLiteral("Charset"), font.charset);
        if (charset >= 0 && charset <= 255)
            font.charset = charset;
        font.setSize(ini.ReadInteger(section, QStringLiteral("Size"), font.size));
        // Read only now, so that its default is the height of the size just applied.
        font.setHeight(ini.ReadInteger(section, QStringLiteral("Height"), font.height));
        font.color = ini.ReadInteger(section, QStringLiteral("Color"), font.color);

        if (ini.ReadBool(section, QStringLiteral("Bold")))
            font.bold = true;
        if (ini.ReadBool(section, QStringLiteral("Italic")))
            font.italic = true;
        if (ini.ReadBool(section, QStringLiteral("Underline")))
            font.underline = true;
        if (ini.ReadBool(section, QStringLiteral("StrikeOut")))
            font.strikeout = true;
    } catch (...) {
    }
    return font;
}

void SaveFontToIni(IniFile& ini, const FontValue& font, const QString& section)
{
    DebugLog("SharedSrc.SaveFontToIni");
    ini.WriteString(section, QStringLiteral("Name"), font.name);
    ini.WriteInteger(section, QStringLiteral("Charset"), font.charset);
    ini.WriteInteger(section, QStringLiteral("Size"), font.size);
    ini.WriteInteger(section, QStringLiteral("Height"), font.height);
    ini.WriteInteger(section, QStringLiteral("Color"), font.color);
    ini.WriteBool(section, QStringLiteral("Bold"), font.bold);
    ini.WriteBool(section, QStringLiteral("Italic"), font.italic);
    ini.WriteBool(section, QStringLiteral("Underline"), font.underline);
    ini.WriteBool(section, QStringLiteral("Strikeout"), font.strikeout);
}

} // namespace SharedSrc

namespace ColorValue {

std::optional<QColor> toColor(qint32 value, const QPalette& palette)
{
    if (value >= 0 && value <= 0xFFFFFF)
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const quint32 bits = quint32(value);
    if ((bits & 0xFFFFFF00u) != SystemColourFlag)
        return std::nullopt;
    const quint32 index = bits & 0xFFu;
    if (index >= SystemColours.size() || SystemColours[index].role == QPalette::NoRole)
        return std::nullopt;
    return palette.color(SystemColours[index].group, SystemColours[index].role);
}

qint32 fromColor(const QColor& color)
{
    const QRgb rgb = color.rgb();
    return qint32(quint32(qRed(rgb)) | quint32(qGreen(rgb)) << 8 | quint32(qBlue(rgb)) << 16);
}

} // namespace ColorValue
