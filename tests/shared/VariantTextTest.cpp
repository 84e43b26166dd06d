#include "shared/Collection.h"
#include "shared/RuntimeError.h"
#include "shared/TextFile.h"
#include "shared/Variant.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <limits>

namespace {

struct SpanishLocale {
    SpanishLocale() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina)); }
    ~SpanishLocale() { QLocale::setDefault(QLocale::c()); }
};

TEST(Variant, ConversionsFollowTheLocale) {
    SpanishLocale es;
    EXPECT_EQ(Variant(1.5).toString(), QStringLiteral("1,5"));
    EXPECT_EQ(Variant(1234567.0).toString(), QStringLiteral("1234567"));
    EXPECT_EQ(Variant(Currency{125000}).toString(), QStringLiteral("12,5"));
    // Currencies keep every decimal digit they have, with no trailing zeros, however large.
    EXPECT_EQ(Variant(Currency{-5}).toString(), QStringLiteral("-0,0005"));
    EXPECT_EQ(Variant(Currency{-120000}).toString(), QStringLiteral("-12"));
    EXPECT_EQ(Variant(Currency{10001}).toString(), QStringLiteral("1,0001"));
    EXPECT_EQ(Variant(Currency{std::numeric_limits<std::int64_t>::max()}).toString(),
              QStringLiteral("922337203685477,5807"));
    EXPECT_EQ(Variant(Currency{std::numeric_limits<std::int64_t>::min()}).toString(),
              QStringLiteral("-922337203685477,5808"));
    // Dates and times are written digit by digit; other years go through the general formatter.
    EXPECT_EQ(Variant(QDateTime(QDate(1999, 12, 31), QTime(7, 5, 9))).toString(),
              QStringLiteral("31/12/1999 07:05:09"));
    EXPECT_EQ(Variant(QDateTime(QDate(812, 1, 2), QTime(0, 0))).toString(), QStringLiteral("02/01/0812"));
    EXPECT_DOUBLE_EQ(Variant(QStringLiteral("12,5")).toDouble(), 12.5);
    EXPECT_THROW(Variant(QStringLiteral("abc")).toDouble(), RuntimeError);
    EXPECT_THROW(Variant(QString()).toDouble(), RuntimeError);
    EXPECT_THROW(Variant::null().toString(), RuntimeError);
    EXPECT_EQ(Variant::null().toDisplayString(), QString());
    EXPECT_EQ(Variant(QDateTime(QDate(2005, 4, 3), QTime(0, 0))).toString(), QStringLiteral("03/04/2005"));
    EXPECT_EQ(Variant(2.5).toInt64(), 2);
    EXPECT_EQ(Variant(3.5).toInt64(), 4);
    QDateTime dt;
    EXPECT_TRUE(readLocaleDate(QStringLiteral("3/4/2005"), dt));
    EXPECT_EQ(dt.date(), QDate(2005, 4, 3));
    EXPECT_FALSE(readLocaleDate(QStringLiteral("DD/MM/YYYY"), dt));
    EXPECT_FALSE(readLocaleDate(QStringLiteral("31/02/2005"), dt));
    EXPECT_FALSE(readLocaleDate(QStringLiteral("12,5"), dt));
}

TEST(Variant, MonthFirstLocalesWriteDatesTheirWay) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Variant(QDateTime(QDate(2005, 4, 3), QTime(0, 0))).toString(), QStringLiteral("4/3/2005"));
    EXPECT_EQ(Variant(QDateTime(QDate(2005, 11, 30), QTime(23, 0))).toString(),
              QStringLiteral("11/30/2005 23:00:00"));
    EXPECT_EQ(Variant(Currency{-125000}).toString(), QStringLiteral("-12.5"));
    QLocale::setDefault(QLocale::c());
}

// Numbers are written digit by digit where the digits allow it: the result must be what the
// locale's own formatter writes, ties and large or tiny values included.
TEST(Variant, NumbersAreWrittenAsTheLocaleWritesThem) {
    for (const QLocale& locale : {QLocale(QLocale::Spanish, QLocale::Argentina),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> spread(-10.0, 10.0);
        for (const double magnitude : {1e-7, 1e-4, 0.01, 1.0, 1e3, 1e9, 1e13, 1e15, 1e17}) {
            for (int k = 0; k < 3000; ++k) {
                double v = spread(random) * magnitude;
                if (k % 3 == 0) v = std::round(v * 100) / 100; // two decimals, as money has
                if (k % 7 == 0) v = std::round(v * 8) / 8;     // binary ties: x.125, x.625
                ASSERT_EQ(writeLocaleNumber(v), std::fabs(v) < 1e15 && v == std::floor(v)
                                                    ? plain.toString(qint64(v))
                                                    : plain.toString(v, 'g', 15))
                    << v;
            }
        }
    }
    QLocale::setDefault(QLocale::c());
}

TEST(Variant, LeadingNumberIsThePlatformsVal) {
    EXPECT_DOUBLE_EQ(leadingNumber(QStringLiteral("12,5")), 12.0);
    EXPECT_DOUBLE_EQ(leadingNumber(QStringLiteral(" 12.5abc")), 12.5);
    EXPECT_DOUBLE_EQ(leadingNumber(QStringLiteral("-3")), -3.0);
    EXPECT_DOUBLE_EQ(leadingNumber(QStringLiteral("abc")), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber(QString()), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber(QStringLiteral("1e3")), 1000.0);
}

TEST(Collection, OneBasedWithBoundsChecks) {
    Collection c;
    c.Add(QStringLiteral("a"));
    c.Add(2);
    EXPECT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Item(1), Variant(QStringLiteral("a")));
    EXPECT_THROW(c.Item(0), RuntimeError);
    EXPECT_THROW(c.Item(3), RuntimeError);
    c.Remove(1);
    EXPECT_EQ(c.Item(1), Variant(2));
}

TEST(TextFile, Windows1252RoundTripAndCrLf) {
    const QString text = QStringLiteral("Peña €‘x’ ©");
    bool lossless = false;
    const QByteArray bytes = TextFile::encode1252(text, &lossless);
    EXPECT_TRUE(lossless);
    EXPECT_EQ(bytes, QByteArray("Pe\xf1" "a \x80\x91x\x92 \xa9"));
    EXPECT_EQ(TextFile::decode1252(bytes), text);
    TextFile::encode1252(QStringLiteral("漢"), &lossless);
    EXPECT_FALSE(lossless);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.txt"));
    TextFile::writeLines1252(path, {QStringLiteral("año"), QString()});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("a\xf1o\r\n\r\n"));
    EXPECT_FALSE(TextFile::read1252(dir.filePath(QStringLiteral("none"))));
    EXPECT_THROW(TextFile::writeLines1252(dir.filePath(QStringLiteral("no/such/dir/x")), {}), RuntimeError);
}

} // namespace
