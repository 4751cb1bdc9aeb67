#pragma once

// Qt's own accessible views of a menu item and a drop-down list, with the names of AccessibleNames.
namespace AccessibleInterfaces {

// For the whole application; installing twice changes nothing.
void install();

} // namespace AccessibleInterfaces
