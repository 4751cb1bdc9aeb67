#pragma once

#include <QLabel>

// A link in a dialog: underlined text with the hand cursor, blue, or red while it is hot. It tells when
// the mouse comes and goes and when it is clicked, by the mouse or by Enter or the space bar while it
// has the focus, which Tab gives it; whoever owns it decides what that means.
class LinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LinkLabel(QWidget* parent, const char* name, const QString& hint);

    void setHot(bool hot);

Q_SIGNALS:
    void entered();
    void left();
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
