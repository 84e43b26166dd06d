#pragma once

#include "RowStore.h"
#include "shared/Variant.h"

namespace ado {

// Turns a value given to a field into the value the field keeps: texts of numbers and dates are
// read in the default locale, numbers are rounded to integers for integer fields, a date field
// drops the time, Null stays Null. A value the field cannot take (letters in a numeric field, an
// impossible date, an empty text in a numeric or date field, a text longer than the field, a
// number out of the field's range) raises RuntimeError adErrFieldValue with a Spanish
// description that names the field and the value.
class FieldCoercion {
public:
    static Variant coerce(const ColumnInfo& column, const Variant& value);
};

} // namespace ado
