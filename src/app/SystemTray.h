#pragma once

#include <optional>

// Whether the desktop shows tray icons. Without one, a window hidden "to the tray" could never be
// brought back, so the program minimises it instead.
namespace SystemTray {

bool isAvailable();

// For tests, whose platform has no tray: answer `available` instead of asking the desktop;
// std::nullopt asks the desktop again.
void setAvailableForTests(std::optional<bool> available);

} // namespace SystemTray
