#pragma once

#include <QString>

namespace WindowTitle {

// `text` for setWindowTitle, shown as it is: Qt takes "[*]" in a title for the place of its
// modified mark and drops it, unless it is doubled.
inline QString literal(QString text)
{
    return text.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
}

} // namespace WindowTitle
