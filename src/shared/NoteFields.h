#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Captions and priorities of notes. Texts and names are byte strings in the ANSI code page.
namespace SharedSrc {

inline constexpr quint16 PriorityCount = 4;
inline constexpr quint16 DefaultPriority = 1;

// A note's caption: its text up to (not including) the first CR; the whole text when it has none. A line
// feed alone does not end it. Untraced, for whoever shows, sorts or lists captions.
QByteArrayView captionOf(QByteArrayView text);

// The same, traced: where a row takes its caption from its text (a note loaded, added, edited or moved).
QByteArrayView ExtractCaption(const QByteArray& text);

// The caption as a list row or a window title shows it, and no more of it than they can show: the caption
// of a note of many megabytes without a line break would otherwise be searched, decoded and measured whole
// on every repaint, and a title that long is more than an X server takes in one request.
QByteArrayView shownCaption(const QByteArray& text);

// 0..3 for "低", "标准", "高", "最高" (exact bytes); every other name gives 1. Untraced, for whoever
// writes or lists many notes; a name that shares its bytes with one of the four is told without comparing.
quint16 priorityIndexOf(const QByteArray& name);

// The same, traced.
quint16 GetPriorityByText(const QByteArray& name);

// The name of a priority index. Files written by Quillet hold only 0..3; a damaged or foreign file may
// hold any index, and such a note is shown with the standard priority's name "标准", so that it counts,
// sorts and saves back like any standard note.
QByteArray GetPriorityByIndex(quint16 index);

} // namespace SharedSrc
