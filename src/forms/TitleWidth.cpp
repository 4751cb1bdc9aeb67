#include "forms/TitleWidth.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace TitleWidth {
namespace {

// Title bars draw in a bold face of about 14 pixels, Qt's own Wayland decoration included.
constexpr int TitlePixels = 14;
// Minimise, maximise and close with their margins. The title is centred, so the same room is kept on
// the side of the window's icon.
constexpr int ButtonsWidth = 80;

} // namespace

int windowWidthFor(const QString& title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    if (QFontInfo(font).pixelSize() < TitlePixels)
        font.setPixelSize(TitlePixels);
    return QFontMetrics(font).horizontalAdvance(title) + 2 * ButtonsWidth;
}

void fit(QMessageBox& box)
{
    // The box takes the width of its layout's minimum, so a strut across the whole grid widens it.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int margins = box.contentsMargins().left() + box.contentsMargins().right() +
                        grid->contentsMargins().left() + grid->contentsMargins().right();
    grid->addItem(new QSpacerItem(windowWidthFor(box.windowTitle()) - margins, 0, QSizePolicy::Fixed,
                                  QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace TitleWidth
