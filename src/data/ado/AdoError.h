#pragma once

#include <QString>

namespace ado {

// Raises one of ADO's own errors (3001, 3021, 3251, 3265, 3704, 3705...) with its Spanish
// description, followed by `detail` when given (what exactly was refused).
[[noreturn]] void raiseAdoError(long number, const QString& source, const QString& detail = {});

} // namespace ado
