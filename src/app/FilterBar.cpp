#include "app/FilterBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

FilterBar::FilterBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FilterBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    FilterText = new QLineEdit(this);
    FilterText->setObjectName(QStringLiteral("FilterText"));
    FilterText->installEventFilter(this);
    FilterLabel = new QLabel(QStringLiteral("筛选(&L)"), this);
    FilterLabel->setObjectName(QStringLiteral("FilterLabel"));
    FilterLabel->setBuddy(FilterText);
    FilterCloseBtn = new QToolButton(this);
    FilterCloseBtn->setObjectName(QStringLiteral("FilterCloseBtn"));
    FilterCloseBtn->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    FilterCloseBtn->setToolTip(QStringLiteral("关闭筛选"));
    FilterCloseBtn->setAutoRaise(true);
    FilterCloseBtn->setFocusPolicy(Qt::TabFocus);

    layout->addWidget(FilterLabel);
    layout->addWidget(FilterText, 1);
    layout->addWidget(FilterCloseBtn);

    connect(FilterText, &QLineEdit::textChanged, this, &FilterBar::textChanged);
    connect(FilterCloseBtn, &QToolButton::clicked, this, &FilterBar::closeRequested);
}

QString FilterBar::text() const
{
    return FilterText->text();
}

void FilterBar::clear()
{
    FilterText->clear();
}

void FilterBar::focusText()
{
    FilterText->setFocus(Qt::ShortcutFocusReason);
    FilterText->selectAll();
}

// Esc belongs to the field while it has the focus, not to the window's exit command.
bool FilterBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FilterText &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                Q_EMIT closeRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
