#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QFont;
class QWidget;

// One widget of a dialog as the user sees it, found by its object name. An empty rectangle, a width or
// height of 0 and an empty text are not checked; the text is a label's or button's text, or a group box's
// title.
struct WidgetPlace
{
    const char* name;
    QRect geometry;
    QString text = {};
};

// The frame of the program's dialogs: title, a size that cannot change, a close box only, the owner's
// font unless another is given.
void verifyFixedDialog(const QWidget& dialog, const QString& title, QSize size, const QWidget* owner,
                       const QFont* font = nullptr);
void verifyWidgets(const QWidget& dialog, const QList<WidgetPlace>& places);
// Each access key ("&X") among these texts, of one menu or one dialog, is held by one text only.
void verifyAccessKeysOnce(const QStringList& texts);
