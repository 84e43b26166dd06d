#include "lookup/SentenciaConsulta.h"

#include <gtest/gtest.h>

namespace {

using S = SentenciaConsulta;

MasksFile::Datos mascara(const QString& tabla, const QString& campos,
                         const QString& condicion = {}) {
    MascaraConsulta r;
    r.TablaMascara = tabla;
    r.CamposMascara = campos;
    r.CondicionMascara = condicion;
    return MasksFile::datos(r);
}

TEST(SentenciaConsulta, WhereAndRowLimit) {
    EXPECT_EQ(S::ajustarWhere(QStringLiteral("a")), QStringLiteral("a"));
    EXPECT_EQ(S::ajustarWhere(QStringLiteral(" a ")), QStringLiteral(" a "));
    EXPECT_EQ(S::ajustarWhere(QStringLiteral("a = 1")), QStringLiteral(" (a = 1) "));
    EXPECT_EQ(S::ajustarWhere(QStringLiteral("(a = 1) or b")), QStringLiteral("(a = 1) or b"));
    EXPECT_EQ(S::ajustarWhere(QString()), QString());

    EXPECT_EQ(S::limiteFilas(QString()), 1000);
    EXPECT_EQ(S::limiteFilas(QStringLiteral(" ")), 1000);
    EXPECT_EQ(S::limiteFilas(QStringLiteral("0")), 1000);
    EXPECT_EQ(S::limiteFilas(QStringLiteral("muchos")), 1000);
    EXPECT_EQ(S::limiteFilas(QStringLiteral("50")), 50);
    EXPECT_EQ(S::limiteFilas(QStringLiteral("50 filas")), 50);
    EXPECT_EQ(S::limiteFilas(QStringLiteral("99999999999")), 1000);
}

TEST(SentenciaConsulta, GivenStatementUsesTheStockView) {
    EXPECT_EQ(S::sentenciaDada(QStringLiteral("select * from v_ma_articulos where x")),
              QStringLiteral("select * from VT_MA_ARTICULOS where x"));
    // A name merely containing "select" is used as it stands.
    EXPECT_EQ(S::sentenciaDada(QStringLiteral("V_SELECTOS")), QStringLiteral("V_SELECTOS"));
}

TEST(SentenciaConsulta, MaskStatement) {
    const auto articulos =
        mascara(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("|DESCRIPCION|IDARTICULO|"));
    auto r = S::sentenciaMascara(articulos, 1000, QString(), QString());
    ASSERT_TRUE(r.sentencia);
    EXPECT_EQ(*r.sentencia,
              QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE "
                             "SUSPENDIDO = 0 ORDER BY DESCRIPCION"));
    EXPECT_EQ(r.campoBusqueda, QStringLiteral("DESCRIPCION"));

    // The caller's condition replaces the default one; the caller's search column survives.
    r = S::sentenciaMascara(articulos, 50, QStringLiteral("IDARTICULO"),
                            S::ajustarWhere(QStringLiteral("IDRUBRO = 3")));
    EXPECT_EQ(*r.sentencia,
              QStringLiteral("SELECT TOP 50 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE  "
                             "(IDRUBRO = 3)  ORDER BY IDARTICULO"));
    EXPECT_EQ(r.campoBusqueda, QStringLiteral("IDARTICULO"));

    r = S::sentenciaMascara(
        mascara(QStringLiteral("vt_clientes"), QStringLiteral("|RAZON_SOCIAL|CODIGO|")), 10,
        QString(), QString());
    EXPECT_EQ(
        *r.sentencia,
        QStringLiteral("SELECT TOP 10 RAZON_SOCIAL,CODIGO FROM vt_clientes WHERE Dada_De_Baja = 0 "
                       "ORDER BY RAZON_SOCIAL"));
    // A mask condition wins over the caller's.
    r = S::sentenciaMascara(
        mascara(QStringLiteral("VT_PROVEEDORES"), QStringLiteral("|A|B|"), QStringLiteral("X = 1")),
        10, QString(), QStringLiteral(" (Y = 2) "));
    EXPECT_EQ(*r.sentencia,
              QStringLiteral("SELECT TOP 10 A,B FROM VT_PROVEEDORES WHERE X = 1 ORDER BY A"));
    // No table rule, no condition: no WHERE.
    r = S::sentenciaMascara(
        mascara(QStringLiteral("V_TA_VENDEDORES"), QStringLiteral("|NOMBRE|IDVENDEDOR|")), 10,
        QString(), QStringLiteral(" "));
    EXPECT_EQ(
        *r.sentencia,
        QStringLiteral("SELECT TOP 10 NOMBRE,IDVENDEDOR FROM V_TA_VENDEDORES ORDER BY NOMBRE"));

    // One column: no search column of its own.
    EXPECT_FALSE(S::sentenciaMascara(mascara(QStringLiteral("T"), QStringLiteral("|X|")), 10,
                                     QString(), QString())
                     .sentencia);
    r = S::sentenciaMascara(mascara(QStringLiteral("T"), QStringLiteral("|X|")), 10,
                            QStringLiteral("X"), QString());
    EXPECT_EQ(*r.sentencia, QStringLiteral("SELECT TOP 10 X FROM T ORDER BY X"));
}

TEST(SentenciaConsulta, DefaultStatementFromTheFields) {
    auto d = S::sentenciaPorDefecto(QStringLiteral("T"),
                                    {QStringLiteral("ID"), QStringLiteral("CODIGO"),
                                     QStringLiteral("DESCRIPCION"), QStringLiteral("PRECIO"),
                                     QStringLiteral("fechahora_grabacion")},
                                    1000, QStringLiteral("PRECIO"));
    EXPECT_EQ(d.columnas, QStringLiteral("PRECIO,DESCRIPCION,CODIGO"));
    EXPECT_EQ(d.campoBusqueda, QStringLiteral("DESCRIPCION"));
    EXPECT_EQ(
        d.sentencia,
        QStringLiteral("SELECT TOP 1000 PRECIO,DESCRIPCION,CODIGO FROM T ORDER BY DESCRIPCION"));

    d = S::sentenciaPorDefecto(QStringLiteral("T"),
                               {QStringLiteral("NOMBRE"), QStringLiteral("CODIGO"),
                                QStringLiteral("Detalle"), QStringLiteral("X")},
                               5, QString());
    EXPECT_EQ(d.campoBusqueda, QStringLiteral("Detalle"));
    d = S::sentenciaPorDefecto(QStringLiteral("T"), {QStringLiteral("CODIGO"), QStringLiteral("X")},
                               5, QString());
    EXPECT_EQ(d.campoBusqueda, QStringLiteral("CODIGO"));

    d = S::sentenciaPorDefecto(QStringLiteral("T"),
                               {QStringLiteral("id"), QStringLiteral("FECHAHORA_MODIFICACION"),
                                QStringLiteral("FECHAHORA_GRABACION")},
                               1000, QStringLiteral("CAMPO"));
    EXPECT_EQ(d.sentencia, QStringLiteral("SELECT TOP 1000  *  FROM T ORDER BY CAMPO"));
    d = S::sentenciaPorDefecto(QStringLiteral("T"), {}, 1000, QString());
    EXPECT_EQ(d.sentencia, QStringLiteral("SELECT TOP 1000  *  FROM T ORDER BY "));
}

TEST(SentenciaConsulta, TableOfAStatement) {
    EXPECT_EQ(
        S::tablaDeSentencia(QStringLiteral(" SELECT TOP 5 A,B FROM VT_MA_ARTICULOS WHERE X = 1")),
        QStringLiteral("VT_MA_ARTICULOS"));
    EXPECT_EQ(S::tablaDeSentencia(QStringLiteral(" select * from Stk_ma_articulos")),
              QStringLiteral("Stk_ma_articulos"));
    EXPECT_EQ(S::tablaDeSentencia(QStringLiteral(" select a from  T")), QString());
}

TEST(SentenciaConsulta, ListNewSearch) {
    const QString base =
        QStringLiteral(" SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE "
                       "SUSPENDIDO = 0 ORDER BY DESCRIPCION");
    auto nb = S::nuevaBusquedaLista(base, base, QStringLiteral("DESCRIPCION"),
                                    QStringLiteral("ab*c"), false);
    EXPECT_EQ(
        nb.sql,
        QStringLiteral(
            " SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0 "
            " and DESCRIPCION like 'ab%c%' ORDER BY DESCRIPCION"));
    EXPECT_EQ(nb.clausulaOrden, QStringLiteral("ORDER BY DESCRIPCION"));
    EXPECT_EQ(nb.textoCaja, QStringLiteral("ab%c"));
    EXPECT_EQ(nb.sentenciaActual, nb.sql);

    nb = S::nuevaBusquedaLista(base, base, QStringLiteral("DESCRIPCION"), QStringLiteral("ab*c"),
                               true);
    EXPECT_TRUE(
        nb.sql.contains(QStringLiteral(" and DESCRIPCION like '%ab*c%' ORDER BY DESCRIPCION")));

    // Without WHERE or ORDER BY; later searches add " and ".
    const QString simple = QStringLiteral(" SELECT A,B FROM T");
    nb = S::nuevaBusquedaLista(simple, simple, QStringLiteral("A"), QStringLiteral("x"), false);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T where A like 'x%' "));
    nb = S::nuevaBusquedaLista(nb.sql, nb.sentenciaActual, QStringLiteral("B"), QStringLiteral("y"),
                               false);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T where A like 'x%'  and B like 'y%' "));

    // The view's prefix goes in front of the column.
    const QString prefijo = QStringLiteral(" SELECT v_ma_articulos.A FROM v_ma_articulos");
    nb = S::nuevaBusquedaLista(prefijo, prefijo, QStringLiteral("A"), QStringLiteral("x"), false);
    EXPECT_EQ(nb.sql, prefijo + QStringLiteral(" where v_ma_articulos.A like 'x%' "));

    // A quote typed by the operator stays inside the literal.
    nb = S::nuevaBusquedaLista(simple, simple, QStringLiteral("A"), QStringLiteral("O'Connor"),
                               true);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T where A like '%O''Connor%' "));
}

TEST(SentenciaConsulta, TreeNewSearch) {
    auto nb = S::nuevaBusquedaArbol(
        QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA"),
        QStringLiteral("cab"));
    EXPECT_EQ(
        nb.sql,
        QStringLiteral(
            "SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS  where Descripcion like '%cab%' "
            "ORDER BY IDFAMILIA"));
    nb = S::nuevaBusquedaArbol(QStringLiteral("SELECT A, B FROM T WHERE X = 1"),
                               QStringLiteral("it's"));
    EXPECT_EQ(nb.sql,
              QStringLiteral("SELECT A, B FROM T WHERE X = 1 and Descripcion like '%it''s%' "));
    EXPECT_TRUE(nb.clausulaOrden.isEmpty());
}

TEST(SentenciaConsulta, MissingStockInsertQuotesItsValues) {
    EXPECT_EQ(
        S::insertFaltante(QStringLiteral("01/02/2026 10:00:00"), QStringLiteral("A'1 "),
                          QStringLiteral(" Tornillo 1/4\" d'acero "), QStringLiteral("o'neil")),
        QStringLiteral("INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) "
                       "values('01/02/2026 10:00:00','A''1','Tornillo 1/4\" d''acero','o''neil')"));
    EXPECT_TRUE(S::insertFaltante(QString(), QString(50, u'X'), QString(), QString())
                    .contains(QStringLiteral("'") + QString(25, u'X') + QStringLiteral("'")));
}

} // namespace
