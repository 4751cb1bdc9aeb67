#pragma once

#include <QList>
#include <QString>

// What an install puts under its prefix, relative to it; the same list for `cmake --install` and the
// Debian package (whose prefix is /usr).
namespace InstalledFiles {

inline constexpr char AppId[] = "io.sourceforge.quillet";
inline constexpr int IconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct Entry
{
    QString path;
    bool executable = false;
};

inline QString iconPath(int size)
{
    return QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(QLatin1String(AppId));
}

inline QList<Entry> expected()
{
    const QString id = QLatin1String(AppId);
    QList<Entry> files = {
        {QStringLiteral("bin/quillet"), true},
        {QStringLiteral("bin/quillet-cli"), true},
        {QStringLiteral("share/quillet/License.txt")},
        {QStringLiteral("share/quillet/Quillet.html")},
        {QStringLiteral("share/doc/quillet/copyright")},
        {QStringLiteral("share/applications/") + id + QStringLiteral(".desktop")},
        {QStringLiteral("share/mime/packages/") + id + QStringLiteral(".xml")},
        {QStringLiteral("share/metainfo/") + id + QStringLiteral(".metainfo.xml")},
        {QStringLiteral("share/icons/hicolor/scalable/apps/") + id + QStringLiteral(".svg")},
    };
    for (const int size : IconSizes)
        files.append({iconPath(size)});
    if (QUILLET_MAN_PAGES) {
        files.append({QStringLiteral("share/man/man1/quillet.1.gz")});
        files.append({QStringLiteral("share/man/man1/quillet-cli.1.gz")});
    }
    return files;
}

} // namespace InstalledFiles
