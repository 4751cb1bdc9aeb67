#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>

#include <functional>
#include <memory>

// How far a long piece of work is, shown once it has taken half a second: the work tells it through
// callback(), which also keeps the windows painted meanwhile. While it shows, it is modal, so that nothing
// the user does reaches the work's windows before the work is done.
class WorkProgress
{
public:
    explicit WorkProgress(QWidget* parent);
    ~WorkProgress();
    std::function<void(qint64 done, qint64 total)> callback();

private:
    void tell(qint64 done, qint64 total);

    QPointer<QWidget> m_parent;
    QElapsedTimer m_started;
    std::unique_ptr<QProgressDialog> m_dialog;
};
