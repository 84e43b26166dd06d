#include "SqlHelpers.h"

#include "PlatformText.h"
#include "ado/AdoTypes.h"
#include "shared/Util.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;
using namespace ado;

namespace {

constexpr std::array<long, 6> dateCodes = {adDate,   adDBDate,      adDBFileTime,
                                           adDBTime, adDBTimeStamp, adFileTime};
constexpr std::array<long, 6> textCodes = {adBSTR,    adLongVarChar, adLongVarWChar,
                                           adVarChar, adVarWChar,    adWChar};
constexpr std::array<long, 12> numericCodes = {
    adBigInt,   adDecimal, adDouble,         adInteger,     adNumeric,          adSingle,
    adSmallInt, adTinyInt, adUnsignedBigInt, adUnsignedInt, adUnsignedSmallInt, adUnsignedTinyInt};
constexpr std::array<long, 1> currencyCodes = {adCurrency};
constexpr std::array<long, 1> booleanCodes = {adBoolean};

template <std::size_t N> bool isOneOf(long code, const std::array<long, N>& codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// A type code held in a Variant is compared by number, so 7.5 is no code at all.
template <std::size_t N> bool isOneOf(const Variant& code, const std::array<long, N>& codes) {
    if (code.isNull()) return false;
    const double value = code.toDouble();
    return std::any_of(codes.begin(), codes.end(), [&](long c) { return double(c) == value; });
}

} // namespace

bool adodate(long Qtype) {
    return isOneOf(Qtype, dateCodes);
}
bool adodate(const Variant& Qtype) {
    return isOneOf(Qtype, dateCodes);
}
bool ADOText(long Qtype) {
    return isOneOf(Qtype, textCodes);
}
bool ADOText(const Variant& Qtype) {
    return isOneOf(Qtype, textCodes);
}
bool ADONumeric(long Qtype) {
    return isOneOf(Qtype, numericCodes);
}
bool ADONumeric(const Variant& Qtype) {
    return isOneOf(Qtype, numericCodes);
}
bool ADOCurrency(long Qtype) {
    return isOneOf(Qtype, currencyCodes);
}
bool ADOCurrency(const Variant& Qtype) {
    return isOneOf(Qtype, currencyCodes);
}
bool ADOBoolean(long Qtype) {
    return isOneOf(Qtype, booleanCodes);
}
bool ADOBoolean(const Variant& Qtype) {
    return isOneOf(Qtype, booleanCodes);
}

Variant SQLValue(const Variant& Valor, const QString& Tipo, const Util& util) {
    const bool number = Tipo == u"@";
    Variant v = Valor;
    QString open;
    QString close;
    if (number && !v.isNull()) {
        // The number is written by the regional settings and its decimal comma made a point,
        // which every server reads.
        const QString written = Variant(util.ToCurrency(v.toString())).toString();
        v = util.ReplaceText(written, u","_s, u"."_s);
    } else if (Tipo == u"'") {
        open = close = u"'"_s;
    }
    if (v.isNull()) return number ? u"0"_s : u"NULL"_s;
    return Variant(open + v.toString() + close);
}

Variant SQLValue(const Variant& Valor, const Util& util) {
    return SQLValue(Valor, u"'"_s, util);
}

QString stSTF(QString& rsName, int rnPart) {
    const qsizetype dot = rsName.indexOf(u'.');
    if (rsName.indexOf(u'.', dot + 1) < 0) {
        if (rnPart != 0) return rsName.mid(dot + 1);
        return platformtext::left(rsName, dot, u"el nombre no tiene la forma tabla.campo"_s);
    }
    rsName = StripOwner(rsName);
    return rsName;
}

QString AddBrackets(const QString& rObjName) {
    if (rObjName.contains(u' ') && !rObjName.startsWith(u'[')) return u'[' + rObjName + u']';
    return rObjName;
}

QString StripConnect(const QString& rsTblName) {
    const qsizetype arrow = rsTblName.indexOf(u"->"_s);
    if (arrow < 0) return rsTblName;
    return platformtext::left(rsTblName, arrow - 1, u"el nombre empieza con \"->\""_s);
}

QString StripBrackets(const QString& rsObjName) {
    if (!rsObjName.startsWith(u'[')) return rsObjName;
    return platformtext::mid(rsObjName, 1, rsObjName.size() - 2, u"el nombre es solo \"[\""_s);
}

QString StripOwner(QString& rsTblName) {
    const qsizetype dot = rsTblName.indexOf(u'.');
    if (dot >= 0) rsTblName = rsTblName.mid(dot + 1);
    return rsTblName;
}

QString StripFileName(const QString& rsFileName) {
    // Both separators count: the program runs where "/" is the path separator.
    for (qsizetype i = rsFileName.size() - 1; i >= 0; --i) {
        if (rsFileName[i] == u'\\' || rsFileName[i] == u'/') return rsFileName.left(i);
    }
    return {};
}
