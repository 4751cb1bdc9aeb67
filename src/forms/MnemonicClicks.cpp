#include "forms/MnemonicClicks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QShortcutEvent>

namespace MnemonicClicks {
namespace {

class Filter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Shortcut)
            return false;
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button && shortcut->key() != button->shortcut())
            button = nullptr;
        // A label's access key acts on the button it names.
        if (const auto* label = qobject_cast<QLabel*>(watched))
            button = qobject_cast<QAbstractButton*>(label->buddy());
        // An access key that two buttons share only moves the focus, as Qt does it.
        if (!button || shortcut->isAmbiguous() || !button->isEnabled())
            return false;
        if (button->focusPolicy() & Qt::TabFocus)
            button->setFocus(Qt::ShortcutFocusReason);
        button->click();
        return true;
    }
};

} // namespace

void install()
{
    static Filter* filter = nullptr;
    if (filter)
        return;
    filter = new Filter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace MnemonicClicks
