#pragma once

#include <QColor>
#include <QHash>
#include <QStyledItemDelegate>

// The notes list's priority column drawn so that the priorities stand apart at a glance: the two high
// ones bold in warm colours, the low one muted, the standard one as the rest of the row. The colours are
// worked out against the list's own background, light or dark, so that each keeps a readable contrast,
// the standard one's too where the row's own colour has none.
class PriorityColumn : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    mutable QHash<quint64, QColor> m_colors; // by priority, background and row text colour
};
