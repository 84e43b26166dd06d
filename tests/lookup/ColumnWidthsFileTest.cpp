#include "lookup/ColumnWidthsFile.h"
#include "shared/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Anchos = QList<std::optional<double>>;

class ColumnWidthsFileTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina)); }
    void TearDown() override { QLocale::setDefault(saved); }

    void write(const QByteArray& bytes) {
        QFile file(widths.rutaArchivo());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray stored() const {
        QFile file(widths.rutaArchivo());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    QLocale saved;
    QTemporaryDir dir;
    ColumnWidthsFile widths{dir.path()};
};

TEST_F(ColumnWidthsFileTest, MatchingLinesApplyInOrderUntilAWidthIsMissing) {
    write("\"v_ma_articulos\",\"2880|1440|\"\r\n\"OTRA\",\"1|\"\r\n");
    const ColumnWidthsFile::Lectura two = widths.LeerAnchos(QStringLiteral("V_MA_ARTICULOS"), 3);
    ASSERT_EQ(two.lineas.size(), 1);
    EXPECT_FALSE(two.lineas[0].completa);
    EXPECT_TRUE(two.detenida);
    EXPECT_EQ(two.lineaDetenida, 1);
    EXPECT_EQ(two.anchosFinales(3), (Anchos{2880.0, 1440.0, std::nullopt}));

    // Two columns: the line is whole and reading goes to the end; extra widths are ignored.
    write("\"T\",\"10|20|30|\"\r\n\"T\",\"7|\"\r\n\"T\",\"5|5|5|\"\r\n");
    EXPECT_EQ(widths.LeerAnchos(QStringLiteral("t"), 1).anchosFinales(2),
              (Anchos{5.0, std::nullopt}));
    const ColumnWidthsFile::Lectura last = widths.LeerAnchos(QStringLiteral("T"), 3);
    EXPECT_EQ(last.lineas.size(), 2); // the third line is never reached
    EXPECT_EQ(last.anchosFinales(3), (Anchos{7.0, 20.0, 30.0}));
}

TEST_F(ColumnWidthsFileTest, DamagedLinesStopReadingAndKeepWhatCameBefore) {
    const QByteArray first = "\"T\",\"100|200|\"\r\n";
    const QByteArray damaged[] = {
        "garbage\r\n",       "\"T\",\"abc|\"\r\n",       "\"T\r\n",
        "\"T\"x,\"1|\"\r\n", "\"T\",\"1|\",\"2|\"\r\n",  QByteArray("\x00\xFF\x81|\"\r\n", 7),
        "\"T\",\"-5|\"\r\n", "\"T\",\"1.2.3,4,5|\"\r\n", "\"T\",\"1,5,|\"\r\n"};
    for (const QByteArray& line : damaged) {
        write(first + line + "\"T\",\"9|9|\"\r\n");
        const ColumnWidthsFile::Lectura r = widths.LeerAnchos(QStringLiteral("T"), 2);
        EXPECT_TRUE(r.detenida) << line.toStdString();
        EXPECT_EQ(r.lineaDetenida, 2);
        EXPECT_FALSE(r.motivo.isEmpty());
        EXPECT_EQ(r.anchosFinales(2), (Anchos{100.0, 200.0})) << line.toStdString();
    }
    // An unreadable file reads as nothing; a missing one too, without being stopped.
    QDir(dir.path()).mkdir(QStringLiteral("CONSULTASLEN.QLN"));
    EXPECT_TRUE(widths.LeerAnchos(QStringLiteral("T"), 2).detenida);
    const ColumnWidthsFile::Lectura none =
        ColumnWidthsFile(dir.filePath(QStringLiteral("x"))).LeerAnchos(QStringLiteral("T"), 2);
    EXPECT_TRUE(none.lineas.isEmpty());
    EXPECT_FALSE(none.detenida);
}

TEST_F(ColumnWidthsFileTest, ABlankWidthIsZeroAndTheLineGoesOn) {
    write("\"T\",\"100| |300|\"\r\n\"U\",\"|1440,5|\"\r\n");
    const ColumnWidthsFile::Lectura t = widths.LeerAnchos(QStringLiteral("T"), 3);
    EXPECT_FALSE(t.detenida) << t.motivo.toStdString();
    EXPECT_EQ(t.anchosFinales(3), (Anchos{100.0, 0.0, 300.0}));
    EXPECT_EQ(widths.LeerAnchos(QStringLiteral("U"), 2).anchosFinales(2), (Anchos{0.0, 1440.5}));
}

TEST_F(ColumnWidthsFileTest, SavingKeepsOtherTablesInOrderAndOneEntryForTheTable) {
    widths.GrabarAnchos(QStringLiteral("V_MA_ARTICULOS"), {2880, 1440, 960});
    EXPECT_EQ(stored(), "\"V_MA_ARTICULOS\",\"2880|1440|960|\"\r\n");
    EXPECT_FALSE(QFile::exists(widths.rutaTemporal()));

    write("\"A\",\"1|\"\r\n\"t\",\"2|\"\r\nB , 3|\r\n\"T\",\"4|\"\r\n\"C\",\"5|\"\r\n");
    widths.GrabarAnchos(QStringLiteral("T"), {100});
    widths.GrabarAnchos(QStringLiteral("T"), {200.5, 0});
    EXPECT_EQ(stored(), "\"A\",\"1|\"\r\n\"B\",\"3|\"\r\n\"C\",\"5|\"\r\n\"T\",\"200,5|0|\"\r\n");
    EXPECT_EQ(widths.LeerAnchos(QStringLiteral("T"), 2).anchosFinales(2), (Anchos{200.5, 0.0}));
}

TEST_F(ColumnWidthsFileTest, StockViewSharesTheArticlesEntry) {
    EXPECT_EQ(ColumnWidthsFile::tablaDeAnchos(QStringLiteral("STK_MA_ARTICULOS")),
              QStringLiteral("VT_MA_ARTICULOS"));
    EXPECT_EQ(ColumnWidthsFile::tablaDeAnchos(QStringLiteral("V_MA_ARTICULOS")),
              QStringLiteral("V_MA_ARTICULOS"));
    write("\"vt_ma_articulos\",\"1|\"\r\n\"OTRA\",\"2|\"\r\n");
    EXPECT_EQ(widths.LeerAnchos(QStringLiteral("Stk_ma_articulos"), 1).anchosFinales(1),
              (Anchos{1.0}));
    widths.GrabarAnchos(QStringLiteral("stk_MA_articulos"), {3});
    EXPECT_EQ(stored(), "\"OTRA\",\"2|\"\r\n\"VT_MA_ARTICULOS\",\"3|\"\r\n");
}

TEST_F(ColumnWidthsFileTest, WidthsAreWrittenForTheReaderWhateverTheLocale) {
    EXPECT_EQ(ColumnWidthsFile::textoAnchos({2880, 1234567, 0.25, -3}),
              QStringLiteral("2880|1234567|0,25|0|"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ColumnWidthsFile::formatoAncho(1440.12345), QStringLiteral("1440.1235"));
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    EXPECT_EQ(ColumnWidthsFile::formatoAncho(15.5), QStringLiteral("15.5"));
}

TEST_F(ColumnWidthsFileTest, QuotedNamesAndFailedSavesLeaveTheFileWhole) {
    widths.GrabarAnchos(QStringLiteral("\"MA_contactos\""), {1});
    widths.GrabarAnchos(QStringLiteral("\"MA_contactos\""), {2});
    EXPECT_EQ(stored(), "\"MA_contactos\",\"2|\"\r\n");
    EXPECT_EQ(widths.LeerAnchos(QStringLiteral("\"MA_contactos\""), 1).anchosFinales(1),
              (Anchos{2.0}));

    const QByteArray damaged = "\"A\",\"1|\"\r\n\"B\r\n";
    write(damaged);
    try {
        widths.GrabarAnchos(QStringLiteral("T"), {1});
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::InvalidCall);
        EXPECT_TRUE(e.description().contains(widths.rutaArchivo()));
    }
    EXPECT_EQ(stored(), damaged);

    // The temporary cannot be written: the widths file stays as it was.
    write("\"A\",\"1|\"\r\n");
    QDir(dir.path()).mkdir(QStringLiteral("CONSULTASLEN.AUX"));
    EXPECT_THROW(widths.GrabarAnchos(QStringLiteral("T"), {1}), RuntimeError);
    EXPECT_EQ(stored(), "\"A\",\"1|\"\r\n");
}

} // namespace
