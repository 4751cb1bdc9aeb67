#pragma once

#include "app/MainFormU.h"
#include "document/NotesDocument.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

class QAction;

// Runs `step` on the next modal dialog as soon as it is open, from inside its event loop. Dialogs of the
// program are shown with exec(), so a test that triggers one must queue what the user does first.
class ModalDriver : public QObject
{
public:
    using Step = std::function<void(QDialog*)>;

    ModalDriver()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    }

    void onNextDialog(Step step)
    {
        m_step = std::move(step);
        m_seen = false;
        m_timer.start();
    }

    // True once a queued step has run.
    bool seen() const { return m_seen; }

    void cancel()
    {
        m_timer.stop();
        m_step = nullptr;
    }

private:
    void poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        m_timer.stop();
        m_seen = true;
        Step step = std::exchange(m_step, nullptr);
        if (step)
            step(dialog);
    }

    QTimer m_timer;
    Step m_step;
    bool m_seen = false;
};

// Text of the program's byte strings, for comparisons.
QByteArray gb(const QString& text);

// Gives the window's document `password` as a file it had opened would, leaving the modified mark alone.
inline void givePassword(TMainForm& form, const QByteArray& password)
{
    NotesDocument& document = form.document();
    const bool modified = document.isModified();
    document.changePassword(document.password(), password, password);
    document.setModified(modified);
}
