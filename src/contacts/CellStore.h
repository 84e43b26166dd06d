#pragma once

#include "GridSource.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class TextOrder;

// The cells of a grid: the source's rows, shared and never copied, seen through a display order,
// plus blank rows inserted or added and the texts written over any cell (an overlay that holds
// only the written cells). Rows here are data rows counted from 0 in display order; the header
// is kept apart. Nothing is allocated per row or per cell at load but the 32-bit order vector.
class CellStore {
public:
    // The sorts of the grid, by their numbers.
    enum class SortMode {
        None = 0,              // reorders nothing
        GenericAscending = 1,  // a cell that reads as a number compares as one, else as text;
        GenericDescending = 2, // numbers come before texts
        NumericAscending = 3,  // every cell as a number, a text that is none as 0
        NumericDescending = 4,
        // Texts as the operator's language orders words (TextOrder): accents and case do not
        // split letters apart; the text side of the generic sorts too.
        TextAscending = 5,
        TextDescending = 6,
    };

    CellStore();

    // Replaces the whole content with the source's rows in their order and its names as the
    // header; written texts and blank rows are dropped. nullptr gives no rows and no columns.
    void load(std::shared_ptr<const GridSource> source);
    const std::shared_ptr<const GridSource>& source() const { return source_; }
    // The source holds more rows than at the load (a load still going on): they come after every
    // row there is, so no row shown changes its number.
    void sourceGrew();

    int rowCount() const { return int(order_.size()); }
    // Rows of the source shown (all that it held at the load, or since it last grew).
    int sourceRowCount() const { return sourceRows_; }
    int columnCount() const { return columns_; }

    // Header text of a column (a field name unless written).
    const QString& header(int column) const { return headers_[std::size_t(column)]; }
    void setHeader(int column, const QString& text) { headers_[std::size_t(column)] = text; }

    // The text of a cell: written text, else the source's, else "" (blank rows, added columns).
    QString text(int row, int column) const;
    // Appends text(row, column) to `out` without a string per cell (the writers' road).
    void appendText(int row, int column, QString& out) const;
    // Writes a cell's text over whatever it showed; the text follows its row through sorts.
    void setText(int row, int column, const QString& text);
    // True when the cell's text was written since the load (by the operator or by code).
    bool isWritten(int row, int column) const;
    // True when the cell reads as a number, or its column holds numbers (how the grid aligns it).
    bool readsAsNumber(int row, int column) const;
    // The source row shown at a display row; -1 for a blank row.
    int sourceRow(int row) const;
    // A row's identity, kept through sorts, insertions and removals of other rows (and never
    // given to another row until the next load).
    std::uint32_t rowId(int row) const { return order_[std::size_t(row)]; }

    // Inserts `count` blank rows before display row `row` (rowCount() appends).
    void insertRows(int row, int count);
    // Removes `count` rows from display row `row` with their written texts.
    void removeRows(int row, int count);
    // Grows with blank columns or drops the last columns (their texts with them; a source column
    // that was dropped stays blank when the count grows again).
    void setColumnCount(int count);

    // Reorders the rows by the columns first..last (keys from left to right), stable. Only the
    // display order changes. Invalid column ranges are the caller's to prevent.
    void sort(int firstColumn, int lastColumn, SortMode mode);

    // Bytes held by the store itself, beside the shared source (for the benchmarks).
    std::size_t bytes() const;

private:
    static std::uint64_t cellKey(std::uint32_t id, int column) {
        return (std::uint64_t(id) << 32) | std::uint32_t(column);
    }
    const QString* written(std::uint32_t id, int column) const;
    bool fromSource(std::uint32_t id, int column) const {
        return id < std::uint32_t(sourceRows_) && column < sourceColumns_;
    }
    std::uint32_t newBlankId();
    // Blank rows count from here, beyond any source row, so a source that grows never meets them.
    static constexpr std::uint32_t firstBlankId = 0x80000000u;
    struct SortKeys;
    void buildKeys(SortKeys& keys, int column, SortMode mode, const TextOrder* order) const;

    std::shared_ptr<const GridSource> source_;
    int sourceRows_ = 0;
    int sourceColumns_ = 0; // source columns still shown (fewer after columns are dropped)
    int columns_ = 0;
    std::vector<QString> headers_;
    // Display order: row ids below sourceRows_ are source rows, from firstBlankId blank rows.
    std::vector<std::uint32_t> order_;
    std::uint32_t nextBlankId_ = 0;
    std::unordered_map<std::uint64_t, QString> overlay_;
};
