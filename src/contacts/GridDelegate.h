#pragma once

#include <QStyledItemDelegate>

class FlexGrid;

// Paints a grid's cells with the grid's own current cell and selection (the view's selection
// model is not used, so that moving the current cell by code costs nothing): the selected cells
// highlighted, the current cell framed. Does not own the grid.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit GridDelegate(const FlexGrid& grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool isCurrent(const QModelIndex& index) const;

    const FlexGrid& grid_;
};
