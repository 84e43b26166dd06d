#include "GridModel.h"

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : store_.rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : store_.columnCount();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
    case Qt::DisplayRole:
        return store_.text(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const Qt::Alignment side =
            store_.readsAsNumber(index.row(), index.column()) ? Qt::AlignRight : Qt::AlignLeft;
        // As an int: what every delegate of this Qt reads back.
        return int(side | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole: {
        if (rowTints_.empty() && cellTints_.empty()) return {};
        const std::uint32_t id = store_.rowId(index.row());
        if (const auto cell =
                cellTints_.find(std::uint64_t(id) << 32 | std::uint32_t(index.column()));
            cell != cellTints_.end())
            return cell->second;
        if (const auto row = rowTints_.find(id); row != rowTints_.end()) return row->second;
        return {};
    }
    default:
        return {};
    }
}

void GridModel::tintChanged(int row, int firstColumn, int lastColumn) {
    Q_EMIT dataChanged(index(row, firstColumn), index(row, lastColumn), {Qt::BackgroundRole});
}

void GridModel::setRowTint(int row, const QColor& colour) {
    if (row < 0 || row >= rowCount()) return;
    if (colour.isValid())
        rowTints_[store_.rowId(row)] = colour;
    else
        rowTints_.erase(store_.rowId(row));
    tintChanged(row, 0, columnCount() - 1);
}

void GridModel::clearRowTints() {
    if (rowTints_.empty()) return;
    rowTints_.clear();
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                           {Qt::BackgroundRole});
}

void GridModel::clearCellTints() {
    if (cellTints_.empty()) return;
    cellTints_.clear();
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                           {Qt::BackgroundRole});
}

void GridModel::setCellTint(int row, int column, const QColor& colour) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    const std::uint64_t key = std::uint64_t(store_.rowId(row)) << 32 | std::uint32_t(column);
    if (colour.isValid())
        cellTints_[key] = colour;
    else
        cellTints_.erase(key);
    tintChanged(row, column, column);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= store_.columnCount()) return {};
    if (role == Qt::DisplayRole) return store_.header(section);
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::load(std::shared_ptr<const GridSource> source) {
    beginResetModel();
    rowTints_.clear();
    cellTints_.clear();
    store_.load(std::move(source));
    endResetModel();
}

void GridModel::sourceGrew() {
    const int had = store_.rowCount();
    const int rows = store_.source() ? store_.source()->rowCount() : 0;
    const int added = rows - store_.sourceRowCount();
    if (added <= 0) return;
    beginInsertRows(QModelIndex(), had, had + added - 1);
    store_.sourceGrew();
    endInsertRows();
}

void GridModel::setCellText(int row, int column, const QString& text) {
    store_.setText(row, column, text);
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole, Qt::TextAlignmentRole});
}

void GridModel::setHeaderText(int column, const QString& text) {
    store_.setHeader(column, text);
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::insertBlankRows(int row, int count, const QStringList& cells) {
    if (count <= 0) return;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    store_.insertRows(row, count);
    const int filled = std::min(int(cells.size()), store_.columnCount());
    for (int c = 0; c < filled; ++c) {
        if (!cells[c].isEmpty()) store_.setText(row, c, cells[c]);
    }
    endInsertRows();
}

void GridModel::removeDataRows(int row, int count) {
    if (count <= 0) return;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    store_.removeRows(row, count);
    endRemoveRows();
}

void GridModel::setColumns(int count) {
    const int now = store_.columnCount();
    if (count > now) {
        beginInsertColumns(QModelIndex(), now, count - 1);
        store_.setColumnCount(count);
        endInsertColumns();
    } else if (count < now) {
        beginRemoveColumns(QModelIndex(), count, now - 1);
        store_.setColumnCount(count);
        endRemoveColumns();
    }
}

void GridModel::sortRows(int firstColumn, int lastColumn, CellStore::SortMode mode) {
    // Persistent indexes keep their positions: a sort leaves the current cell on the same row
    // number, as the grid's Row does.
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    try {
        store_.sort(firstColumn, lastColumn, mode);
    } catch (...) {
        // The order is untouched when the keys cannot be built; the view must still be told.
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        throw;
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
