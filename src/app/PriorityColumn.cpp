#include "app/PriorityColumn.h"

#include "document/NotesModel.h"
#include "shared/NoteFields.h"

#include <cmath>

namespace {

// The contrast that text of a normal size needs to be read easily (WCAG).
constexpr double Readable = 4.5;
constexpr double LightnessStep = 0.01;

struct Tint
{
    float hue; // -1: grey
    float saturation;
    float lightness; // where the search starts: as vivid, or for grey as faint, as the colour may be
};

// The tints of low, high and highest; the standard one keeps the row's colour.
constexpr Tint Low{-1.0f, 0.0f, 0.5f};
constexpr Tint High{30.0f / 360.0f, 1.0f, 0.45f};
constexpr Tint Highest{0.0f, 0.9f, 0.45f};

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& color)
{
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor farthest(const QColor& background)
{
    return contrast(background, Qt::white) > contrast(background, Qt::black) ? QColor(Qt::white)
                                                                             : QColor(Qt::black);
}

// Moves away from the background's lightness until the text reads well over it; black or white when
// no shade of the tint does.
QColor readable(const Tint& tint, const QColor& background)
{
    const QColor far = farthest(background);
    const double step = far == Qt::white ? LightnessStep : -LightnessStep;
    for (double lightness = tint.lightness; lightness >= 0.0 && lightness <= 1.0; lightness += step) {
        const QColor color = QColor::fromHslF(tint.hue, tint.saturation, float(lightness));
        if (contrast(color, background) >= Readable)
            return color;
    }
    return far;
}

// The text colour of `priority` (0 low .. 3 highest) over `background`; for the standard one the row's
// own, `text`, where that reads well.
QColor textColor(int priority, const QColor& background, const QColor& text)
{
    switch (priority) {
    case 0:
        return readable(Low, background);
    case 2:
        return readable(High, background);
    case 3:
        return readable(Highest, background);
    default:
        if (contrast(text, background) >= Readable)
            return text;
        return farthest(background);
    }
}

bool isBold(int priority)
{
    return priority >= 2;
}

} // namespace

void PriorityColumn::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const int priority = SharedSrc::GetPriorityByText(index.data(NotesModel::PriorityNameRole).toByteArray());
    // A selected row is drawn in the selection's own text colour; the weight still tells.
    QPalette& palette = option->palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor background = palette.color(group, QPalette::Base);
        const QColor text = palette.color(group, QPalette::Text);
        // Worked out once for each list colour: every visible cell asks at every repaint.
        const quint64 key = quint64(priority) << 48 | quint64(background.rgb() & 0xFFFFFF) << 24 |
                            quint64(text.rgb() & 0xFFFFFF);
        auto found = m_colors.constFind(key);
        if (found == m_colors.cend())
            found = m_colors.insert(key, textColor(priority, background, text));
        palette.setColor(group, QPalette::Text, *found);
    }
    if (isBold(priority)) {
        option->font.setBold(true);
        option->fontMetrics = QFontMetrics(option->font);
    }
}
