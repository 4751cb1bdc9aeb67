#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

// The field above the notes list that filters it as the user types. Esc in it asks to close it, as the
// button beside it does.
class FilterBar : public QWidget
{
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);

    QString text() const;
    void clear();
    // Focuses the field with its text selected, so that typing replaces it.
    void focusText();

Q_SIGNALS:
    void textChanged(const QString& text);
    // Esc in the field, or the close button.
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* FilterLabel = nullptr;
    QLineEdit* FilterText = nullptr;
    QToolButton* FilterCloseBtn = nullptr;
};
