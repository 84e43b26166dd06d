#pragma once

#include "data/ado/RowStore.h"
#include "shared/Variant.h"

#include <QString>
#include <optional>

namespace ado {
class Field;
}
class Util;

// What the field under a grid column takes, and the one road from a cell's text to the value
// written into it. The editor checks a typed text with it when an edit closes and the row writer
// writes with it, so a value the editor accepted is the value written.
class CellRule {
public:
    // Whose cell: an existing record, or a record begun in the grid and not written yet.
    enum class Record { Existing, New };

    // No field known (a column beyond the recordset's fields): any text, written as it is.
    CellRule() = default;
    // The facts of a field of an open recordset.
    explicit CellRule(ado::Field field);

    const QString& name() const { return column_.name; }
    // Number and currency fields: a typed "," or "." is the decimal separator.
    bool isNumber() const;
    // The most characters the field holds; 0 for no limit.
    int maxLength() const;

    // The value written for a cell's text: a text of a bounded field fitted to its size; an empty
    // number, date or boolean cell Null where the field takes Null (a new record's key that the
    // database gives included); otherwise the text, which the field converts. Raises RuntimeError
    // with a Spanish description for an empty cell whose field takes no Null.
    Variant value(const QString& text, Record record, const Util& util) const;
    // The check where the value is typed: nothing when the field takes `text`, else a Spanish
    // message saying what the field expects.
    std::optional<QString> refusal(const QString& text, Record record, const Util& util) const;
    // The text the grid shows for an accepted text: the column's own form of the value that will
    // be written ("1,5" for "1.50", "03/04/2005" for "3/4/05", "Verdadero" for "sí").
    QString displayForm(const QString& text, Record record, const Util& util) const;

private:
    Variant stored(const QString& text, Record record, const Util& util) const;
    QString expectation() const;

    ado::ColumnInfo column_;
    bool known_ = false;
};
