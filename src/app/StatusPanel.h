#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

// One panel of the status bar: an optional 16 x 16 image followed by a line of text, in a sunken frame.
class StatusPanel : public QWidget
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
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_text;
    QIcon m_icon;
};
