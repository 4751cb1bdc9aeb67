#include "shared/NoteFields.h"

#include "shared/AnsiText.h"
#include "shared/DebugLog.h"

#include <algorithm>
#include <array>

namespace SharedSrc {
namespace {

const std::array<QByteArray, PriorityCount>& priorityNames()
{
    static const std::array<QByteArray, PriorityCount> names = {
        AnsiText::fromUnicode(u"低"),
        AnsiText::fromUnicode(u"标准"),
        AnsiText::fromUnicode(u"高"),
        AnsiText::fromUnicode(u"最高"),
    };
    return names;
}

} // namespace

QByteArrayView captionOf(QByteArrayView text)
{
    const qsizetype cr = text.indexOf('\r');
    return cr < 0 ? text : text.first(cr);
}

QByteArrayView ExtractCaption(const QByteArray& text)
{
    DebugLog("SharedSrc.ExtractCaption");
    return captionOf(text);
}

QByteArrayView shownCaption(const QByteArray& text)
{
    constexpr qsizetype MaxShownBytes = 4096;
    return captionOf(QByteArrayView(text).first(std::min(text.size(), MaxShownBytes)));
}

quint16 priorityIndexOf(const QByteArray& name)
{
    const auto& names = priorityNames();
    for (quint16 i = 0; i < PriorityCount; ++i) {
        if (names[i].constData() == name.constData())
            return i;
    }
    for (quint16 i = 0; i < PriorityCount; ++i) {
        if (names[i] == name)
            return i;
    }
    return DefaultPriority;
}

quint16 GetPriorityByText(const QByteArray& name)
{
    DebugLog("SharedSrc.GetPriorityByText");
    return priorityIndexOf(name);
}

QByteArray GetPriorityByIndex(quint16 index)
{
    DebugLog("SharedSrc.GetPriorityByIndex");
    return priorityNames()[index < PriorityCount ? index : DefaultPriority];
}

} // namespace SharedSrc
