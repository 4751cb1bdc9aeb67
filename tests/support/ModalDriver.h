#pragma once

#include "forms/MessageBox.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

// Dialogs of the program are shown with exec(), so a test that triggers one queues first what the user
// does in it. A modal dialog that no test queued for fails the running test at once, with its title and
// text, and is rejected, so that a fault shows as a failure rather than a hang.

using ModalStep = std::function<void(QDialog* dialog)>;

// Runs `step` with the next modal dialog of class `type` other than `current` once it shows, from inside
// its event loop. Should the step fail a check, the dialog is rejected so that the test does not hang.
void whenModalShown(ModalStep step, QWidget* current = nullptr,
                    const QMetaObject& type = QDialog::staticMetaObject);

// Before a case: forgets the message boxes and file dialogs answered so far.
void forgetShownDialogs();

// After a case: closes the dialogs it left open and forgets the message box answers and file dialog
// results it queued; with `queuesUsed`, fails the case when one of them never showed.
void closeDialogs(bool queuesUsed);

// The one message box shown since the last look; the test fails unless exactly one was shown, with
// `caption`, `text`, `icon` and `buttons` where given (empty, NoIcon and NoButton are not checked).
MessageBox::Shown takeOneBox(const QString& caption = {}, const QString& text = {},
                             QMessageBox::Icon icon = QMessageBox::NoIcon,
                             QMessageBox::StandardButtons buttons = QMessageBox::NoButton);

// One queued step at a time, that a test can ask about and withdraw.
class ModalDriver
{
public:
    ~ModalDriver() { cancel(); }

    void onNextDialog(ModalStep step, const QMetaObject& type = QDialog::staticMetaObject);
    // The next dialog of class `Dialog`; another dialog that shows first fails the test.
    template <class Dialog> void onNext(std::function<void(Dialog*)> step)
    {
        onNextDialog([step = std::move(step)](QDialog* dialog) { step(static_cast<Dialog*>(dialog)); },
                     Dialog::staticMetaObject);
    }
    // True once the queued step has run.
    bool seen() const { return m_seen && *m_seen; }
    void cancel();

private:
    QPointer<QObject> m_pending;
    std::shared_ptr<bool> m_seen;
};
