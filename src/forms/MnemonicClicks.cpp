#include "forms/MnemonicClicks.h"

#include <QAbstractButton>
#include <QApplication>
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
        auto* button = qobject_cast<QAbstractButton*>(watched);
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        // An access key that two buttons share only moves the focus, as Qt does it.
        if (!button || shortcut->isAmbiguous() || shortcut->key() != button->shortcut())
            return false;
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
