#pragma once

#include <QString>

// The start-up entry names the executable in any ASCII letter case. Only ASCII letters fold, so two paths
// that differ in other letters stay two paths.
namespace AsciiCase {

inline bool same(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    const auto upper = [](QChar c) { return c >= u'a' && c <= u'z' ? QChar(c.unicode() - 'a' + 'A') : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (upper(a.at(i)) != upper(b.at(i)))
            return false;
    }
    return true;
}

} // namespace AsciiCase
