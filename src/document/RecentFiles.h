#pragma once

#include <QString>
#include <QStringList>

// The recent-files list: at most four full paths, the most recent first. A list is kept as a plain
// QStringList so that the window, the settings and the tests share one representation.
namespace RecentFiles {

inline constexpr qsizetype MaxCount = 4;

// `path` as an absolute, cleaned path with the platform's separators.
QString fullPath(const QString& path);

// Whether two entries name the same file: letter case counts where the file system tells names apart
// by case (Linux), and is ignored on Windows.
bool sameFile(const QString& a, const QString& b);

// Puts `path`, expanded to a full path, at the top. An entry naming the same file moves there and takes
// the new spelling; entries beyond MaxCount drop off the end. An empty path is not entered.
void add(QStringList& list, const QString& path);

// Moves entry `index` to the top; an index outside the list changes nothing.
void moveToTop(QStringList& list, qsizetype index);

// The list from the settings values MRU1..MRU4 in order: empty values are skipped, so gaps close up.
QStringList fromSettings(const QStringList& values);

// The file's name without its folder; the full path when it has none.
QString title(const QString& path);

// The menu caption of entry `index` (0-based): "&1 name", with "&" in the name doubled so it shows as
// itself rather than marking an access key.
QString menuCaption(qsizetype index, const QString& path);

} // namespace RecentFiles
