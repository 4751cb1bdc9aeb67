#pragma once

#include <QString>
#include <QStringList>

// The nine named looks of the menu bar and the toolbar. Names are case-sensitive.
namespace Themes {

inline constexpr char FallbackName[] = "Office11XP";

bool isKnown(const QString& name);
// The style sheet for the docks holding the menu bar and the toolbar; empty for an unknown name.
QString styleSheet(const QString& name);
// Themes that draw the bars flat, without the docks' edge lines.
bool hidesEdgeLines(const QString& name);

} // namespace Themes
