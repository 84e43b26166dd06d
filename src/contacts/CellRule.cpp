#include "CellRule.h"

#include "GridSource.h"
#include "data/SqlHelpers.h"
#include "data/ado/AdoTypes.h"
#include "data/ado/Field.h"
#include "data/ado/FieldCoercion.h"
#include "shared/RuntimeError.h"
#include "shared/Util.h"

#include <QLocale>

using namespace Qt::StringLiterals;
using Kind = ado::RowStore::CellKind;

CellRule::CellRule(ado::Field field) : known_(true) {
    column_.name = field.Name();
    column_.type = field.Type();
    column_.definedSize = field.DefinedSize();
    column_.nullable = (field.Attributes() & ado::adFldIsNullable) != 0;
    column_.autoIncrement = field.Properties(u"ISAUTOINCREMENT"_s).toBool();
}

bool CellRule::isNumber() const {
    const Kind kind = ado::RowStore::kindOf(column_.type);
    return known_ && (kind == Kind::Integer || kind == Kind::Double || kind == Kind::Currency);
}

namespace {

// Texts the writer fits to the field's size (the rest are written whole).
bool fitted(long type, long size) {
    return ADOText(type) && size < 256;
}

bool bounded(long type) {
    return type == ado::adChar || type == ado::adWChar || type == ado::adVarChar ||
           type == ado::adVarWChar;
}

} // namespace

int CellRule::maxLength() const {
    if (!known_ || column_.definedSize <= 0 || column_.definedSize > 32767) return 0;
    return fitted(column_.type, column_.definedSize) || bounded(column_.type)
               ? int(column_.definedSize)
               : 0;
}

Variant CellRule::value(const QString& text, Record record, const Util& util) const {
    if (!known_) return text;
    if (fitted(column_.type, column_.definedSize))
        return util.FitToWidth(text, int(column_.definedSize));
    if (!text.trimmed().isEmpty() || ado::RowStore::kindOf(column_.type) == Kind::Text) {
        // A long text keeps an empty cell as Null in a new record, as it always has.
        if (record == Record::New && text.trimmed().isEmpty()) return Variant::null();
        return text;
    }
    // An empty number, date or boolean cell: Null, where the field takes it.
    if (column_.nullable || (record == Record::New && column_.autoIncrement))
        return Variant::null();
    raiseError(ado::adErrFieldValue,
               u"El campo \"%1\" no puede quedar vacío: %2."_s.arg(column_.name, expectation()),
               u"ADODB.Field"_s);
}

Variant CellRule::stored(const QString& text, Record record, const Util& util) const {
    const Variant v = value(text, record, util);
    return known_ ? ado::FieldCoercion::coerce(column_, v) : v;
}

std::optional<QString> CellRule::refusal(const QString& text, Record record,
                                         const Util& util) const {
    try {
        stored(text, record, util);
        return std::nullopt;
    } catch (const RuntimeError& e) {
        if (text.trimmed().isEmpty()) return e.description();
        return e.description() + u"\n"_s + u"Escriba %1."_s.arg(expectation());
    }
}

QString CellRule::displayForm(const QString& text, Record record, const Util& util) const {
    try {
        return GridSource::displayText(stored(text, record, util));
    } catch (const RuntimeError&) {
        return text;
    }
}

QString CellRule::expectation() const {
    const QLocale locale;
    switch (ado::RowStore::kindOf(column_.type)) {
    case Kind::Integer:
        return u"un número entero, como 1234"_s;
    case Kind::Double:
    case Kind::Currency:
        return u"un número, como 1234"_s + locale.decimalPoint() + u"50"_s;
    case Kind::Date:
        return locale.dateFormat(QLocale::ShortFormat).startsWith(u'M')
                   ? u"una fecha con la forma mm/dd/aaaa"_s
                   : u"una fecha con la forma dd/mm/aaaa"_s;
    case Kind::Boolean:
        return u"Verdadero o Falso"_s;
    case Kind::Text:
        break;
    }
    if (const int size = maxLength(); size > 0)
        return u"un texto de hasta %1 caracteres"_s.arg(size);
    return u"un texto"_s;
}
