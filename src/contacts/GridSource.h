#pragma once

#include <QString>

class Variant;

// The rows a grid shows, read in place: the grid keeps the source shared and never copies its
// cells. The data control implements it over a recordset's rows. Rows and columns count from 0.
// The grid reads rowCount() and columnCount() at its load, and rowCount() again when told that the
// source grew (a load going on); it asks only for cells inside them, so those rows must stay where
// they are until the next load. The grid never writes a source.
class GridSource {
public:
    // How a cell takes part in the numeric and generic sorts.
    enum class Kind {
        Text,   // the grid reads the cell's text (and a text that reads as a number sorts as one)
        Number, // the cell holds a number (a date as its day count); no text is read to sort it
    };

    virtual ~GridSource() = default;

    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0;
    // The field name shown in the header row.
    virtual QString columnName(int column) const = 0;
    // The text the grid shows: "" for Null, numbers, dates and booleans as displayText writes them.
    virtual QString text(int row, int column) const = 0;
    // Appends text(row, column) to `out`; sources that hold texts in place override it so that a
    // sort reads a million cells without building a string for each.
    virtual void appendText(int row, int column, QString& out) const { out += text(row, column); }
    // The cell's kind for sorting; with Number, `number` receives its value. Sources that cannot
    // tell cheaply leave the default, and the grid reads the text.
    virtual Kind sortKind(int row, int column, double& number) const;
    // True when the column's field holds numbers or dates (the grid aligns them right, typed
    // cells included); false for texts and for sources that cannot tell.
    virtual bool holdsNumbers(int column) const;

    // The text a cell shows for a value: Null and Empty as "", numbers, currency and dates as the
    // default locale writes them (no group separators, so the operator types back the same form),
    // booleans "Verdadero"/"Falso". Never fails.
    static QString displayText(const Variant& value);
};
