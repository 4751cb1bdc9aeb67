#pragma once

// Qt's own texts (message-box buttons, file, font and colour dialogs) in Simplified Chinese like the
// rest of the program, whatever the locale.
namespace QtTranslation {

// Installs Qt's Chinese translation in the running application. False, and Qt's English texts, when the
// translation is not installed on this system.
bool install();

} // namespace QtTranslation
