#include "AdoError.h"

#include "AdoTypes.h"
#include "shared/RuntimeError.h"

using namespace Qt::StringLiterals;

namespace ado {

void raiseAdoError(long number, const QString& source, const QString& detail) {
    QString text;
    switch (number) {
    case adErrInvalidArgument:
        text = u"Los argumentos son de tipo incorrecto, están fuera del intervalo aceptable o "
               u"están en conflicto con otros."_s;
        break;
    case adErrNoCurrentRecord:
        text = u"BOF o EOF es True, o el registro actual se eliminó. La operación solicitada "
               u"requiere un registro actual."_s;
        break;
    case adErrFeatureNotAvailable:
        text = u"El conjunto de registros no admite la operación solicitada."_s;
        break;
    case adErrItemNotFound:
        text = u"No se encontró el elemento en la colección que corresponde con el nombre o el "
               u"ordinal solicitado."_s;
        break;
    case adErrObjectClosed:
        text = u"No se permite realizar la operación si el objeto está cerrado."_s;
        break;
    case adErrObjectOpen:
        text = u"No se permite realizar la operación si el objeto está abierto."_s;
        break;
    default:
        text = errorDescription(number);
        break;
    }
    if (!detail.isEmpty()) text += u' ' + detail;
    throw RuntimeError(number, text, source);
}

} // namespace ado
