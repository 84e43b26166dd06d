#include "lookup/MasksFile.h"
#include "shared/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray padded(QByteArray bytes, int width) {
    bytes.truncate(width);
    return bytes + QByteArray(width - bytes.size(), ' ');
}

// A record laid out by hand, so the reader is checked against the layout, not against the writer.
QByteArray record(const QByteArray& table, const QByteArray& fields,
                  const QByteArray& condition = {}, const QByteArray& title = "T") {
    return padded(title, 100) + padded(table, 100) + padded(fields, 500) + padded(condition, 500) +
           "\r\n";
}

class MasksFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes) {
        const QString path = dir.filePath(QStringLiteral("consultas.qln"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(MasksFileTest, ColumnListsAndSearchColumns) {
    const MasksFile file(write(record("T1", "|A|B|C|") + record("T2", "A|B") + record("T3", "|X|") +
                               record("T4", "") + record("T5", "|") + record("T6", "  |A| ")));
    struct Case {
        const char16_t* table;
        const char16_t* columns;
        std::optional<QString> search;
    };
    const Case cases[] = {{u"T1", u"A,B,C", QStringLiteral("A")},
                          {u"T2", u"A,B", QStringLiteral("A")},
                          {u"T3", u"X", std::nullopt},
                          {u"T4", u"*", std::nullopt},
                          {u"T5", u"*", std::nullopt},
                          {u"T6", u"A", std::nullopt}};
    for (const Case& c : cases) {
        const MasksFile::Busqueda found = file.buscar(QString::fromUtf16(c.table));
        ASSERT_EQ(found.estado, MasksFile::Estado::Encontrada)
            << QString::fromUtf16(c.table).toStdString();
        const MasksFile::Datos d = MasksFile::datos(*found.registro);
        EXPECT_EQ(d.columnas, QString::fromUtf16(c.columns));
        EXPECT_EQ(d.columnaBusqueda, c.search);
        EXPECT_EQ(d.condicion, QString());
    }
}

TEST_F(MasksFileTest, TableMatchIgnoresCaseAndSpacesAndFirstRecordWins) {
    const MasksFile file(write(record("OTRA", "|Z|") +
                               record("v_ma_articulos   ", "|DESCRIPCION|IDARTICULO|") +
                               record("V_MA_ARTICULOS", "|OTRO|", "X = 1")));
    const MasksFile::Busqueda found = file.buscar(QStringLiteral("  V_MA_ARTICULOS "));
    ASSERT_EQ(found.estado, MasksFile::Estado::Encontrada);
    EXPECT_EQ(found.numeroRegistro, 2);
    const MasksFile::Datos d = MasksFile::datos(*found.registro);
    EXPECT_EQ(d.tabla, QStringLiteral("v_ma_articulos"));
    EXPECT_EQ(d.columnas, QStringLiteral("DESCRIPCION,IDARTICULO"));
    EXPECT_EQ(d.columnaBusqueda, QStringLiteral("DESCRIPCION"));
    EXPECT_EQ(d.condicion, QString());
    EXPECT_EQ(file.buscar(QStringLiteral("MA_ARTICULOS")).estado, MasksFile::Estado::SinMascara);
}

TEST_F(MasksFileTest, Characters0And255AreIgnoredInTableAndConditionOnly) {
    const QByteArray table = QByteArray("\0V_\xFFX\0", 6);
    const QByteArray fields = QByteArray("|\0A|B\xFF|", 7);
    const QByteArray condition = QByteArray(" \xFF"
                                            "A = 1\0 ",
                                            9);
    const MasksFile file(write(record(table, fields, condition)));
    const MasksFile::Busqueda found = file.buscar(QStringLiteral("v_x"));
    ASSERT_EQ(found.estado, MasksFile::Estado::Encontrada);
    const MasksFile::Datos d = MasksFile::datos(*found.registro);
    EXPECT_EQ(d.tabla, QStringLiteral("V_X"));
    EXPECT_EQ(d.condicion, QStringLiteral("A = 1"));
    EXPECT_EQ(d.columnas, QString(QChar(0)) + QStringLiteral("A,B") + QChar(0xFF));
    EXPECT_EQ(d.columnaBusqueda, QString(QChar(0)) + QStringLiteral("A"));
}

TEST_F(MasksFileTest, HalfARecordIsNeverAMaskAndAppendingGoesAfterTheLastWholeRecord) {
    // The second record was cut off after its table field.
    const QString path = write(record("A", "|X|Y|") + record("B", "|P|Q|").left(600));
    const MasksFile file(path);
    EXPECT_EQ(file.buscar(QStringLiteral("A")).estado, MasksFile::Estado::Encontrada);
    const MasksFile::Busqueda half = file.buscar(QStringLiteral("B"));
    EXPECT_EQ(half.estado, MasksFile::Estado::SinMascara);
    EXPECT_TRUE(half.finIncompleto);

    MascaraConsulta c;
    c.TituloMascara = QStringLiteral("Ñandú");
    c.TablaMascara = QStringLiteral("C");
    c.CamposMascara = QStringLiteral("|€|");
    EXPECT_EQ(file.agregar(c), 2);
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    ASSERT_EQ(bytes.size(), 2404);
    EXPECT_EQ(bytes.mid(1202), record("C", "|\x80|", {},
                                      "\xD1"
                                      "and\xFA"));
    EXPECT_EQ(file.buscar(QStringLiteral("C")).numeroRegistro, 2);
    EXPECT_FALSE(file.buscar(QStringLiteral("B")).finIncompleto);
}

TEST_F(MasksFileTest, ARecordWithoutATableNameMatchesNothing) {
    // Records of bytes 0 and 255 (a damaged file) and of blanks come before the real one.
    const MasksFile file(write(QByteArray(1202, '\0') + QByteArray(1202, '\xFF') +
                               record("", "|X|") + record("A", "|B|")));
    for (const QString& nombre : {QString(), QStringLiteral("  ")})
        EXPECT_EQ(file.buscar(nombre).estado, MasksFile::Estado::SinMascara);
    EXPECT_EQ(file.buscar(QStringLiteral("a")).numeroRegistro, 4);
    // A half record is told even when the mask is found before it.
    EXPECT_TRUE(
        MasksFile(write(record("A", "|B|") + "xx")).buscar(QStringLiteral("A")).finIncompleto);
}

TEST_F(MasksFileTest, EmptyMissingAndUnreadableFilesAreToldApart) {
    EXPECT_EQ(MasksFile(write({})).buscar(QStringLiteral("A")).estado,
              MasksFile::Estado::SinMascara);
    EXPECT_EQ(MasksFile(dir.filePath(QStringLiteral("no.qln"))).buscar(QStringLiteral("A")).estado,
              MasksFile::Estado::SinArchivo);
    const MasksFile folder(dir.path());
    const MasksFile::Busqueda unreadable = folder.buscar(QStringLiteral("A"));
    EXPECT_EQ(unreadable.estado, MasksFile::Estado::Ilegible);
    EXPECT_TRUE(unreadable.error.contains(dir.path()));

    const QString nowhere = dir.filePath(QStringLiteral("falta/consultas.qln"));
    try {
        MasksFile(nowhere).agregar(MascaraConsulta{});
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::PathFileAccess);
        EXPECT_TRUE(e.description().contains(nowhere));
    }
    EXPECT_THROW(folder.agregar(MascaraConsulta{}), RuntimeError);
}

TEST(MascaraConsulta, FieldsAreCutAtTheirWidthAndOnlyWholeRecordsDecode) {
    MascaraConsulta m;
    m.TituloMascara = QString(150, u't');
    m.TablaMascara = QStringLiteral("V");
    m.CamposMascara = QString(600, u'c');
    const QByteArray bytes = m.toBytes();
    ASSERT_EQ(bytes.size(), MascaraConsulta::TamanoRegistro);
    EXPECT_EQ(bytes, record("V", QByteArray(500, 'c'), {}, QByteArray(100, 't')));
    const std::optional<MascaraConsulta> back = MascaraConsulta::fromBytes(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->TablaMascara, QStringLiteral("V") + QString(99, u' '));
    EXPECT_EQ(back->FinRegistro, QStringLiteral("\r\n"));
    EXPECT_FALSE(MascaraConsulta::fromBytes(bytes.left(1201)));
    EXPECT_FALSE(MascaraConsulta::fromBytes(bytes + ' '));
}

} // namespace
