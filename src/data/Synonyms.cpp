#include "Synonyms.h"

#include "PlatformText.h"

#include <array>

using namespace Qt::StringLiterals;
using platformtext::replaceNoCase;

namespace {

struct Synonym {
    QStringView name;
    QStringView synonym;
};

// The server defines AC_CUENTASDIARIO_CCOSTO's synonym with an underscore the table name lacks.
constexpr std::array<Synonym, 7> synonyms = {{
    {u"MA_CUENTAS", u"SS_MA_CUENTAS"},
    {u"V_TA_DEPOSITO", u"SS_V_TA_DEPOSITO"},
    {u"MV_ASIENTOS", u"SS_MV_ASIENTOS"},
    {u"V_TA_FAMILIAS", u"SS_V_TA_FAMILIAS"},
    {u"V_TA_CAJAS", u"SS_V_TA_CAJAS"},
    {u"AC_CUENTASDIARIO", u"SS_AC_CUENTASDIARIO"},
    {u"AC_CUENTASDIARIO_CCOSTO", u"SS_AC_CUENTAS_DIARIO_CCOSTO"},
}};

// The characters before and after a name that make it a table reference: a name followed by
// anything else (a comma, a parenthesis, the end of the text, a longer name) stays as written.
struct Position {
    QChar before;
    QChar after;
};
constexpr std::array<Position, 5> positions = {
    {{u' ', u' '}, {u'(', u' '}, {u' ', u'.'}, {u'(', u'.'}, {u',', u'.'}}};
constexpr Position bracePosition = {u'{', u'.'};

const QString adminMarker = u"@Admin_"_s;

QString replaceAt(const QString& text, const Position& p, QStringView name, QStringView synonym) {
    return replaceNoCase(text, p.before + name.toString() + p.after,
                         p.before + synonym.toString() + p.after);
}

} // namespace

QString SS_TSinonimos(const QString& SQL, bool gEsAdmin) {
    if (gEsAdmin) return replaceNoCase(SQL, adminMarker, QString());

    QString text = SQL;
    for (const Synonym& s : synonyms) {
        for (const Position& p : positions)
            text = replaceAt(text, p, s.name, s.synonym);
        if (s.name == u"MA_CUENTAS") {
            text = replaceAt(text, bracePosition, s.name, s.synonym);
            text = replaceNoCase(text, u"@Admin_MA_CUENTAS"_s, u"MA_CUENTAS"_s);
        }
    }
    return replaceNoCase(text, adminMarker, QString());
}
