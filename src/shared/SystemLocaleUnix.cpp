#include "shared/SystemLocale.h"

#include <QStringDecoder>

#include <langinfo.h>

namespace SystemLocale {

QByteArray textEncoding()
{
    const QByteArray codeset = nl_langinfo(CODESET);
    if (codeset != "ANSI_X3.4-1968" && codeset != "US-ASCII" && QStringDecoder(codeset.constData()).isValid())
        return codeset;
    return "UTF-8";
}

QLocale collation()
{
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const QByteArray value = qgetenv(variable);
        if (value.isEmpty())
            continue;
        // "zh_CN.GB18030@modifier": the character set and modifier do not change the order.
        QByteArray name = value;
        for (const char end : {'.', '@'})
            name.truncate(name.contains(end) ? name.indexOf(end) : name.size());
        return name == "C" || name == "POSIX" ? QLocale::c() : QLocale(QString::fromLatin1(name));
    }
    return QLocale::c();
}

} // namespace SystemLocale
