#include "GridDelegate.h"

#include "FlexGrid.h"

#include <QPainter>
#include <algorithm>

GridDelegate::GridDelegate(const FlexGrid& grid) : grid_(grid) {}

bool GridDelegate::isCurrent(const QModelIndex& index) const {
    return index.row() + 1 == grid_.Row() && index.column() == grid_.Col();
}

void GridDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const int row = index.row() + 1;
    const int col = index.column();
    const bool inSelection = row >= std::min(grid_.Row(), grid_.RowSel()) &&
                             row <= std::max(grid_.Row(), grid_.RowSel()) &&
                             col >= std::min(grid_.Col(), grid_.ColSel()) &&
                             col <= std::max(grid_.Col(), grid_.ColSel());
    // As the suite's grid shows it: the current cell is framed, not highlighted.
    option->state.setFlag(QStyle::State_Selected, inSelection && !isCurrent(index));
    option->state.setFlag(QStyle::State_HasFocus, false);
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!isCurrent(index)) return;
    painter->save();
    QPen pen(option.palette.color(QPalette::Active, QPalette::Highlight));
    pen.setWidth(2);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
}
