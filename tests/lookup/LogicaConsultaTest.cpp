#include "lookup/ArbolCodigos.h"
#include "lookup/BusquedaIncremental.h"
#include "lookup/CeldaCantidad.h"
#include "lookup/DisposicionLista.h"
#include "lookup/NivelStock.h"
#include "shared/Procedure.h"
#include "support/ScriptedPrompts.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

Currency cur(double v) {
    return Currency::fromDouble(v);
}

TEST(NivelStock, LevelsAndColours) {
    EXPECT_EQ(NivelStock::nivel(cur(10), cur(10)), 4);
    EXPECT_EQ(NivelStock::nivel(cur(10), cur(3)), 3);
    EXPECT_EQ(NivelStock::nivel(cur(0), cur(0)), 4);
    EXPECT_EQ(NivelStock::nivel(cur(0), cur(5)), 1);
    EXPECT_EQ(NivelStock::nivel(cur(10), cur(25)), 2);
    EXPECT_EQ(NivelStock::nivel(cur(0), cur(-2)), 4);
    EXPECT_EQ(NivelStock::nivel(cur(-1), cur(5)), 4);
    const Variant a(1), b(2), c(3), d(4);
    EXPECT_EQ(NivelStock::color(3, a, b, c, d), c);
    EXPECT_EQ(NivelStock::aQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(NivelStock::aQColor(0xFFFF00), QColor(0, 255, 255));
    EXPECT_EQ(NivelStock::aQColor(0x102030), QColor(0x30, 0x20, 0x10));
}

TEST(CeldaCantidad, ReadsEitherSeparatorAndWritesTheLocale) {
    const QLocale previo;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(CeldaCantidad::sumarUno(QStringLiteral("2.0")), QStringLiteral("3.0"));
    EXPECT_EQ(CeldaCantidad::sumarUno(QString()), QStringLiteral("1.0"));
    EXPECT_EQ(CeldaCantidad::restarUno(QStringLiteral("1.0")), QStringLiteral("0.00"));
    EXPECT_EQ(CeldaCantidad::restarUno(QStringLiteral("3.5")), QStringLiteral("2.5"));
    EXPECT_EQ(CeldaCantidad::dosDecimales(1234567.5), QStringLiteral("1234567.50"));
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    // A cell written under a comma locale keeps its fraction when read back.
    EXPECT_EQ(CeldaCantidad::sumarUno(QStringLiteral("2,50")), QStringLiteral("3,5"));
    EXPECT_EQ(CeldaCantidad::sumarUno(QStringLiteral("2.5")), QStringLiteral("3,5"));
    EXPECT_TRUE(CeldaCantidad::agotada(QStringLiteral("0.00")));
    EXPECT_FALSE(CeldaCantidad::agotada(QStringLiteral("0,5")));
    QLocale::setDefault(previo);
}

TEST(BusquedaIncremental, ListAndTree) {
    const QStringList celdas{QStringLiteral(" Arandela "), QStringLiteral("tornillo"),
                             QStringLiteral("Tuerca")};
    EXPECT_EQ(BusquedaIncremental::enLista(celdas, QStringLiteral("t")), 1);
    EXPECT_EQ(BusquedaIncremental::enLista(celdas, QStringLiteral(" TU")), 2);
    EXPECT_EQ(BusquedaIncremental::enLista(celdas, QStringLiteral("ar")), 0);
    EXPECT_EQ(BusquedaIncremental::enLista(celdas, QString()), 0);
    EXPECT_EQ(BusquedaIncremental::enLista(celdas, QStringLiteral("zz")), -1);

    const QStringList textos{QStringLiteral("Consulta..."), QStringLiteral("01 - Bulonería"),
                             QStringLiteral("0101 - Tornillos"),
                             QStringLiteral("02 - Herramientas - mano")};
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QString()), 0);
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QStringLiteral("01")), 1);
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QStringLiteral("0101")), 2);
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QStringLiteral("torn")), 2);
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QStringLiteral("herramientas - m")), 3);
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QStringLiteral("cons")), 0);
    EXPECT_EQ(BusquedaIncremental::enArbol(textos, QStringLiteral("x")), -1);
}

TEST(DisposicionLista, WidthsAndResizeRules) {
    auto a = DisposicionLista::calcularAncho({{15, 2880}, {2895, 1440.4}, {4335, 960}}, 20000);
    ASSERT_EQ(a.cajas.size(), 3);
    EXPECT_DOUBLE_EQ(a.cajas[1].izquierda, 2895);
    EXPECT_DOUBLE_EQ(a.cajas[1].ancho, 1390.4);
    EXPECT_DOUBLE_EQ(a.total, 5280.4);
    EXPECT_DOUBLE_EQ(a.lista, 5640.4);
    EXPECT_DOUBLE_EQ(a.franja, 5640);
    EXPECT_DOUBLE_EQ(a.barra, 5280.4);
    EXPECT_EQ(a.maximoBarra, 3672); // (5640 + 480) * 0.6
    EXPECT_DOUBLE_EQ(a.ventana, 5920.4);
    // Wider than the screen: the window takes the screen less 480.
    a = DisposicionLista::calcularAncho({{0, 19500}}, 20000);
    EXPECT_DOUBLE_EQ(a.ventana, 19520);
    a = DisposicionLista::calcularAncho({{0, 40000}}, 20000);
    EXPECT_EQ(a.maximoBarra, 32700);
    EXPECT_DOUBLE_EQ(a.ventana, 19520);

    const auto m = DisposicionLista::alRedimensionar(6600, 9000, 735, 4815, 255);
    EXPECT_DOUBLE_EQ(m.altoFranja, 5385);
    EXPECT_DOUBLE_EQ(m.altoLista, 4050);
    EXPECT_DOUBLE_EQ(m.anchoFranja, 8880);
    EXPECT_DOUBLE_EQ(m.anchoLista, 8860);
    EXPECT_DOUBLE_EQ(m.arribaMarco, 5445);
    EXPECT_DOUBLE_EQ(m.arribaBarra, 5010);
    EXPECT_DOUBLE_EQ(m.anchoBarra, 8880);
    EXPECT_DOUBLE_EQ(m.izquierdaMarco, 2092.5);
}

// Rows as GetRows gives them: field 0 codes, field 1 descriptions.
std::vector<std::vector<Variant>> filas(const QStringList& codigos) {
    std::vector<std::vector<Variant>> v(2);
    for (const QString& c : codigos) {
        v[0].push_back(c);
        v[1].push_back(QStringLiteral("d") + c);
    }
    return v;
}

// The tree as text: every node's key, children in brackets.
QString forma(const ArbolCodigos& a, const QList<int>& nodos) {
    QStringList partes;
    for (int n : nodos) {
        QString t = a.nodos()[n].clave;
        if (!a.nodos()[n].hijos.isEmpty()) t += u'[' + forma(a, a.nodos()[n].hijos) + u']';
        partes.append(t);
    }
    return partes.join(u' ');
}

TEST(ArbolCodigos, ShapeFollowsTheCodeLengths) {
    Procedure p(Handler::propagate());
    ArbolCodigos a;
    a.construir(filas({QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("0102"),
                       QStringLiteral("02"), QStringLiteral("0201")}),
                p);
    EXPECT_EQ(forma(a, a.raices()), QStringLiteral("A[A01[A0101 A0102] A02[A0201]]"));
    EXPECT_EQ(a.nodos()[1].texto, QStringLiteral("01 - d01"));
    EXPECT_EQ(a.codigo(2), QStringLiteral("0101"));
    EXPECT_EQ(a.codigo(0), QString());

    ArbolCodigos b;
    b.construir(filas({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("2")}), p);
    EXPECT_EQ(forma(b, b.raices()), QStringLiteral("A[A1[A10] A2]"));

    // A jump of two levels up, and an empty code beside the root.
    ArbolCodigos c;
    c.construir(filas({QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("010101"),
                       QStringLiteral("02"), QString(), QStringLiteral("03")}),
                p);
    EXPECT_EQ(forma(c, c.raices()), QStringLiteral("A[A01[A0101[A010101]] A02] A[A03]"));

    ArbolCodigos vacio;
    vacio.construir({}, p);
    EXPECT_EQ(forma(vacio, vacio.raices()), QStringLiteral("A"));
}

TEST(ArbolCodigos, DuplicateCodeIsReportedAndSkippedOnGoingOn) {
    ScriptedPrompts operador;
    operador.reportError(Prompt::Ignore);
    Procedure p(Handler::report(QStringLiteral("ArmarTreeVAutomatico")));
    ArbolCodigos a;
    a.construir(filas({QStringLiteral("01"), QStringLiteral("0101"), QStringLiteral("0101"),
                       QStringLiteral("0102")}),
                p);
    EXPECT_EQ(forma(a, a.raices()), QStringLiteral("A[A01[A0101 A0102]]"));
    const auto reportes = operador.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(reportes.size(), 1u);
    EXPECT_EQ(reportes[0].title, QStringLiteral("ArmarTreeVAutomatico"));
    EXPECT_EQ(reportes[0].number, ArbolCodigos::ClaveRepetida);

    // Abort leaves the tree as far as it got.
    ScriptedPrompts otro;
    otro.reportError(Prompt::Abort);
    Procedure q(Handler::report(QStringLiteral("ArmarTreeVAutomatico")));
    ArbolCodigos b;
    b.construir(filas({QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2")}), q);
    EXPECT_EQ(forma(b, b.raices()), QStringLiteral("A[A1]"));
}

TEST(ArbolCodigos, DescendantsDownToThreeLevels) {
    Procedure p(Handler::propagate());
    ArbolCodigos a;
    a.construir(filas({QStringLiteral("1"), QStringLiteral("11"), QStringLiteral("111"),
                       QStringLiteral("1111"), QStringLiteral("11111"), QStringLiteral("2")}),
                p);
    QStringList claves;
    for (int n : a.descendientes(1, 3))
        claves.append(a.nodos()[n].clave);
    EXPECT_EQ(claves, (QStringList{QStringLiteral("A11"), QStringLiteral("A111"),
                                   QStringLiteral("A1111")}));
    EXPECT_EQ(a.descendientes(0, 3).size(), 4); // 1, 11, 111 and 2
}

} // namespace
