#include "shared/Util.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

TEST(Util, StripCharsRemovesEveryGivenCharacter) {
    Util u;
    EXPECT_EQ(u.StripChars(QStringLiteral("a|b=c|d"), QStringLiteral("|"), QStringLiteral("=")), QStringLiteral("abcd"));
    EXPECT_EQ(u.StripChars(QStringLiteral("x\u00FFy\u0000z"), QString(QChar(0)), QString(QChar(255))), QStringLiteral("xyz"));
    EXPECT_EQ(u.StripChars(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
}

TEST(Util, ReplaceIsExactAndSubstituteIgnoresCase) {
    Util u;
    EXPECT_EQ(u.ReplaceText(QStringLiteral("|A|b|"), QStringLiteral("|"), QStringLiteral(",")), QStringLiteral(",A,b,"));
    EXPECT_EQ(u.ReplaceText(QStringLiteral("Aa"), QStringLiteral("a"), QStringLiteral("x")), QStringLiteral("Ax"));
    EXPECT_EQ(u.SubstituteText(QStringLiteral("from v_ma_articulos x"), QStringLiteral("V_MA_ARTICULOS"),
                               QStringLiteral("VT_MA_ARTICULOS")),
              QStringLiteral("from VT_MA_ARTICULOS x"));
    EXPECT_EQ(u.ReplaceText(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
}

TEST(Util, ToCurrencyReadsLeadingNumbersWithEitherSeparator) {
    Util u;
    EXPECT_EQ(u.ToCurrency(QString()).scaled, 0);
    EXPECT_EQ(u.ToCurrency(QStringLiteral("   ")).scaled, 0);
    EXPECT_EQ(u.ToCurrency(QStringLiteral("garbage")).scaled, 0);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("12,5")).toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("12.5")).toDouble(), 12.5);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("-3,25")).toDouble(), -3.25);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("+7")).toDouble(), 7.0);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("1.234,56")).toDouble(), 1234.56);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("1,234.56")).toDouble(), 1234.56);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("1.234.567")).toDouble(), 1234567.0);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral(" 16776960 ")).toDouble(), 16776960.0);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("42abc")).toDouble(), 42.0);
    EXPECT_DOUBLE_EQ(u.ToCurrency(QStringLiteral("-")).toDouble(), 0.0);
    EXPECT_EQ(u.ToCurrency(QStringLiteral("0,00005")).scaled, 0); // four decimals, halves to even
    EXPECT_EQ(u.ToLong(QStringLiteral("2,5")), 2);
    EXPECT_EQ(u.ToLong(QStringLiteral("3,5")), 4);
    EXPECT_EQ(u.ToLong(QStringLiteral("-7")), -7);
    EXPECT_EQ(u.ToLong(QStringLiteral("x")), 0);
}

TEST(Util, FitToWidthNeverExceedsTheWidth) {
    Util u;
    EXPECT_EQ(u.FitToWidth(QStringLiteral("abcde"), 5), QStringLiteral("abcde"));
    EXPECT_EQ(u.FitToWidth(QStringLiteral("abc"), 5), QStringLiteral("abc"));
    EXPECT_EQ(u.FitToWidth(QStringLiteral("abcdef"), 5), QStringLiteral("abcde"));
    EXPECT_EQ(u.FitToWidth(QStringLiteral("ab   cd"), 4), QStringLiteral("ab"));
    EXPECT_EQ(u.FitToWidth(QStringLiteral("a\r\nb"), 10), QStringLiteral("a  b"));
    EXPECT_EQ(u.FitToWidth(QString(), 3), QString());
    EXPECT_EQ(u.FitToWidth(QStringLiteral("x  "), -1), QStringLiteral("x"));
    EXPECT_EQ(u.FitToWidth(QStringLiteral("abc"), 0), QString());
}

TEST(Util, EncodeTextRoundTripsAnyTextWithoutBars) {
    Util u;
    for (const QString& s : {QString(), QStringLiteral("Quillon"), QStringLiteral("pa|r=de;lo"),
                             QStringLiteral("Ñandú ünïcödé 漢字 🙂"), QStringLiteral("~AAAA")}) {
        const QString e = u.EncodeText(s);
        EXPECT_FALSE(e.contains(u'|')) << e.toStdString();
        EXPECT_FALSE(e.contains(u'=')) << e.toStdString();
        EXPECT_EQ(u.DecodeText(e), s);
    }
    EXPECT_NE(u.EncodeText(QStringLiteral("pardelo")), QStringLiteral("pardelo"));
}

TEST(Util, SmallHelpers) {
    Util u;
    EXPECT_EQ(u.CountWords(QStringLiteral("len")), 1);
    EXPECT_EQ(u.CountWords(QStringLiteral("  select *\r\n from  t ")), 4);
    EXPECT_EQ(u.CountWords(QString()), 0);
    EXPECT_EQ(u.AddPathSeparator(QStringLiteral("/opt/app")), QStringLiteral("/opt/app/"));
    EXPECT_EQ(u.AddPathSeparator(QStringLiteral("/opt/app//")), QStringLiteral("/opt/app/"));
    EXPECT_TRUE(u.NullToEmpty(Variant::null()).textIf());
    EXPECT_EQ(u.NullToEmpty(Variant(3)), Variant(3));
}

} // namespace
