#pragma once

#include <QFrame>
#include <QIcon>
#include <QString>

class QLabel;

// One panel of the status bar: an optional 16 x 16 image followed by a line of text, in a thin box. Text
// that does not fit ends in "…".
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
    void doubleClicked();
    void textChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showText();

    QString m_text;
    QIcon m_icon;
    QLabel* m_image = nullptr;
    QLabel* m_label = nullptr;
};
