#pragma once

#include <QString>
#include <QStringMatcher>

class CellStore;

// Finds the next cell whose shown text contains a text, ignoring case and accents as the Spanish
// order does (TextFold), or exactly when asked. Goes through the cells row by row, left to right
// (or back), wrapping around at the end, and works in slices so that the window stays responsive
// on a million rows: start() sets the search up, step() looks at a bounded number of cells.
// Reads the grid's cells in place and nothing else.
class CellFinder {
public:
    enum class Direction { Forward, Backward };
    // Where the search begins: at the given cell, or at its neighbour (the given cell is then
    // looked at last).
    enum class From { Cell, NextCell };
    enum class Result { Searching, Found, NotFound };

    explicit CellFinder(const CellStore& cells);

    // A new search for `text` from the data cell (row from 0 in display order, column). An empty
    // text finds nothing.
    void start(const QString& text, bool matchCase, Direction direction, int row, int column,
               From from);
    // Looks at up to `cells` more cells.
    Result step(long long cells);
    // The cell found.
    int row() const { return foundRow_; }
    int column() const { return foundColumn_; }
    // True when the cell found lies past the end going forward (before the start going back):
    // the search went round.
    bool wrapped() const { return wrapped_; }
    bool searching() const { return remaining_ > 0; }
    Direction direction() const { return direction_; }

private:
    bool matches(int row, int column);

    const CellStore& cells_;
    QString needle_;
    QStringMatcher matcher_;
    bool matchCase_ = false;
    Direction direction_ = Direction::Forward;
    long long columns_ = 0;
    long long total_ = 0;
    long long start_ = 0;
    long long position_ = 0;
    long long remaining_ = 0;
    int foundRow_ = -1;
    int foundColumn_ = -1;
    bool wrapped_ = false;
    // Reused from cell to cell.
    QString raw_;
    QString folded_;
};
