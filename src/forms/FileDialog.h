#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Open and save dialogs with the program's filters, as Qt writes them ("描述 (*.ext)", "所有文件 (*)": on
// Linux "*.*" would skip names without a dot). Qt's own dialog
// is used so that the selected filter and the typed name come back exactly as the user left them: it adds
// no extension and asks nothing about existing files. Tests queue results instead of showing dialogs.
namespace FileDialog {

struct Result
{
    bool accepted = false;
    QString path;
    int filterIndex = 1; // 1-based, as the program's extension rules count filters
};

Result getOpenFileName(QWidget* owner, const QString& title, const QStringList& filters);
Result getSaveFileName(QWidget* owner, const QString& title, const QStringList& filters);

// For tests: the next dialogs are not shown but give these results, in order.
void setNextResults(const QList<Result>& results);
bool hasPendingResults();
// For tests: titles of the dialogs answered through setNextResults since the last call.
QStringList takeShownTitles();

// Appends `extension` when the first filter is selected and the name's extension (from the last dot of
// its file part, dot included) is not exactly `extension`; with any other filter the name stays.
QString withDefaultExtension(const QString& path, int filterIndex, const QString& extension);

// The save flow shared by save as, export and the note dialog's save: dialog, extension rule, and the
// replace question ("<path> 已经存在。\n\r你想要替换它吗?", caption "另存为...", Yes/No, warning); No
// starts again with a fresh dialog. Returns an empty string when the user cancels.
QString askSavePath(QWidget* owner, const QString& title, const QStringList& filters,
                    const QString& extension);

} // namespace FileDialog
