#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The user's short date and long time, as QLocale::system() writes them but without any time-zone part,
// so that times read like 14:02:51.
namespace LocaleFormats {
QString longTime(const QTime& time);
QString shortDate(const QDate& date);
} // namespace LocaleFormats
