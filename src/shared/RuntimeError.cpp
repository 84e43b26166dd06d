#include "RuntimeError.h"

RuntimeError::RuntimeError(long number, QString description, QString source)
    : number_(number), description_(std::move(description)), source_(std::move(source)),
      what_(QStringLiteral("%1 - %2").arg(number_).arg(description_).toUtf8()) {}

QString errorDescription(long number) {
    switch (number) {
    case ErrorNumber::InvalidCall: return QStringLiteral("Llamada a procedimiento o argumento no válido");
    case ErrorNumber::Overflow: return QStringLiteral("Desbordamiento");
    case ErrorNumber::SubscriptOutOfRange: return QStringLiteral("Subíndice fuera del intervalo");
    case ErrorNumber::TypeMismatch: return QStringLiteral("No coinciden los tipos");
    case ErrorNumber::FileNotFound: return QStringLiteral("No se encontró el archivo");
    case ErrorNumber::BadFileMode: return QStringLiteral("Modo de archivo incorrecto");
    case ErrorNumber::PathFileAccess: return QStringLiteral("Error de acceso a la ruta o el archivo");
    case ErrorNumber::InvalidUseOfNull: return QStringLiteral("Uso no válido de Null");
    case ErrorNumber::ObjectAlreadyLoaded: return QStringLiteral("El objeto ya está cargado");
    case ErrorNumber::CannotResizeWindow:
        return QStringLiteral("No se puede mover ni cambiar el tamaño de un formulario minimizado o maximizado");
    case ErrorNumber::ObjectRequired: return QStringLiteral("Se requiere un objeto");
    case ErrorNumber::ItemNotFound:
        return QStringLiteral("No se encontró el elemento en la colección que corresponde con el nombre o el ordinal solicitado.");
    case ErrorNumber::OperationNotAllowed:
        return QStringLiteral("No se permite realizar la operación si el objeto está cerrado.");
    default: return {};
    }
}

void raiseError(long number, const QString& source) {
    throw RuntimeError(number, errorDescription(number), source);
}

void raiseError(long number, const QString& description, const QString& source) {
    throw RuntimeError(number, description, source);
}
