#pragma once

#include "shared/Variant.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace ado {

// Describes one column of a result.
struct ColumnInfo {
    QString name;
    long type = 0;        // DataTypeEnum
    long definedSize = 0;
    QString baseTable;    // "" when the driver does not say
    QString baseColumn;
    bool nullable = true;
    bool key = false;     // part of the base table's key
};

// The rows of a result held compactly: one column vector per field (texts in one UTF-16 buffer
// with offsets, numbers as 64-bit values, a null flag per cell), never one heap object per cell.
// Rows are appended while fetching and may be replaced or removed by recordset writes.
class RowStore {
public:
    explicit RowStore(std::vector<ColumnInfo> columns);

    const std::vector<ColumnInfo>& columns() const { return columns_; }
    long columnCount() const { return long(columns_.size()); }
    long rowCount() const { return rowCount_; }

    Variant value(long row, long column) const;
    bool isNull(long row, long column) const;
    // The text of a text column without building a Variant (empty for other columns or Null).
    QStringView textView(long row, long column) const;

    void appendRow(const std::vector<Variant>& values);
    void setRow(long row, const std::vector<Variant>& values);
    void removeRow(long row);
    // Bytes held by the cells (for the benchmarks).
    std::size_t bytes() const;

private:
    struct Column;
    std::vector<ColumnInfo> columns_;
    std::vector<std::shared_ptr<Column>> data_;
    long rowCount_ = 0;
};

} // namespace ado
