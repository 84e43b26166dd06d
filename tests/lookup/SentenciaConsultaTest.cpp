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
    const auto partes = S::partesDe(base, base);
    auto nb =
        S::nuevaBusquedaLista(partes, QStringLiteral("DESCRIPCION"), QStringLiteral("ab*c"), false);
    EXPECT_EQ(
        nb.sql,
        QStringLiteral(
            " SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0 "
            " and DESCRIPCION like 'ab%c%' ORDER BY DESCRIPCION"));
    EXPECT_EQ(nb.partes.orden, QStringLiteral("ORDER BY DESCRIPCION"));
    EXPECT_EQ(nb.partes.base + nb.partes.orden, nb.sql);
    EXPECT_EQ(nb.textoCaja, QStringLiteral("ab%c"));

    nb = S::nuevaBusquedaLista(partes, QStringLiteral("DESCRIPCION"), QStringLiteral("ab*c"), true);
    EXPECT_TRUE(
        nb.sql.contains(QStringLiteral(" and DESCRIPCION like '%ab*c%' ORDER BY DESCRIPCION")));

    // Without WHERE or ORDER BY; later searches add " and ".
    const QString simple = QStringLiteral(" SELECT A,B FROM T");
    nb = S::nuevaBusquedaLista(S::partesDe(simple, simple), QStringLiteral("A"),
                               QStringLiteral("x"), false);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T where A like 'x%' "));
    nb = S::nuevaBusquedaLista(nb.partes, QStringLiteral("B"), QStringLiteral("y"), false);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T where A like 'x%'  and B like 'y%' "));
    // A statement that mentions "order" without "order by" keeps the last load's as its base.
    EXPECT_EQ(S::partesDe(QStringLiteral(" SELECT ORDEN FROM T"), simple).base, simple);

    // The view's prefix goes in front of the column.
    const QString prefijo = QStringLiteral(" SELECT v_ma_articulos.A FROM v_ma_articulos");
    nb = S::nuevaBusquedaLista(S::partesDe(prefijo, prefijo), QStringLiteral("A"),
                               QStringLiteral("x"), false);
    EXPECT_EQ(nb.sql, prefijo + QStringLiteral(" where v_ma_articulos.A like 'x%' "));

    // A quote typed by the operator stays inside the literal.
    nb = S::nuevaBusquedaLista(S::partesDe(simple, simple), QStringLiteral("A"),
                               QStringLiteral("O'Connor"), true);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T where A like '%O''Connor%' "));
}

TEST(SentenciaConsulta, SearchedTextsNeverDecideTheStatementsShape) {
    // Texts that look like statement parts stay inside their quotes, search after search: the
    // next search keeps the base and the ORDER BY part it was given.
    const QString base = QStringLiteral(" SELECT A,B FROM T ORDER BY A");
    auto nb = S::nuevaBusquedaLista(S::partesDe(base, base), QStringLiteral("A"),
                                    QStringLiteral("x order by y"), false);
    nb =
        S::nuevaBusquedaLista(nb.partes, QStringLiteral("A"), QStringLiteral("OR 1=1 OR 5"), false);
    EXPECT_EQ(nb.sql, QStringLiteral(" SELECT A,B FROM T  where A like 'x order by y%'  and A like "
                                     "'OR 1=1 OR 5%' ORDER BY A"));
    nb = S::nuevaBusquedaLista(nb.partes, QStringLiteral("B"),
                               QStringLiteral("' UNION SELECT nombre FROM ta_usuarios --;"), true);
    EXPECT_TRUE(nb.sql.endsWith(
        QStringLiteral(" and B like '%'' UNION SELECT nombre FROM ta_usuarios --;%' ORDER BY A")));
    // "where" and the articles views' prefixes inside a searched text change nothing either.
    const QString citada = QStringLiteral(" SELECT A, 'where v_ma_articulos.' FROM T");
    nb = S::nuevaBusquedaLista(S::partesDe(citada, citada), QStringLiteral("A"),
                               QStringLiteral("x"), false);
    EXPECT_EQ(nb.sql, citada + QStringLiteral(" where A like 'x%' "));
    // The caller's own statement is split outside its quoted texts and names.
    const auto partes = S::partesDe(
        QStringLiteral(" SELECT [order by] FROM T WHERE C <> 'order by' ORDER BY 1"), QString());
    EXPECT_EQ(partes.orden, QStringLiteral("ORDER BY 1"));
    const auto arbol = S::nuevaBusquedaArbol(
        S::nuevaBusquedaArbol(S::partesDe(base, base), QStringLiteral("ORDER BY x")).partes,
        QStringLiteral("%' OR '1'='1"));
    EXPECT_EQ(arbol.sql, QStringLiteral(" SELECT A,B FROM T  where Descripcion like '%ORDER BY x%' "
                                        " and Descripcion like '%%'' OR ''1''=''1%' ORDER BY A"));
}

TEST(SentenciaConsulta, TreeNewSearch) {
    const QString familias =
        QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA");
    auto nb = S::nuevaBusquedaArbol(S::partesDe(familias, familias), QStringLiteral("cab"));
    EXPECT_EQ(
        nb.sql,
        QStringLiteral(
            "SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS  where Descripcion like '%cab%' "
            "ORDER BY IDFAMILIA"));
    const QString filtrada = QStringLiteral("SELECT A, B FROM T WHERE X = 1");
    nb = S::nuevaBusquedaArbol(S::partesDe(filtrada, filtrada), QStringLiteral("it's"));
    EXPECT_EQ(nb.sql,
              QStringLiteral("SELECT A, B FROM T WHERE X = 1 and Descripcion like '%it''s%' "));
    EXPECT_TRUE(nb.partes.orden.isEmpty());
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
