#pragma once

#include "shared/Variant.h"

#include <QString>

class Util;

// Classes of ADO field type codes (DataTypeEnum). The Variant forms read the code as a number:
// Null belongs to no class, a text that is no number raises RuntimeError 13.
bool adodate(long Qtype); // 7, 133, 137, 134, 135, 64
bool adodate(const Variant& Qtype);
bool ADOText(long Qtype); // 8, 201, 203, 200, 202, 130 (129 adChar is not one of them)
bool ADOText(const Variant& Qtype);
bool ADONumeric(long Qtype); // 20, 14, 5, 3, 131, 4, 2, 16, 21, 19, 18, 17 (not 6, not 139)
bool ADONumeric(const Variant& Qtype);
bool ADOCurrency(long Qtype); // 6
bool ADOCurrency(const Variant& Qtype);
bool ADOBoolean(long Qtype); // 11
bool ADOBoolean(const Variant& Qtype);

// The value as a SQL literal text: `Tipo` "'" quotes it, "@" writes its number with a decimal
// point and no quotes (a Null as 0), any other `Tipo` writes the value's text as it is. A Null
// is NULL, never quoted. Quotes inside the value are not doubled. Raises what `util` or the
// value's conversion to text raise.
Variant SQLValue(const Variant& Valor, const QString& Tipo, const Util& util);
// SQLValue with the default `Tipo` "'".
Variant SQLValue(const Variant& Valor, const Util& util);

// The part of a "table.field" name: the field for a nonzero `rnPart` (the whole name when it has
// no dot), the table for zero. A name with two or more dots has its owner stripped instead, in
// `rsName` too, and that is the result. Raises RuntimeError 5 for part 0 of a name without dot.
QString stSTF(QString& rsName, int rnPart);
// The name between brackets when it holds a blank and does not start with "[".
QString AddBrackets(const QString& rObjName);
// The name without its "->" connection suffix and the character before the arrow. Raises
// RuntimeError 5 when the name starts with "->".
QString StripConnect(const QString& rsTblName);
// The name without its first and last characters when it starts with "[". Raises RuntimeError 5
// for the name "[" alone.
QString StripBrackets(const QString& rsObjName);
// The name after its first "." (one owner level), written back to `rsTblName` too; a name
// without a dot is left as it is.
QString StripOwner(QString& rsTblName);
// The folder of a file path, without its last separator ("\" or "/"); empty for a bare file
// name. Raises nothing.
QString StripFileName(const QString& rsFileName);
