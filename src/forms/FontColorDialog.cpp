#include "forms/FontColorDialog.h"

#include "forms/AccessibleNames.h"
#include "forms/Guarded.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

FontColorDialog::FontColorDialog(const QFont& font, const QColor& color, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_color(color)
{
    setObjectName(QStringLiteral("FontColorDialog"));
    setWindowTitle(QStringLiteral("字体"));
    auto* layout = new QVBoxLayout(this);

    // Qt's own dialog as a part of this one, without its buttons.
    FontChooser = new QFontDialog(font, this);
    FontChooser->setObjectName(QStringLiteral("FontChooser"));
    FontChooser->setWindowFlags(Qt::Widget);
    FontChooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    FontChooser->setSizeGripEnabled(false);
    // Its size label names the size box; the size list below it is named the same.
    AccessibleNames::nameControls(FontChooser);
    for (auto* label : FontChooser->findChildren<QLabel*>()) {
        auto* box = qobject_cast<QLineEdit*>(label->buddy());
        if (!box || box->focusProxy())
            continue;
        for (auto* list : FontChooser->findChildren<QAbstractItemView*>()) {
            if (list->accessibleName().isEmpty())
                list->setAccessibleName(box->accessibleName());
        }
    }
    layout->addWidget(FontChooser);

    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("颜色(&C):"), this);
    ColorBtn = new QPushButton(this);
    ColorBtn->setObjectName(QStringLiteral("ColorBtn"));
    ColorBtn->setAccessibleDescription(QStringLiteral("文字颜色"));
    // Enter confirms the dialog even after Alt+C has left the focus here.
    ColorBtn->setAutoDefault(false);
    colorLabel->setBuddy(ColorBtn);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(ColorBtn);
    colorRow->addStretch();
    layout->addLayout(colorRow);
    connect(ColorBtn, &QPushButton::clicked, this, Guarded::slot(this, &FontColorDialog::ColorBtnClick));
    showColor();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    // OK with an access key the font chooser's own labels leave free; Qt would put its own text back
    // on a standard button whenever the language changes.
    OkBtn = buttons->addButton(QStringLiteral("确定(&O)"), QDialogButtonBox::AcceptRole);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool FontColorDialog::ask(QFont& font, QColor& color, QWidget* parent)
{
    FontColorDialog dialog(font, color, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.selectedFont();
    color = dialog.selectedColor();
    return true;
}

QFont FontColorDialog::selectedFont() const
{
    return FontChooser->currentFont();
}

void FontColorDialog::ColorBtnClick()
{
    const QColor chosen = QColorDialog::getColor(m_color, this);
    if (!chosen.isValid())
        return;
    m_color = chosen;
    showColor();
}

// A swatch and the colour's value, so that the choice can be seen and read.
void FontColorDialog::showColor()
{
    QPixmap swatch(24, 12);
    swatch.fill(m_color);
    ColorBtn->setIcon(swatch);
    ColorBtn->setIconSize(swatch.size());
    ColorBtn->setText(m_color.name());
}
