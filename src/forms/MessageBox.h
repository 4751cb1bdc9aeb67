#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

#include <utility>

// Every message box of the program goes through here, so that tests can answer them without blocking.
namespace MessageBox {

struct Shown
{
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};

// A button shown with the program's own words instead of the desktop's.
using ButtonText = std::pair<QMessageBox::StandardButton, QString>;

// Shows a modal message box owned by `owner` (nullptr: the dialog in use, else the program's window),
// wide enough for its caption, and returns the button pressed; a box closed without a button gives Cancel
// when it has one, else the escape button.
QMessageBox::StandardButton show(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
                                 const QList<ButtonText>& texts = {});

// For tests: the next boxes are not shown but answered with these buttons, in order, and recorded.
void setNextAnswers(const QList<QMessageBox::StandardButton>& answers);
bool hasPendingAnswers();
// For tests: the boxes answered through setNextAnswers since the last call.
QList<Shown> takeShown();

} // namespace MessageBox

namespace SharedSrc {
// The message for expected failures: caption "错误", error icon, OK, over the dialog or window in use.
void ErrorMsg(const QString& text);
} // namespace SharedSrc
