#include "shared/LocaleFormats.h"

#include <QLocale>

namespace LocaleFormats {
namespace {

// Drops time-zone fields ("t", "tt", "ttt", "tttt") and the blanks around them, outside quoted text.
QString withoutTimeZone(const QString& format)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result.append(c);
    }
    return result.simplified();
}

} // namespace

QString longTime(const QTime& time)
{
    const QLocale locale = QLocale::system();
    static const QString format = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return locale.toString(time, format);
}

QString shortDate(const QDate& date)
{
    const QLocale locale = QLocale::system();
    return locale.toString(date, locale.dateFormat(QLocale::ShortFormat));
}

} // namespace LocaleFormats
