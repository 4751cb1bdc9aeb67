#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class IniFile;
class QPalette;

// A font as the settings file keeps it. Size (points) and height (pixels, negative for the character
// height) describe the same thing: setting one recomputes the other at 96 pixels per inch.
struct FontValue
{
    QString name = QStringLiteral("Tahoma");
    int charset = 1; // kept and written back; Qt has no use for it
    int size = 8;
    int height = -11;
    qint32 color = -16777208; // the window-text system colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    void setSize(int points);
    void setHeight(int pixels);

    QFont toQFont() const;
    // Takes name, size and styles from `font`; charset and colour stay.
    void assignFrom(const QFont& font);
};

namespace SharedSrc {
// Changes `font` in place from `section` (missing keys keep the current values; a style is only ever
// added, never removed) and returns it. Never fails.
FontValue& LoadFontFromIni(const IniFile& ini, FontValue& font, const QString& section);
// Writes Name, Charset, Size, Height, Color, Bold, Italic, Underline, Strikeout. Raises IniWriteError.
void SaveFontToIni(IniFile& ini, const FontValue& font, const QString& section);
} // namespace SharedSrc

// Colour values are 0x00BBGGRR; negative values name system colours (0xFF0000nn, nn the system colour
// index), mapped to palette roles. Anything else is not a colour.
namespace ColorValue {
std::optional<QColor> toColor(qint32 value, const QPalette& palette);
qint32 fromColor(const QColor& color);
} // namespace ColorValue
