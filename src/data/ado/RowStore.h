#pragma once

#include "shared/Variant.h"

#include <QString>
#include <QStringView>
#include <QUtf8StringView>
#include <cstdint>
#include <memory>
#include <vector>

namespace ado {

// Describes one column of a result.
struct ColumnInfo {
    QString name;
    long type = 0; // DataTypeEnum
    long definedSize = 0;
    QString baseTable; // "" when the driver does not say
    QString baseColumn;
    bool nullable = true;
    bool key = false;           // part of the base table's key
    QString baseSchema;         // the base table's schema or owner ("" when none or unknown)
    bool autoIncrement = false; // the database gives the value (identity, SQLite's rowid alias)
};

// The rows of a result held compactly: one array per field (texts as UTF-8 one after the other,
// with their places, numbers as 64-bit values, booleans and null flags as bitmaps), never one
// heap object per cell. Rows are appended while fetching and may be replaced or removed by recordset
// writes. A RowStore is shared by a recordset and the views that show it, so it is not copied.
class RowStore {
public:
    // How a column keeps its cells.
    enum class CellKind { Text, Integer, Double, Currency, Date, Boolean };

    explicit RowStore(std::vector<ColumnInfo> columns);
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    const std::vector<ColumnInfo>& columns() const { return columns_; }
    long columnCount() const { return long(columns_.size()); }
    long rowCount() const { return rowCount_; }

    // The cell as a Variant: text, integer, double, Currency, date or boolean; Null for a null.
    Variant value(long row, long column) const;
    bool isNull(long row, long column) const;
    // The text of a text column without building a Variant (empty for other columns or Null),
    // as the UTF-8 it is kept in; the view holds until the store next changes.
    QUtf8StringView textUtf8(long row, long column) const;
    QString text(long row, long column) const;
    // Appends the text of a text column to `out` (nothing for other columns or Null).
    void appendTextTo(long row, long column, QString& out) const;

    // Appends a whole row; each value is converted to its column's kind (RuntimeError 13 when it
    // cannot be).
    void appendRow(const std::vector<Variant>& values);
    void setRow(long row, const std::vector<Variant>& values);
    // Replaces one cell, converting the value to the column's kind.
    void setCell(long row, long column, const Variant& value);
    void removeRow(long row);

    // Cell-by-cell appending while fetching: one append per column, then endRow().
    void appendNull(long column);
    void appendText(long column, QStringView text);
    // A text already in UTF-8, as the SQLite driver gives it.
    void appendUtf8(long column, const char* text, std::size_t size);
    // Integers, Currency (ten-thousandths), dates (encodeDateTime) and booleans (0/1).
    void appendInteger(long column, std::int64_t value);
    void appendDouble(long column, double value);
    void endRow();
    // Gives back the spare room of the growing buffers once the rows are in.
    void squeeze();
    // Turns a text column whose every value is a plain integer or decimal number into a number
    // column of `adoType` (adBigInt or adDouble). Returns false, changing nothing, when some
    // value is not such a number.
    bool retypeNumericText(long column);

    // Marks the columns that hold the base table's key (ColumnInfo::key).
    void setKeyColumns(const std::vector<long>& columns);

    static CellKind kindOf(long adoType);
    CellKind kind(long column) const;
    // A date and time as one number (milliseconds from the start of the Julian calendar),
    // without time zone: the database's wall-clock value.
    static std::int64_t encodeDateTime(const QDateTime& value);
    // The same from a date and a time of day, without building a QDateTime (whose local-time
    // conversion costs a time-zone lookup each).
    static std::int64_t encodeDateTime(const QDate& date, const QTime& time);
    static QDateTime decodeDateTime(std::int64_t value);
    // The date and time of a date cell without building a QDateTime (whose local time costs a
    // time-zone lookup per cell); false for a Null or a cell of another kind.
    bool dateAt(long row, long column, QDate& date, QTime& time) const;

    // Bytes held by the cells (for the benchmarks).
    std::size_t bytes() const;

private:
    struct Column;
    std::vector<ColumnInfo> columns_;
    std::vector<std::unique_ptr<Column>> data_;
    long rowCount_ = 0;
};

} // namespace ado
