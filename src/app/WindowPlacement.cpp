#include "app/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QRect fit(const QRect& saved, const QSize& minimum, const QList<QRect>& screens)
{
    QRect window(saved.topLeft(), saved.size().expandedTo(minimum));
    if (screens.isEmpty())
        return window;
    for (const QRect& screen : screens) {
        if (screen.contains(window))
            return window;
    }
    QRect target = screens.constFirst();
    qint64 largest = 0;
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(window);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > largest) {
            largest = area;
            target = screen;
        }
    }
    window.setSize(window.size().boundedTo(target.size()).expandedTo(minimum));
    // Over the right or bottom edge first, so that a window larger than the screen shows its top left.
    const int x = std::max(std::min(window.x(), target.right() + 1 - window.width()), target.x());
    const int y = std::max(std::min(window.y(), target.bottom() + 1 - window.height()), target.y());
    window.moveTo(x, y);
    return window;
}

} // namespace WindowPlacement
