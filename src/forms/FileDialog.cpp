#include "forms/FileDialog.h"

#include "forms/MessageBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace FileDialog {
namespace {

struct TestQueue
{
    QList<Result> results;
    QStringList titles;
};

TestQueue& testQueue()
{
    static TestQueue queue;
    return queue;
}

Result run(QWidget* owner, const QString& title, const QStringList& filters, QFileDialog::AcceptMode mode)
{
    TestQueue& queue = testQueue();
    if (!queue.results.isEmpty()) {
        queue.titles.append(title);
        return queue.results.takeFirst();
    }

    QFileDialog dialog(owner, title);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);

    Result result;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return result;
    result.accepted = true;
    result.path = dialog.selectedFiles().constFirst();
    const qsizetype selected = filters.indexOf(dialog.selectedNameFilter());
    result.filterIndex = selected >= 0 ? int(selected) + 1 : 1;
    return result;
}

} // namespace

Result getOpenFileName(QWidget* owner, const QString& title, const QStringList& filters)
{
    return run(owner, title, filters, QFileDialog::AcceptOpen);
}

Result getSaveFileName(QWidget* owner, const QString& title, const QStringList& filters)
{
    return run(owner, title, filters, QFileDialog::AcceptSave);
}

void setNextResults(const QList<Result>& results)
{
    testQueue().results = results;
}

bool hasPendingResults()
{
    return !testQueue().results.isEmpty();
}

QStringList takeShownTitles()
{
    return std::exchange(testQueue().titles, {});
}

QString withDefaultExtension(const QString& path, int filterIndex, const QString& extension)
{
    if (filterIndex != 1)
        return path;
    const qsizetype nameStart =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QStringView current = dot >= nameStart ? QStringView(path).mid(dot) : QStringView();
    if (current == extension)
        return path;
    return path + extension;
}

QString askSavePath(QWidget* owner, const QString& title, const QStringList& filters,
                    const QString& extension)
{
    for (;;) {
        const Result result = getSaveFileName(owner, title, filters);
        if (!result.accepted || result.path.isEmpty())
            return {};
        const QString path = withDefaultExtension(result.path, result.filterIndex, extension);
        if (!QFileInfo::exists(path))
            return path;
        const QString question = QDir::toNativeSeparators(path) + QStringLiteral(" 已经存在。") +
                                 QLatin1String("\n\r") + QStringLiteral("你想要替换它吗?");
        if (MessageBox::show(owner, QMessageBox::Warning, QStringLiteral("另存为..."), question,
                             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            return path;
    }
}

} // namespace FileDialog
