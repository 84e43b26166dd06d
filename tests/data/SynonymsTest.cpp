#include "data/Synonyms.h"

#include "TextPrinter.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const std::pair<QString, QString> rows[] = {
    {u"MA_CUENTAS"_s, u"SS_MA_CUENTAS"_s},
    {u"V_TA_DEPOSITO"_s, u"SS_V_TA_DEPOSITO"_s},
    {u"MV_ASIENTOS"_s, u"SS_MV_ASIENTOS"_s},
    {u"V_TA_FAMILIAS"_s, u"SS_V_TA_FAMILIAS"_s},
    {u"V_TA_CAJAS"_s, u"SS_V_TA_CAJAS"_s},
    {u"AC_CUENTASDIARIO"_s, u"SS_AC_CUENTASDIARIO"_s},
    {u"AC_CUENTASDIARIO_CCOSTO"_s, u"SS_AC_CUENTAS_DIARIO_CCOSTO"_s},
};

TEST(Synonyms, EveryNameInEveryPositionForAnOperator) {
    const std::pair<QString, QString> positions[] = {
        {u"select * from "_s, u" where"_s}, {u"select * from("_s, u" x)"_s},
        {u"select "_s, u".codigo"_s},       {u"select max("_s, u".codigo)"_s},
        {u"select a,"_s, u".codigo"_s},
    };
    for (const auto& [name, synonym] : rows) {
        for (const auto& [before, after] : positions) {
            for (const QString& written : {name, name.toLower()}) {
                EXPECT_EQ(SS_TSinonimos(before + written + after, false), before + synonym + after)
                    << written.toStdString();
            }
        }
        // The brace position belongs to MA_CUENTAS alone.
        const QString braced = u"{"_s + name + u".codigo}"_s;
        EXPECT_EQ(SS_TSinonimos(braced, false),
                  name == u"MA_CUENTAS"_s ? u"{SS_MA_CUENTAS.codigo}"_s : braced);
    }
}

TEST(Synonyms, OtherPositionsAndLongerNamesStayAsWritten) {
    for (const QString& sql : {u"select * from MA_CUENTAS"_s, u"select * from MA_CUENTAS, B"_s,
                               u"select * from (select * from MA_CUENTAS)"_s,
                               u"from MA_CUENTAS\r\nwhere"_s, u"from MA_CUENTAS_AUX where"_s,
                               u"from dbo.MA_CUENTAS where"_s, u"from MA_CUENTAS\twhere"_s}) {
        EXPECT_EQ(SS_TSinonimos(sql, false), sql);
    }
    EXPECT_EQ(SS_TSinonimos(
                  u"from AC_CUENTASDIARIO a join AC_CUENTASDIARIO_CCOSTO c on a.x = c.x"_s, false),
              u"from SS_AC_CUENTASDIARIO a join SS_AC_CUENTAS_DIARIO_CCOSTO c on a.x = c.x"_s);
}

TEST(Synonyms, MarkedNamesAndAdministrators) {
    for (bool admin : {false, true}) {
        EXPECT_EQ(SS_TSinonimos(u"select * from @Admin_V_TA_CAJAS where"_s, admin),
                  u"select * from V_TA_CAJAS where"_s);
        EXPECT_EQ(SS_TSinonimos(u"select * from @admin_ma_cuentas where"_s, admin),
                  admin ? u"select * from ma_cuentas where"_s
                        : u"select * from MA_CUENTAS where"_s);
    }
    const QString sql =
        u"select ma_cuentas.codigo from ma_cuentas join V_TA_CAJAS on (V_TA_CAJAS.id = 1)"_s;
    EXPECT_EQ(SS_TSinonimos(sql, true), sql);
    EXPECT_EQ(
        SS_TSinonimos(sql, false),
        u"select SS_MA_CUENTAS.codigo from SS_MA_CUENTAS join SS_V_TA_CAJAS on (SS_V_TA_CAJAS.id = 1)"_s);
}

} // namespace
