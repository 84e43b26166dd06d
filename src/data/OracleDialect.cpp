#include "OracleDialect.h"

#include "PlatformText.h"
#include "shared/Util.h"
#include "shared/Variant.h"

#include <QDateTime>
#include <array>
#include <vector>

using namespace Qt::StringLiterals;
using platformtext::replaceNoCase;
using platformtext::trimBlanks;

namespace {

constexpr auto CI = Qt::CaseInsensitive;

// Columns the suite stores as dates with a time part: a comparison on one of them is made on the
// day alone. The list is the suite's own, misspellings and the repeated FECHAENTREGA included,
// because the statements of its programs use these very names.
constexpr std::array<QStringView, 86> dateColumns = {
    u"FECHA",
    u"FECHAD",
    u"FECHAH",
    u"VENCIMIENTO",
    u"FECHASUBDIARIO",
    u"FECHAENTREGA",
    u"FECHA_A_VENCER",
    u"FECHA_DMR",
    u"INGRESO",
    u"EGRESO",
    u"FECHAHORA_GRABACION",
    u"FECHAHORA_MODIFICACION",
    u"FECHA_COMPRA",
    u"FECHA_REVALUACION",
    u"VENCIMIENTO_REGISTRO",
    u"VENCIMIENTO_SEGURO",
    u"VTO_VTV",
    u"VTO_C_VERDE",
    u"VTO_SEGURO",
    u"FECHAAVISO",
    u"FECHAALARMA",
    u"FECHALEIDO",
    u"FECHAPRESENTACION",
    u"FECHAVTOPRESENTACION",
    u"FECHA_CIERRE",
    u"FECHAMOV",
    u"FECHA_DESDE",
    u"FECHA_HASTA",
    u"FECHA_ALTA",
    u"FECHA_MODIFICACION",
    u"\"FECHA DESDE\"",
    u"\"FECHA HASTA\"",
    u"FECHA_INICIO",
    u"FECHA_FINALIZACION",
    u"FECHA_RENDICION",
    u"ACARGODESDE",
    u"FECHACASAMIENTO",
    u"FECHAINGRESO",
    u"FECHANACIMIENTO",
    u"FECHAINGRESOANTERIOR",
    u"FECHAEGRESO",
    u"VENCECONTRATO",
    u"FECHAALTA",
    u"PDESDE",
    u"PHASTA",
    u"FECHAPROCESO",
    u"FECHAHORAENTREVISTA",
    u"FECHAOPERATIVA",
    u"FECHAPAGO",
    u"FECHAHORA",
    u"FECHASOLICITUD",
    u"FECHACARGA",
    u"FECHACOMPROMETIDO",
    u"FECHAORDENCPRA",
    u"VENCEM",
    u"VENCER",
    u"FECHA_GRABACION",
    u"FHOFERTADESDE",
    u"FHOFERTAHASTA",
    u"FHOPERATIVA",
    u"FHALTA",
    u"FHCIERRE",
    u"COT_FECHA",
    u"FECHAESTINCIO",
    u"FECHAESTFIN",
    u"FECHAFINALIZACION",
    u"FECHAENTREGA",
    u"FECHAENCPTE",
    u"FECHAINCIO",
    u"FECHAFIN",
    u"FECHAREALINICIO",
    u"FECHAREALFIN",
    u"FECHAINVIADO",
    u"FECHARECIBIDO",
    u"ACTUALIZADO",
    u"FECHA_ANULACION",
    u"DIAMOLIENDA",
    u"DIAMEZCLA",
    u"FECHAEMISION",
    u"FINALIZADO",
    u"SINCRONIZADO",
    u"VENCEA",
    u"VENCEB",
    u"VENCEC",
    u"VENCEE",
    u"VENCEX",
};

// Where a token of the WHERE clause ends when it is not quoted, in the order they are tried.
constexpr std::array<QChar, 7> separators = {u' ', u'<', u'>', u'"', u'=', u'(', u')'};

// The token end that stands for "no separator found"; a token is never longer than this.
constexpr qsizetype noSeparator = 19999;
// Positions inside the WHERE clause are 16-bit.
constexpr qsizetype longestWhere = 32767;

bool isDateColumn(const QString& token) {
    for (QStringView name : dateColumns) {
        if (QStringView(token).compare(name, CI) == 0) return true;
    }
    return false;
}

// The TOP n clause becomes a ROWNUM condition. The pieces come from the statement as written,
// so the result keeps its letter case.
QString rewriteTop(const QString& valor) {
    const qsizetype top = valor.indexOf(u"top"_s, 0, CI);
    const QString head = valor.left(top);
    const QString after = trimBlanks(valor.mid(top + 3));
    // Without a blank after the count its length would be negative: an invalid call.
    const qsizetype blank = after.indexOf(u' ');
    const QString count = platformtext::left(
        after, blank, u"la cláusula TOP no tiene un espacio después de su cantidad"_s);
    QString rest = after.mid(blank + 1);

    QString group;
    QString order;
    const qsizetype groupAt = valor.indexOf(u" GROUP BY "_s, 0, CI);
    if (groupAt >= 0) {
        group = valor.mid(groupAt);
    } else {
        const qsizetype orderAt = valor.indexOf(u" ORDER BY "_s, 0, CI);
        if (orderAt >= 0) order = valor.mid(orderAt);
    }
    const QString limit = valor.contains(u" WHERE "_s, CI) ? u" AND ROWNUM <= "_s + count
                                                           : u" WHERE ROWNUM <= "_s + count;
    rest = replaceNoCase(rest, trimBlanks(group), u" "_s);
    rest = replaceNoCase(rest, trimBlanks(order), u" "_s);
    return head + u' ' + rest + u' ' + limit + u' ' + group + u' ' + order;
}

// Cuts the WHERE clause into tokens and wraps every token that names a date column, so that the
// comparison is made on the day. Tokens are rejoined with one blank each.
QString rewriteWhere(const QString& work) {
    const qsizetype where = work.indexOf(u" WHERE "_s, 0, CI);
    const QString front = trimBlanks(work.left(where + 1));
    const QString tail = trimBlanks(work.mid(where));
    if (tail.size() > longestWhere)
        platformtext::refuse(ErrorNumber::Overflow,
                             u"la condición WHERE pasa de 32.767 caracteres"_s);

    // The tail is walked with an offset instead of being cut down after every token; the next
    // occurrence of each separator is remembered until the walk passes it, so a long clause is
    // not searched again for every token.
    constexpr qsizetype unknown = -2;
    std::array<qsizetype, separators.size()> next;
    next.fill(unknown);

    QString out;
    out.reserve(tail.size() + 64);
    const qsizetype n = tail.size();
    qsizetype at = 0; // the remaining tail is tail[at, n), never starting with a blank
    while (at < n) {
        // The token's end as a 1-based position within the remaining tail (0: not found).
        qsizetype end = 0;
        const QChar first = tail[at];
        if (first == u'"' || first == u'\'') {
            const qsizetype close = tail.indexOf(first, at + 1);
            if (close >= 0) end = close - at + 1;
        } else {
            end = noSeparator;
            for (std::size_t s = 0; s < separators.size(); ++s) {
                if (next[s] != -1 && next[s] < at + 1)
                    next[s] = tail.indexOf(separators[s], at + 1);
                if (next[s] >= 0 && next[s] - at + 1 < end) end = next[s] - at + 1;
            }
        }
        if (end == 0) end = n - at; // a quote left open: the rest of the clause is one token
        const qsizetype stop = std::min(at + end, n);
        QString token = trimBlanks(tail.mid(at, stop - at));
        at = stop;
        while (at < n && tail[at] == u' ')
            ++at;

        if (isDateColumn(token))
            token = u"TO_DATE(TO_CHAR("_s + token + u",'DD/MM/YYYY'),'DD/MM/YYYY')"_s;
        out += u' ';
        out += token;
    }
    return front + out;
}

// Every quoted literal that reads as a date under the regional settings becomes a TO_DATE call
// with the day-first form. All the replacements are made in one pass over the text: replacing
// one literal after another would wrap a second time a date whose formatted form is the literal
// itself (or another literal of the statement), giving TO_DATE(TO_DATE(...)) that Oracle reads
// through its session date format, a wrong date.
QString rewriteDateLiterals(const QString& work) {
    struct Literal {
        QString quoted;
        QString replacement;
    };
    std::vector<Literal> literals;

    qsizetype open = work.indexOf(u'\'');
    while (open >= 0) {
        const qsizetype close = work.indexOf(u'\'', open + 1);
        // No closing quote: the literal's length would be negative, an invalid call.
        const QString inner =
            platformtext::mid(work, open + 1, close - open - 1,
                              u"falta la comilla de cierre de un texto de la sentencia"_s);
        QDateTime date;
        if (readLocaleDate(inner, date)) {
            const QString quoted = u'\'' + inner + u'\'';
            bool known = false;
            for (const Literal& l : literals)
                known = known || l.quoted.compare(quoted, CI) == 0;
            if (!known) {
                literals.push_back({quoted, u"TO_DATE('"_s + date.date().toString(u"dd/MM/yyyy"_s) +
                                                u"','DD/MM/YYYY')"_s});
            }
        }
        open = work.indexOf(u'\'', close + 1);
    }
    if (literals.empty()) return work;

    QString out;
    out.reserve(work.size() + qsizetype(literals.size()) * 24);
    const QStringView text(work);
    qsizetype at = 0;
    while (at < text.size()) {
        const Literal* match = nullptr;
        if (text[at] == u'\'') {
            for (const Literal& l : literals) {
                if (text.sliced(at).startsWith(l.quoted, CI)) {
                    match = &l;
                    break;
                }
            }
        }
        if (match) {
            out += match->replacement;
            at += match->quoted.size();
        } else {
            out += text[at];
            ++at;
        }
    }
    return out;
}

} // namespace

QString ORACLE_Dicc(const QString& Valor, const QString& gConnString, const Util& util) {
    QString work = Valor.toUpper();
    if (!gConnString.contains(u"ORACLE"_s, CI)) return work;
    if (util.CountWords(Valor) <= 1) {
        if (work == u"LEN"_s) work = u"LENGTH"_s;
        return work;
    }

    if (Valor.contains(u"top "_s, CI)) work = rewriteTop(Valor);

    for (const QString& len :
         {u" LEN("_s, u" LEN ("_s, u" LEN  ("_s, u" LEN   ("_s, u" LEN    ("_s}) {
        work = replaceNoCase(work, len, u" LENGTH("_s);
    }
    work.replace(u'[', u'"').replace(u']', u'"');
    if (work.contains(u" WHERE "_s, CI)) work = rewriteWhere(work);
    work = rewriteDateLiterals(work);
    return replaceNoCase(work, u"Charindex"_s, u"InStr"_s);
}
