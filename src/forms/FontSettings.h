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
    // The font dialog's range on Windows; a larger value would only ask for a huge glyph cache.
    static constexpr int MinSize = 1;
    static constexpr int MaxSize = 1638;

    QString name = QStringLiteral("Tahoma");
    int charset = 1; // kept and written back; Qt has no use for it
    int size = 8;
    int height = -11;
    qint32 color = -16777208; // the window-text system colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    // Both ignore a value that gives a size outside MinSize..MaxSize (a height of 0 among them), so
    // that size and height always describe one usable font.
    void setSize(int points);
    // A positive height is the whole character cell, internal leading included. The leading is taken
    // as a sixth of the cell, as in the usual Windows interface fonts (Tahoma 8: cell 13, height -11).
    void setHeight(int pixels);

    QFont toQFont() const;
    // Takes name, size and styles from `font`; charset and colour stay.
    void assignFrom(const QFont& font);

    bool operator==(const FontValue&) const = default;
};

namespace SharedSrc {
// Changes `font` in place from `section` (missing keys keep the current values; a style is only ever
// added, never removed) and returns it. Never fails: a value that cannot be applied (an empty name, a
// charset outside 0..255, a size outside the font range) is passed over.
FontValue& LoadFontFromIni(const IniFile& ini, FontValue& font, const QString& section);
// Writes Name, Charset, Size, Height, Color, Bold, Italic, Underline, Strikeout. Raises IniWriteError.
void SaveFontToIni(IniFile& ini, const FontValue& font, const QString& section);
} // namespace SharedSrc

// Colour values are 0x00BBGGRR; negative values name system colours (0xFF0000nn, nn the system colour
// index), mapped to palette roles. Anything else is not a colour.
//
//   nn  Windows name              palette (group) role
//    0  COLOR_SCROLLBAR           Button
//    1  COLOR_BACKGROUND          Dark
//    2  COLOR_ACTIVECAPTION       Highlight
//    3  COLOR_INACTIVECAPTION     (Inactive) Highlight
//    4  COLOR_MENU                Window
//    5  COLOR_WINDOW              Base
//    6  COLOR_WINDOWFRAME         Shadow
//    7  COLOR_MENUTEXT            WindowText
//    8  COLOR_WINDOWTEXT          WindowText
//    9  COLOR_CAPTIONTEXT         HighlightedText
//   10  COLOR_ACTIVEBORDER        Window
//   11  COLOR_INACTIVEBORDER      (Inactive) Window
//   12  COLOR_APPWORKSPACE        Dark
//   13  COLOR_HIGHLIGHT           Highlight
//   14  COLOR_HIGHLIGHTTEXT       HighlightedText
//   15  COLOR_BTNFACE             Button
//   16  COLOR_BTNSHADOW           Dark
//   17  COLOR_GRAYTEXT            (Disabled) Text
//   18  COLOR_BTNTEXT             ButtonText
//   19  COLOR_INACTIVECAPTIONTEXT (Inactive) HighlightedText
//   20  COLOR_BTNHIGHLIGHT        Light
//   21  COLOR_3DDKSHADOW          Shadow
//   22  COLOR_3DLIGHT             Midlight
//   23  COLOR_INFOTEXT            ToolTipText
//   24  COLOR_INFOBK              ToolTipBase
//   25  (none)                    not a colour
//   26  COLOR_HOTLIGHT            Link
//   27  COLOR_GRADIENTACTIVECAPTION   Highlight
//   28  COLOR_GRADIENTINACTIVECAPTION (Inactive) Highlight
//   29  COLOR_MENUHILIGHT         Highlight
//   30  COLOR_MENUBAR             Window
// Roles without a group are taken from the Active group.
namespace ColorValue {
std::optional<QColor> toColor(qint32 value, const QPalette& palette);
// 0x00BBGGRR of the colour's RGB value.
qint32 fromColor(const QColor& color);
} // namespace ColorValue
