#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

// The font choice of the options dialog: Qt's font dialog, which has no colour, with the text colour
// beside it, as a font of the settings carries one.
class FontColorDialog : public QDialog
{
    Q_OBJECT

public:
    FontColorDialog(const QFont& font, const QColor& color, QWidget* parent);

    // Shows the dialog; on OK the choice is in `font` and `color` and the result is true.
    static bool ask(QFont& font, QColor& color, QWidget* parent);

    QFont selectedFont() const;
    QColor selectedColor() const { return m_color; }

    QFontDialog* FontChooser = nullptr;
    QPushButton* ColorBtn = nullptr;
    QPushButton* OkBtn = nullptr;

private:
    void ColorBtnClick();
    void showColor();

    QColor m_color;
};
