#pragma once

#include <QString>

class Util;

// Translates a statement of the suite's SQL Server dialect into text an Oracle server accepts
// (TOP n to ROWNUM, LEN to LENGTH, brackets to double quotes, known date columns truncated to
// the day, date literals to TO_DATE, Charindex to InStr). Without "ORACLE" in `gConnString` the
// result is `Valor` in upper case. Dates are read under the default QLocale. Raises RuntimeError
// 5 for "top " without a blank after its count and for a quote left open, 6 for a WHERE clause
// longer than 32,767 characters.
QString ORACLE_Dicc(const QString& Valor, const QString& gConnString, const Util& util);
