#pragma once

#include "CellStore.h"

#include <QAbstractTableModel>
#include <QColor>
#include <memory>
#include <unordered_map>

// The table model of a grid over its cell store: model rows are the data rows (the header row is
// the horizontal header), and the view asks only for the cells it paints. Every change to the
// cells goes through here so that the view hears of it. Cells are not editable through the model.
class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit GridModel(QObject* parent = nullptr);

    const CellStore& store() const { return store_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // The display text, and the alignment (numbers right, texts left).
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The header texts of the columns; rows have none.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Replaces the content with a source's rows (a reset).
    void load(std::shared_ptr<const GridSource> source);
    // The source's rows read since the load, added at the bottom.
    void sourceGrew();
    void setCellText(int row, int column, const QString& text);
    void setHeaderText(int column, const QString& text);
    // Blank rows before `row`; `cells` are written into the first new row (the rest stay blank).
    void insertBlankRows(int row, int count, const QStringList& cells = {});
    void removeDataRows(int row, int count);
    void setColumns(int count);
    void sortRows(int firstColumn, int lastColumn, CellStore::SortMode mode);
    // Paints a data row (0-based) or one of its cells with a background colour that follows the
    // row through sorts, insertions and removals; an invalid colour removes it. A cell's colour
    // goes over its row's. A load removes every colour.
    void setRowTint(int row, const QColor& colour);
    void setCellTint(int row, int column, const QColor& colour);
    // Removes the colours of every row, or of every cell.
    void clearRowTints();
    void clearCellTints();

private:
    void tintChanged(int row, int firstColumn, int lastColumn);

    CellStore store_;
    // By row id (CellStore::rowId); cells by row id and column.
    std::unordered_map<std::uint32_t, QColor> rowTints_;
    std::unordered_map<std::uint64_t, QColor> cellTints_;
};
