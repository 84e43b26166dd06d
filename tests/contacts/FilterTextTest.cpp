// The filter builder's text functions.
#include "contacts/FilterText.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

using namespace FilterText;

TEST(FilterText, ValuesAreWrittenByTheFieldsType) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    EXPECT_EQ(criterionValue(200, QStringLiteral("A%")), QStringLiteral(" 'A%'"));
    EXPECT_EQ(criterionValue(202, QStringLiteral("O'Connor")), QStringLiteral(" 'O''Connor'"));
    EXPECT_EQ(criterionValue(129, QStringLiteral("AB")),
              QStringLiteral(" AB")); // fixed char is not text
    EXPECT_EQ(criterionValue(3, QStringLiteral("10")), QStringLiteral(" 10"));
    EXPECT_EQ(criterionValue(135, QStringLiteral("3/4/2005")), QStringLiteral(" #03/04/2005#"));
    EXPECT_EQ(criterionValue(7, QStringLiteral("no es fecha")), QStringLiteral(" ##"));
    EXPECT_EQ(criterionValue(-1, QStringLiteral("x")), QStringLiteral(" x")); // type not found
    QLocale::setDefault(QLocale::c());
}

TEST(FilterText, TheCriterionLosesOnlyBlanksAtItsEndsAndEachBreakBecomesABlank) {
    EXPECT_EQ(criterio(QStringLiteral("  A = 1\r\n Or B = 2\r\n")),
              QStringLiteral("A = 1   Or B = 2  "));
    EXPECT_EQ(criterio(QStringLiteral("\tA = 1 \r")), QStringLiteral("\tA = 1  "));
    EXPECT_EQ(criterio(QStringLiteral("   ")), QString());
}

TEST(FilterText, NamesAndCharacters) {
    EXPECT_EQ(ConCorchetes(QStringLiteral("Razón Social")), QStringLiteral("[Razón Social]"));
    EXPECT_EQ(ConCorchetes(QStringLiteral("Año")), QStringLiteral("[Año]"));
    EXPECT_EQ(ConCorchetes(QStringLiteral("Nombre")), QStringLiteral("Nombre"));
    EXPECT_EQ(ConCorchetes(QStringLiteral("Compañia")), QStringLiteral("[Compañia]"));
    EXPECT_EQ(ConCorchetes(QStringLiteral("nº")), QStringLiteral("[nº]"));
    EXPECT_EQ(ConCorchetes(QStringLiteral("a-b")), QStringLiteral("[a-b]"));
    EXPECT_EQ(ConCorchetes(QStringLiteral("[ya tiene]")), QStringLiteral("[ya tiene]"));
    EXPECT_EQ(ReemplazaCar(QStringLiteral("aXbx"), QStringLiteral("x"), QStringLiteral("-")),
              QStringLiteral("a-b-"));
    EXPECT_EQ(EliminaCar(QStringLiteral("a.b,c;d"), QStringLiteral("."), QStringLiteral(","),
                         QStringLiteral(";")),
              QStringLiteral("abcd"));
    EXPECT_EQ(FieldVal(Variant::null()), QString());
    EXPECT_EQ(FieldVal(Variant(QStringLiteral("x"))), QStringLiteral("x"));
}

} // namespace
