#include "DialogLayout.h"

#include <QMap>
#include <QTest>
#include <QVariant>
#include <QWidget>

using namespace Qt::StringLiterals;

void verifyFixedDialog(const QWidget& dialog, const QString& title, QSize size, const QWidget* owner,
                       const QFont* font)
{
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.size(), size);
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(dialog.parentWidget(), owner);
    QCOMPARE(dialog.font(), font ? *font : owner->font());
}

void verifyWidgets(const QWidget& dialog, const QList<WidgetPlace>& places)
{
    for (const WidgetPlace& place : places) {
        const auto* widget = dialog.findChild<QWidget*>(QLatin1String(place.name));
        QVERIFY2(widget, place.name);
        const QRect shown = widget->geometry();
        const bool placed = shown.topLeft() == place.geometry.topLeft() &&
                            (place.geometry.width() == 0 || shown.width() == place.geometry.width()) &&
                            (place.geometry.height() == 0 || shown.height() == place.geometry.height());
        QVERIFY2(place.geometry == QRect() || placed,
                 qPrintable(u"%1 at %2,%3 %4x%5"_s.arg(QLatin1String(place.name))
                                .arg(shown.x())
                                .arg(shown.y())
                                .arg(shown.width())
                                .arg(shown.height())));
        if (place.text.isEmpty())
            continue;
        QVariant text = widget->property("text");
        if (!text.isValid())
            text = widget->property("title");
        QCOMPARE(text.toString(), place.text);
    }
}

void verifyAccessKeysOnce(const QStringList& texts)
{
    QMap<QChar, QString> holders;
    for (const QString& text : texts) {
        for (qsizetype at = text.indexOf(u'&'); at >= 0 && at + 1 < text.size();
             at = text.indexOf(u'&', at + 2)) {
            if (text.at(at + 1) == u'&')
                continue;
            const QChar key = text.at(at + 1).toUpper();
            QVERIFY2(!holders.contains(key), qPrintable(holders.value(key) + u" / "_s + text));
            holders.insert(key, text);
        }
    }
}
