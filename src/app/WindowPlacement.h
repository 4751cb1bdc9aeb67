#pragma once

#include <QList>
#include <QRect>
#include <QSize>

// Where a window that can grow comes back: the place the user left it in, as long as the desktop still
// has room for it there.
namespace WindowPlacement {

// `saved` is the frame's top left corner with the size inside the frame, `screens` the free areas of the
// desktop's screens, the primary one first. A window that lies whole on one screen keeps its place. Any
// other is made no larger than the screen it overlaps most (the first when it overlaps none) and moved
// onto it, as little as it must; it is never smaller than `minimum`.
QRect fit(const QRect& saved, const QSize& minimum, const QList<QRect>& screens);

} // namespace WindowPlacement
