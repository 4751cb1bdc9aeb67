#pragma once

#include <QFrame>
#include <QIcon>
#include <QString>

class QLabel;

// One panel of the status bar: an optional 16 x 16 image followed by a line of text, in a thin box. Text
// that does not fit ends in "…". A panel given a focus policy is activated by Enter or the space bar as
// by a double click, and shows its focus.
class StatusPanel : public QFrame
{
    Q_OBJECT

public:
    explicit StatusPanel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    bool hasIcon() const { return !m_icon.isNull(); }
    void setIcon(const QIcon& icon);

    // The width that shows `text` whole beside the image, in the panel's font.
    int fittingWidth(const QString& text) const;

Q_SIGNALS:
    // Double-clicked, or Enter or the space bar pressed while it has the focus.
    void activated();
    void textChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showText();

    QString m_text;
    QIcon m_icon;
    QLabel* m_image = nullptr;
    QLabel* m_label = nullptr;
};
