#include "data/SqlHelpers.h"
#include "ScopedLocale.h"
#include "shared/RuntimeError.h"
#include "shared/Util.h"

#include "TextPrinter.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

template <class F> long errorOf(F f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(SqlHelpers, TypeClasses) {
    for (long code : {7, 133, 137, 134, 135, 64})
        EXPECT_TRUE(adodate(code)) << code;
    for (long code : {8, 201, 203, 200, 202, 130})
        EXPECT_TRUE(ADOText(code)) << code;
    for (long code : {20, 14, 5, 3, 131, 4, 2, 16, 21, 19, 18, 17})
        EXPECT_TRUE(ADONumeric(code)) << code;
    EXPECT_TRUE(ADOCurrency(6L));
    EXPECT_TRUE(ADOBoolean(11L));
    EXPECT_FALSE(ADOText(129L));
    EXPECT_FALSE(ADONumeric(6L));
    EXPECT_FALSE(ADONumeric(139L));
    EXPECT_FALSE(adodate(8L));
    EXPECT_FALSE(ADOBoolean(3L));

    EXPECT_TRUE(adodate(Variant(7)));
    EXPECT_TRUE(ADOText(Variant(u"202"_s)));
    EXPECT_FALSE(adodate(Variant(7.5)));
    EXPECT_FALSE(ADONumeric(Variant()));
    EXPECT_FALSE(ADOCurrency(Variant::null()));
    EXPECT_EQ(errorOf([] { ADOBoolean(Variant(u"texto"_s)); }), ErrorNumber::TypeMismatch);
}

TEST(SqlHelpers, SqlValueLiterals) {
    ScopedLocale locale(ScopedLocale::argentina());
    Util util;
    const auto value = [&](const Variant& v, const QString& tipo) {
        return SQLValue(v, tipo, util).toString();
    };
    EXPECT_EQ(SQLValue(Variant(u"Juan"_s), util).toString(), u"'Juan'"_s);
    EXPECT_EQ(SQLValue(Variant(u"O'Brien"_s), util).toString(), u"'O'Brien'"_s);
    EXPECT_EQ(SQLValue(Variant::null(), util).toString(), u"NULL"_s);
    EXPECT_EQ(value(Variant(12.5), u"'"_s), u"'12,5'"_s);
    EXPECT_EQ(value(Variant(QDateTime(QDate(2020, 2, 1), QTime(0, 0))), u"'"_s), u"'01/02/2020'"_s);
    EXPECT_EQ(value(Variant(12.5), u"@"_s), u"12.5"_s);
    EXPECT_EQ(value(Variant(u"1.234,56"_s), u"@"_s), u"1234.56"_s);
    EXPECT_EQ(value(Variant(-3), u"@"_s), u"-3"_s);
    EXPECT_EQ(value(Variant(), u"@"_s), u"0"_s);
    EXPECT_EQ(value(Variant::null(), u"@"_s), u"0"_s);
    EXPECT_EQ(value(Variant(u"Juan"_s), u"#"_s), u"Juan"_s);
    EXPECT_EQ(value(Variant(u"Juan"_s), QString()), u"Juan"_s);
    EXPECT_EQ(value(Variant::null(), u"#"_s), u"NULL"_s);
}

TEST(SqlHelpers, NameParts) {
    QString name = u"dbo.TABLA.CAMPO"_s;
    EXPECT_EQ(stSTF(name, 1), u"TABLA.CAMPO"_s);
    EXPECT_EQ(name, u"TABLA.CAMPO"_s);
    name = u"dbo.TABLA.CAMPO"_s;
    EXPECT_EQ(stSTF(name, 0), u"TABLA.CAMPO"_s);
    EXPECT_EQ(stSTF(name, 1), u"CAMPO"_s);
    EXPECT_EQ(stSTF(name, 0), u"TABLA"_s);
    EXPECT_EQ(name, u"TABLA.CAMPO"_s);
    name = u"TABLA"_s;
    EXPECT_EQ(stSTF(name, -1), u"TABLA"_s);
    EXPECT_EQ(errorOf([&] { stSTF(name, 0); }), ErrorNumber::InvalidCall);

    name = u"dbo.TABLA"_s;
    EXPECT_EQ(StripOwner(name), u"TABLA"_s);
    EXPECT_EQ(StripOwner(name), u"TABLA"_s);
    EXPECT_EQ(name, u"TABLA"_s);

    EXPECT_EQ(AddBrackets(u"Mi Tabla"_s), u"[Mi Tabla]"_s);
    EXPECT_EQ(AddBrackets(u"Tabla"_s), u"Tabla"_s);
    EXPECT_EQ(AddBrackets(u"[Mi Tabla"_s), u"[Mi Tabla"_s);
    EXPECT_EQ(StripBrackets(u"[Mi Tabla]"_s), u"Mi Tabla"_s);
    EXPECT_EQ(StripBrackets(u"[Mi Tabla"_s), u"Mi Tabl"_s);
    EXPECT_EQ(StripBrackets(u"[]"_s), QString());
    EXPECT_EQ(StripBrackets(u"Tabla]"_s), u"Tabla]"_s);
    EXPECT_EQ(errorOf([] { StripBrackets(u"["_s); }), ErrorNumber::InvalidCall);
    EXPECT_EQ(StripConnect(u"CLIENTES ->SRV01"_s), u"CLIENTES"_s);
    EXPECT_EQ(StripConnect(u"CLIENTES->SRV01"_s), u"CLIENTE"_s);
    EXPECT_EQ(StripConnect(u"A->X"_s), QString());
    EXPECT_EQ(StripConnect(u"CLIENTES"_s), u"CLIENTES"_s);
    EXPECT_EQ(errorOf([] { StripConnect(u"->X"_s); }), ErrorNumber::InvalidCall);

    EXPECT_EQ(StripFileName(u"C:\\Suite\\datos\\consultas.qln"_s), u"C:\\Suite\\datos"_s);
    EXPECT_EQ(StripFileName(u"C:\\Suite\\"_s), u"C:\\Suite"_s);
    EXPECT_EQ(StripFileName(u"/opt/suite/consultas.qln"_s), u"/opt/suite"_s);
    EXPECT_EQ(StripFileName(u"consultas.qln"_s), QString());
    EXPECT_EQ(StripFileName(QString()), QString());
}

} // namespace
