#include "forms/WorkProgress.h"

#include <QCoreApplication>

namespace {
constexpr qint64 ShownAfterMs = 500;
// The range in steps, as the dialog counts in int and a note may hold 4 GiB.
constexpr int Steps = 1000;
} // namespace

WorkProgress::WorkProgress(QWidget* parent) : m_parent(parent)
{
    m_started.start();
}

WorkProgress::~WorkProgress() = default;

std::function<void(qint64 done, qint64 total)> WorkProgress::callback()
{
    return [this](qint64 done, qint64 total) { tell(done, total); };
}

void WorkProgress::tell(qint64 done, qint64 total)
{
    if (!m_dialog) {
        if (m_started.elapsed() < ShownAfterMs) {
            // Painting only: a click or a key now would reach windows that the work is changing.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return;
        }
        m_dialog = std::make_unique<QProgressDialog>(m_parent);
        m_dialog->setObjectName(QStringLiteral("WorkProgress"));
        m_dialog->setWindowTitle(QStringLiteral("Quillet"));
        m_dialog->setLabelText(QStringLiteral("请稍候..."));
        m_dialog->setCancelButton(nullptr);
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setAutoClose(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setRange(0, Steps);
        m_dialog->show();
    }
    // A modal dialog lets the events through here, the user's only to itself.
    m_dialog->setValue(total > 0 ? int(done * Steps / total) : Steps);
}
