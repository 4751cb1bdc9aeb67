#include "document/RecentFiles.h"

#include <QDir>
#include <QFileInfo>

namespace RecentFiles {

QString fullPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

bool sameFile(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

void add(QStringList& list, const QString& path)
{
    const QString full = fullPath(path);
    if (full.isEmpty())
        return;
    list.removeIf([&full](const QString& entry) { return sameFile(entry, full); });
    list.prepend(full);
    while (list.size() > MaxCount)
        list.removeLast();
}

void moveToTop(QStringList& list, qsizetype index)
{
    if (index <= 0 || index >= list.size())
        return;
    list.move(index, 0);
}

QStringList fromSettings(const QStringList& values)
{
    QStringList list;
    for (const QString& value : values) {
        if (!value.isEmpty() && list.size() < MaxCount)
            list.append(value);
    }
    return list;
}

QString title(const QString& path)
{
    const QString name = QFileInfo(QDir::fromNativeSeparators(path)).fileName();
    return name.isEmpty() ? path : name;
}

QString menuCaption(qsizetype index, const QString& path)
{
    QString name = title(path);
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QLatin1Char('&') + QString::number(index + 1) + QLatin1Char(' ') + name;
}

} // namespace RecentFiles
