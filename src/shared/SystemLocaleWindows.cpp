#include "shared/SystemLocale.h"

namespace SystemLocale {

QByteArray textEncoding()
{
    // Qt's name for the ANSI code page.
    return "Locale";
}

QLocale collation()
{
    return QLocale::system();
}

} // namespace SystemLocale
