#include "FilterText.h"

#include "data/PlatformText.h"

namespace FilterText {

QString ConCorchetes(const QString& name) {
    if (name.startsWith(u'[')) return name;
    for (QChar c : {QChar(u' '), QChar(u'-'), QChar(u'Ñ'), QChar(u'ñ'), QChar(u'º')}) {
        if (name.contains(c)) return u'[' + name + u']';
    }
    return name;
}

QString FormatoFecha(const QString& value) {
    QDateTime dt;
    if (!readLocaleDate(value, dt)) return {};
    return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
}

QString ReemplazaCar(const QString& text, const QString& character, const QString& replacement) {
    if (character.isEmpty()) return text;
    QString result = text;
    return result.replace(character, replacement, Qt::CaseInsensitive);
}

QString EliminaCar(const QString& Texto, const QString& Car, const QString& Car1,
                   const QString& Car2) {
    QString result = Texto;
    for (const QString* c : {&Car, &Car1, &Car2}) {
        if (!c->isEmpty()) result.remove(*c, Qt::CaseInsensitive);
    }
    return result;
}

QString FieldVal(const Variant& recFieldVal) {
    return recFieldVal.toDisplayString();
}

QString criterio(const QString& boxText) {
    // A criterion ending in a line break keeps its two blanks where the break was.
    QString result = platformtext::trimBlanks(boxText);
    result = ReemplazaCar(result, QString(QChar(10)), QStringLiteral(" "));
    return ReemplazaCar(result, QString(QChar(13)), QStringLiteral(" "));
}

QString criterionValue(long adoType, const QString& value) {
    switch (adoType) {
    case 8:
    case 130:
    case 200:
    case 201:
    case 202:
    case 203:
        return QStringLiteral(" '") + QString(value).replace(u'\'', QStringLiteral("''")) + u'\'';
    case 7:
    case 64:
    case 133:
    case 134:
    case 135:
    case 137:
        return QStringLiteral(" #") + FormatoFecha(value) + u'#';
    default:
        return u' ' + value;
    }
}

} // namespace FilterText
