#pragma once

#include "shared/Variant.h"

#include <QString>

// The filter builder's text functions.
namespace FilterText {

// "[" + name + "]" when the name does not begin with "[" and holds a blank, "-", "Ñ", "ñ" or "º".
QString ConCorchetes(const QString& name);
// The value as dd/mm/yyyy when it reads as a date under the default locale; else "".
QString FormatoFecha(const QString& value);
// The text with each occurrence of the character (ignoring case) replaced.
QString ReemplazaCar(const QString& text, const QString& character, const QString& replacement);
// The text without any character equal (ignoring case) to one of the given ones.
QString EliminaCar(const QString& Texto, const QString& Car, const QString& Car1 = {},
                   const QString& Car2 = {});
// "" for Null, else the value as text.
QString FieldVal(const Variant& recFieldVal);
// The criterion of the filter statement from the criterion box's text (line breaks as CR LF):
// trimmed of blanks only, as the suite's Trim does, then each line feed and each carriage
// return made one blank.
QString criterio(const QString& boxText);
// The value of a comparison as the criterion writes it for a field of the given ADO type: texts
// quoted (a quote inside doubled), dates as #dd/mm/yyyy#, anything else as it was typed.
QString criterionValue(long adoType, const QString& value);

} // namespace FilterText
