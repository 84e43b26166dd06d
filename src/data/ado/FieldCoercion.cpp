#include "FieldCoercion.h"

#include "AdoTypes.h"
#include "ColumnTypes.h"
#include "shared/RuntimeError.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

[[noreturn]] void refuse(const ColumnInfo& column, const Variant& value, const QString& reason) {
    QString shown;
    try {
        shown = value.toDisplayString();
    } catch (const RuntimeError&) {
        shown = u"?"_s;
    }
    if (shown.size() > 60) shown = shown.left(57) + u"..."_s;
    raiseError(adErrFieldValue,
               u"No se puede asignar el valor \"%1\" al campo \"%2\": %3."_s.arg(shown, column.name,
                                                                                 reason),
               u"ADODB.Field"_s);
}

// The number in a value, read as the platform reads it (texts in the default locale).
double numberOf(const ColumnInfo& column, const Variant& value) {
    if (const QString* text = value.textIf()) {
        double d = 0;
        if (text->trimmed().isEmpty())
            refuse(column, value, u"el campo es numérico y el texto está vacío"_s);
        if (!readLocaleNumber(*text, d)) refuse(column, value, u"se esperaba un número"_s);
        return d;
    }
    if (value.type() == Variant::Type::Date)
        refuse(column, value, u"se esperaba un número y no una fecha"_s);
    return value.toDouble();
}

void checkRange(const ColumnInfo& column, const Variant& value, double d, double low, double high) {
    if (!std::isfinite(d) || d < low || d > high) {
        refuse(column, value,
               u"el número está fuera del intervalo que admite el campo (%1 a %2)"_s.arg(
                   writeLocaleNumber(low), writeLocaleNumber(high)));
    }
}

} // namespace

Variant FieldCoercion::coerce(const ColumnInfo& column, const Variant& value) {
    if (value.isNull()) return value;
    const RowStore::CellKind kind = RowStore::kindOf(column.type);
    if (value.isEmpty()) {
        return kind == RowStore::CellKind::Text ? Variant(QString()) : Variant::null();
    }
    switch (kind) {
    case RowStore::CellKind::Text: {
        if (column.type == adBinary || column.type == adVarBinary || column.type == adLongVarBinary)
            refuse(column, value, u"el campo es binario y este programa no lo modifica"_s);
        QString text;
        try {
            text = value.toString();
        } catch (const RuntimeError&) {
            refuse(column, value, u"el valor no se puede escribir como texto"_s);
        }
        const bool bounded = column.type == adChar || column.type == adWChar ||
                             column.type == adVarChar || column.type == adVarWChar;
        if (bounded && column.definedSize > 0 && text.size() > column.definedSize) {
            refuse(column, value,
                   u"el texto tiene %1 caracteres y el campo admite %2"_s.arg(text.size())
                       .arg(column.definedSize));
        }
        return Variant(text);
    }
    case RowStore::CellKind::Integer: {
        const double d = std::nearbyint(numberOf(column, value)); // halves to even, as CLng
        double low = -9.2e18, high = 9.2e18;
        switch (column.type) {
        case adSmallInt:
            low = -32768;
            high = 32767;
            break;
        case adInteger:
            low = std::numeric_limits<std::int32_t>::min();
            high = std::numeric_limits<std::int32_t>::max();
            break;
        case adTinyInt:
            low = -128;
            high = 127;
            break;
        case adUnsignedTinyInt:
            low = 0;
            high = 255;
            break;
        case adUnsignedSmallInt:
            low = 0;
            high = 65535;
            break;
        case adUnsignedInt:
            low = 0;
            high = 4294967295.0;
            break;
        default:
            break;
        }
        if (value.type() == Variant::Type::Integer && column.type == adBigInt) return value;
        checkRange(column, value, d, low, high);
        return Variant(static_cast<long long>(d));
    }
    case RowStore::CellKind::Double: {
        const double d = numberOf(column, value);
        if (!std::isfinite(d)) refuse(column, value, u"se esperaba un número"_s);
        return Variant(d);
    }
    case RowStore::CellKind::Currency: {
        if (value.type() == Variant::Type::Currency) return value;
        const double d = numberOf(column, value);
        checkRange(column, value, d, -922337203685477.0, 922337203685477.0);
        return Variant(Currency::fromDouble(d));
    }
    case RowStore::CellKind::Boolean: {
        if (value.type() == Variant::Type::Boolean) return value;
        if (const QString* text = value.textIf()) {
            const QString t = text->trimmed();
            static const QStringList yes = {u"Verdadero"_s, u"True"_s, u"Sí"_s, u"Si"_s};
            static const QStringList no = {u"Falso"_s, u"False"_s, u"No"_s};
            if (yes.contains(t, Qt::CaseInsensitive)) return Variant(true);
            if (no.contains(t, Qt::CaseInsensitive)) return Variant(false);
            double d = 0;
            if (t.isEmpty() || !readLocaleNumber(t, d))
                refuse(column, value, u"se esperaba Verdadero o Falso"_s);
            return Variant(d != 0.0);
        }
        return Variant(numberOf(column, value) != 0.0);
    }
    case RowStore::CellKind::Date: {
        QDateTime dt;
        if (value.type() == Variant::Type::Date) {
            dt = value.toDateTime();
        } else if (const QString* text = value.textIf()) {
            if (text->trimmed().isEmpty())
                refuse(column, value, u"el campo es una fecha y el texto está vacío"_s);
            if (!readLocaleDate(*text, dt)) refuse(column, value, u"no es una fecha válida"_s);
        } else if (value.isNumeric() && value.type() != Variant::Type::Boolean) {
            dt = value.toDateTime(); // a serial date: days since 30/12/1899
        } else {
            refuse(column, value, u"se esperaba una fecha"_s);
        }
        if (!dt.isValid() || dt.date().year() < 1 || dt.date().year() > 9999)
            refuse(column, value, u"no es una fecha válida"_s);
        if (column.type == adDBDate) dt = QDateTime(dt.date(), QTime(0, 0));
        if (column.type == adDBTime) dt = QDateTime(QDate(1899, 12, 30), dt.time());
        return Variant(dt);
    }
    }
    return value;
}

} // namespace ado
