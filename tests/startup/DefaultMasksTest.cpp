#include "startup/DefaultMasks.h"
#include "lookup/MasksFile.h"
#include "shared/RuntimeError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray padded(const QByteArray& bytes, int width) {
    return bytes + QByteArray(width - bytes.size(), ' ');
}

TEST(DefaultMasks, NewFileHoldsTheSevenRecordsInTheirLayout) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("consultas.qln"));
    GrabarMascarasDefault(path);

    const QByteArray rows[7][3] = {
        {"ARTICULOS", "V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|"},
        {"CLIENTES", "VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|"},
        {"PROVEEDORES", "VT_PROVEEDORES", "|RAZON_SOCIAL|CODIGO|"},
        {"CONTACTOS", "MA_CONTACTOS", "|Nombre_y_Apellido|Domicilio|Localidad|Telefono|"},
        {"VENDEDORES", "V_TA_VENDEDORES", "|NOMBRE|IDVENDEDOR|"},
        {"TECNICOS", "V_TA_TECNICOS", "|NOMBRE|IDTECNICO|"},
        {"MANTENIMIENTOS", "V_MA_MANTENIMIENTOS", "|DESCRIPCION|CODIGO|"},
    };
    QByteArray expected;
    for (const auto& row : rows) {
        expected += padded(row[0], 100) + padded(row[1], 100) + padded(row[2], 500) +
                    QByteArray(500, ' ') + "\r\n";
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.size(), 8414);
    EXPECT_EQ(bytes, expected);

    const MasksFile::Busqueda found = MasksFile(path).buscar(QStringLiteral("ma_contactos"));
    ASSERT_EQ(found.estado, MasksFile::Estado::Encontrada);
    EXPECT_EQ(found.numeroRegistro, 4);
    EXPECT_EQ(MasksFile::datos(*found.registro).columnaBusqueda,
              QStringLiteral("Nombre_y_Apellido"));
}

TEST(DefaultMasks, WritesAfterWholeRecordsAndFailsWithTheFileNamed) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("consultas.qln"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1202 + 40, 'x')); // one record and a cut-off tail
    }
    GrabarMascarasDefault(path);
    EXPECT_EQ(QFileInfo(path).size(), 8 * 1202);
    EXPECT_EQ(MasksFile(path).buscar(QStringLiteral("V_MA_ARTICULOS")).numeroRegistro, 2);

    const QString nowhere = dir.filePath(QStringLiteral("falta/consultas.qln"));
    try {
        GrabarMascarasDefault(nowhere);
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), ErrorNumber::PathFileAccess);
        EXPECT_TRUE(e.description().contains(nowhere));
    }
}

} // namespace
