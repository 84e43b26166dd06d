#pragma once

#include "shared/Variant.h"

#include <QString>

namespace ado {

class Recordset;

// One field of a recordset's current record. A Field is a light handle (recordset + ordinal);
// it stays valid while its recordset is open.
class Field {
public:
    Field(Recordset* owner, long ordinal) : owner_(owner), ordinal_(ordinal) {}

    QString Name() const;
    long Type() const;         // DataTypeEnum
    long DefinedSize() const;  // characters for texts, bytes for fixed-size types
    // adFldIsNullable | adFldMayBeNull when the column takes Null (or the driver cannot tell),
    // adFldKeyColumn for a column of the base table's key.
    long Attributes() const;
    // The value of the current record (the edit buffer while editing). Raises 3021 at BOF/EOF.
    Variant Value() const;
    // Sets the value in the edit buffer (starts an edit of the current record when none is under
    // way). A value the field cannot take raises a run-time error with a clear description.
    void setValue(const Variant& value);
    // The value as it was read from the database (before any change of this edit).
    Variant OriginalValue() const;
    // Field properties: "BASETABLENAME", "BASECOLUMNNAME" (texts; Null when the driver does not
    // say). Any other name raises 3265.
    Variant Properties(const QString& name) const;
    long ordinal() const { return ordinal_; }

private:
    Recordset* owner_;
    long ordinal_;
};

} // namespace ado
