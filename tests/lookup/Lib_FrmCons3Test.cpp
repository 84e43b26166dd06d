#include "lookup/Lib_FrmCons3.h"
#include "DemoLookup.h"
#include "lookup/CeldaCantidad.h"
#include "lookup/ColumnWidthsFile.h"
#include "shared/TextFile.h"
#include "shared/Twips.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

namespace {

class ListaLookup : public DemoLookup {
protected:
    std::unique_ptr<Lib_FrmCons3> ventana(const QString& sql) {
        auto f = std::make_unique<Lib_FrmCons3>(db(), lector(), carpeta());
        f->SQL = sql;
        return f;
    }
    // Shows the window through the prompts, as the lookup does, and lets `operar` work it.
    static void mostrar(ScriptedPrompts& op, Lib_FrmCons3& f,
                        std::function<void(Lib_FrmCons3&)> operar) {
        op.dialog([&f, operar](QDialog&) { operar(f); });
        prompts().execDialog(f);
    }
    static QStringList columna(const Lib_FrmCons3& f, int c) {
        QStringList out;
        for (int i = 0; i < f.ListView1()->topLevelItemCount(); ++i)
            out.append(f.ListView1()->topLevelItem(i)->text(c));
        return out;
    }
    static QStringList encabezados(const Lib_FrmCons3& f) {
        QStringList out;
        for (int i = 0; i < f.ListView1()->columnCount(); ++i)
            out.append(f.ListView1()->headerItem()->text(i));
        return out;
    }
    static QTreeWidgetItem* fila(const Lib_FrmCons3& f, const QString& texto) {
        const auto encontradas = f.ListView1()->findItems(texto, Qt::MatchExactly, 0);
        return encontradas.value(0);
    }
};

const QString articulosPorId = QStringLiteral("SELECT IDARTICULO, DESCRIPCION, PUNTOPEDIDO, Stock, "
                                              "PRECIO1, PRECIO2 FROM %1 ORDER BY IDARTICULO");

TEST_F(ListaLookup, LoadsHeadersRowsAndStockColours) {
    ScriptedPrompts op;
    auto f = ventana(articulosPorId.arg(QStringLiteral("V_MA_ARTICULOS")));
    f->MuestraStock = QStringLiteral("si");
    f->StkNivel1 = QStringLiteral("32768");
    f->StkNivel2 = QStringLiteral("16711680");
    f->StkNivel3 = QStringLiteral("255");
    f->StkNivel4 = Variant(0);
    op.dialog([&](QDialog&) {
        EXPECT_EQ(f->windowTitle(), QStringLiteral("Consulta..."));
        EXPECT_EQ(encabezados(*f),
                  (QStringList{QStringLiteral("IDARTICULO"), QStringLiteral("DESCRIPCION"),
                               QStringLiteral("PUNTOPEDIDO"), QStringLiteral("Stock"),
                               QStringLiteral("Lista"), QStringLiteral("Mayorista")}));
        EXPECT_EQ(f->ListView1()->topLevelItemCount(), 10);
        EXPECT_TRUE(f->ModoArticulos());
        EXPECT_EQ(f->TablaConsulta(), QStringLiteral("V_MA_ARTICULOS"));
        EXPECT_EQ(f->SentenciaOriginal(),
                  u' ' + articulosPorId.arg(QStringLiteral("V_MA_ARTICULOS")));
        EXPECT_EQ(f->CmbSearchCount(), 6);
        EXPECT_EQ(f->campoDeCaja(3), QStringLiteral("Stock"));
        EXPECT_EQ(f->CmbSearch(2)->toolTip(), QStringLiteral("F5 realiza nueva busqueda"));
        // One search box per column, over its column.
        const QHeaderView* h = f->ListView1()->header();
        for (int i = 0; i < 6; ++i) {
            EXPECT_NEAR(f->CmbSearch(i)->width(), h->sectionSize(i) - Twips::toPixels(50), 1) << i;
        }
        EXPECT_LT(f->CmbSearch(0)->x(), f->CmbSearch(1)->x());

        const auto colorDe = [&](const QString& id) { return fila(*f, id)->foreground(1).color(); };
        EXPECT_EQ(colorDe(QStringLiteral("A001")), QColor(0, 128, 0)); // P 0, S 150: level 1
        EXPECT_EQ(colorDe(QStringLiteral("A002")), QColor(0, 0, 255)); // P 10, S 25: level 2
        EXPECT_EQ(colorDe(QStringLiteral("A003")), QColor(255, 0, 0)); // P 10, S 3: level 3
        EXPECT_EQ(colorDe(QStringLiteral("A004")), QColor(0, 0, 0));   // P 0, S 0: level 4
        EXPECT_EQ(colorDe(QStringLiteral("A005")), QColor(0, 0, 0));   // P 10, S 10: level 4
        EXPECT_TRUE(fila(*f, QStringLiteral("A004"))->font(0).bold());
        EXPECT_TRUE(fila(*f, QStringLiteral("A003"))->font(5).bold());
        // A Null stock (no stock row) is 0: P 5, S 0 is level 3, and the list goes on.
        EXPECT_EQ(colorDe(QStringLiteral("A006")), QColor(255, 0, 0));
        EXPECT_EQ(fila(*f, QStringLiteral("A006"))->text(3), QString());
        EXPECT_NE(fila(*f, QStringLiteral("A010")), nullptr);
    });
    prompts().execDialog(*f);
    EXPECT_TRUE(op.recordsOf(ScriptedPrompts::Kind::ReportError).empty());
    f->Cerrar();
    EXPECT_EQ(f->ListView1()->topLevelItemCount(), 0);
}

TEST_F(ListaLookup, FieldNamesAsHeadersWithoutStockColumns) {
    ScriptedPrompts op;
    // The mask statement's view keeps the field names; without stock columns nothing is coloured.
    auto f = ventana(
        QStringLiteral("SELECT IDARTICULO, DESCRIPCION, PRECIO1, PRECIO8 FROM VT_MA_ARTICULOS"));
    f->MuestraStock = QStringLiteral("SI");
    f->OrdenarPorLwv = true;
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        EXPECT_EQ(encabezados(v),
                  (QStringList{QStringLiteral("IDARTICULO"), QStringLiteral("DESCRIPCION"),
                               QStringLiteral("PRECIO1"), QStringLiteral("PRECIO8")}));
        EXPECT_FALSE(v.ListView1()->topLevelItem(0)->font(0).bold());
        const QFontMetrics m(v.font());
        EXPECT_EQ(v.ListView1()->columnWidth(1), m.horizontalAdvance(QString(60, u'X')));
        EXPECT_EQ(v.ListView1()->columnWidth(0), m.horizontalAdvance(QString(25, u'X')));
        EXPECT_EQ(v.ListView1()->topLevelItem(0)->text(0), QStringLiteral("A001"));
        EXPECT_EQ(v.ListView1()->topLevelItem(9)->text(0), QStringLiteral("A010"));
        // The first row starts selected.
        EXPECT_EQ(v.ListView1()->currentItem(), v.ListView1()->topLevelItem(0));
        // The window is as wide as the list and its margin; the scroll bar moves the strip.
        EXPECT_NEAR(v.width(), v.ListView1()->width() + Twips::toPixels(140), 2);
        EXPECT_GT(v.HScroll1()->maximum(), 0);
        v.HScroll1()->setValue(300);
        EXPECT_EQ(v.picFields()->x(), -Twips::toPixels(300));
    });
    EXPECT_TRUE(op.records().size() == 1);
}

TEST_F(ListaLookup, CheckBoxesDefaultChecksAndAcceptCheckedRows) {
    ScriptedPrompts op;
    auto f = ventana(
        QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM VT_MA_ARTICULOS ORDER BY IDARTICULO"));
    f->CheckBoxes = true;
    f->CampoDevuelto = QStringLiteral("idarticulo");
    f->ValoresDefault = QStringLiteral("a002;A005");
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        QStringList marcadas;
        for (int i = 0; i < v.ListView1()->topLevelItemCount(); ++i) {
            if (v.ListView1()->topLevelItem(i)->checkState(0) == Qt::Checked)
                marcadas.append(v.ListView1()->topLevelItem(i)->text(0));
        }
        EXPECT_EQ(marcadas, (QStringList{QStringLiteral("A002"), QStringLiteral("A005")}));
        // Space toggles the current row's check box.
        v.ListView1()->setCurrentItem(fila(v, QStringLiteral("A009")));
        QTest::keyClick(v.ListView1(), Qt::Key_Space);
        EXPECT_EQ(fila(v, QStringLiteral("A009"))->checkState(0), Qt::Checked);
        QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton);
    });
    EXPECT_EQ(f->result(), QDialog::Accepted);
    ASSERT_TRUE(f->Valores);
    ASSERT_EQ(f->Valores->Count(), 3);
    EXPECT_EQ(f->Valores->Item(1).toString(), QStringLiteral("A002"));
    EXPECT_EQ(f->Valores->Item(3).toString(), QStringLiteral("A009"));
    EXPECT_TRUE(f->ValorDevuelto.isEmpty());
    EXPECT_EQ(f->Cantidades->Count(), 0);

    // An empty returned value occurs in any default text; with no defaults nothing is checked.
    auto g = ventana(QStringLiteral("SELECT DESCRIPCION, '' AS VACIO FROM VT_MA_ARTICULOS"));
    g->CheckBoxes = true;
    g->CampoDevuelto = QStringLiteral("VACIO");
    g->ValoresDefault = QStringLiteral("x");
    mostrar(op, *g, [&](Lib_FrmCons3& v) {
        EXPECT_EQ(v.ListView1()->topLevelItem(3)->checkState(0), Qt::Checked);
        v.ValoresDefault.clear();
        QTest::mouseClick(v.CmdNueva(), Qt::LeftButton);
        EXPECT_EQ(v.ListView1()->topLevelItem(3)->checkState(0), Qt::Unchecked);
        // With CampoDevuelto empty the first column is returned, and CampoDevuelto says which.
        v.CampoDevuelto.clear();
        v.ListView1()->topLevelItem(1)->setCheckState(0, Qt::Checked);
        QTest::keyClick(v.ListView1(), Qt::Key_Return);
    });
    EXPECT_EQ(g->CampoDevuelto, QStringLiteral("DESCRIPCION"));
    ASSERT_EQ(g->Valores->Count(), 1);
    EXPECT_EQ(g->Valores->Item(1).toString(), QStringLiteral("Tuerca mariposa"));
}

TEST_F(ListaLookup, SingleSelectionAcceptAndCancel) {
    ScriptedPrompts op;
    const QString sql =
        QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM VT_MA_ARTICULOS ORDER BY IDARTICULO");
    auto f = ventana(sql);
    f->CmpsDevueltos = newCollection();
    f->CmpsDevueltos->Add(QStringLiteral("Descripcion"));
    f->CmpsDevueltos->Add(QStringLiteral(" IDARTICULO "));
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        QTreeWidgetItem* a003 = fila(v, QStringLiteral("A003"));
        // The view takes a double click for a click unless the row was pressed first.
        QTest::mouseClick(v.ListView1()->viewport(), Qt::LeftButton, {},
                          v.ListView1()->visualItemRect(a003).center());
        QTest::mouseDClick(v.ListView1()->viewport(), Qt::LeftButton, {},
                           v.ListView1()->visualItemRect(a003).center());
    });
    ASSERT_EQ(f->Valores->Count(), 2);
    EXPECT_EQ(f->Valores->Item(1).toString(), QStringLiteral("Arandela plana"));
    EXPECT_EQ(f->ValorDevuelto.toString(), QStringLiteral("A003"));

    auto g = ventana(sql);
    g->CampoDevuelto = QStringLiteral("DESCRIPCION");
    g->FiltroInicial = QStringLiteral("a00");
    mostrar(op, *g, [&](Lib_FrmCons3& v) {
        EXPECT_EQ(v.CmbSearch(0)->currentText(), QStringLiteral("a00"));
        QTest::keyClick(v.CmbSearch(0), Qt::Key_End);
        QTest::keyClick(v.CmbSearch(0), Qt::Key_8);
        QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton);
    });
    EXPECT_EQ(g->ValorDevuelto.toString(), QStringLiteral("Nivel de burbuja"));
    EXPECT_EQ(g->Valores->Count(), 0);

    auto c = ventana(sql);
    c->CmpsDevueltos = newCollection();
    mostrar(op, *c, [&](Lib_FrmCons3& v) { QTest::mouseClick(v.CmdCancelar(), Qt::LeftButton); });
    EXPECT_EQ(c->result(), QDialog::Rejected);
    EXPECT_FALSE(c->Valores);
    EXPECT_FALSE(c->CmpsDevueltos);
    EXPECT_EQ(c->ValorDevuelto, Variant(QString()));
    EXPECT_EQ(c->Cantidades->Count(), 0);

    // An empty result: accepting returns nothing.
    auto e = ventana(QStringLiteral("SELECT IDARTICULO FROM VT_MA_ARTICULOS WHERE 1 = 0"));
    e->CampoDevuelto = QStringLiteral("IDARTICULO");
    mostrar(op, *e, [&](Lib_FrmCons3& v) { QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton); });
    EXPECT_EQ(e->Valores->Count(), 0);
    EXPECT_TRUE(e->ValorDevuelto.isEmpty());
}

TEST_F(ListaLookup, SearchBoxesFocusTypingAndKeys) {
    ScriptedPrompts op;
    auto f = ventana(
        QStringLiteral("SELECT IDARTICULO, DESCRIPCION FROM VT_MA_ARTICULOS ORDER BY IDARTICULO"));
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        enfocar(v.CmbSearch(1));
        EXPECT_EQ(v.BusquedaActual(), 1);
        EXPECT_EQ(v.CmbSearch(1)->lineEdit()->palette().color(QPalette::Base), QColor(0, 255, 255));
        // Down goes to the list and leaves the selection where it was.
        QTreeWidgetItem* antes = v.ListView1()->currentItem();
        QTest::keyClick(v.CmbSearch(1), Qt::Key_Down);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), v.ListView1());
        EXPECT_EQ(v.ListView1()->currentItem(), antes);
        EXPECT_EQ(v.CmbSearch(1)->lineEdit()->palette().color(QPalette::Base),
                  QColor(255, 255, 255));
        // Letters typed in the list go to the last search box, which searches.
        QTest::keyClick(v.ListView1(), Qt::Key_A);
        EXPECT_EQ(v.CmbSearch(1)->currentText(), QStringLiteral("A"));
        EXPECT_EQ(v.ListView1()->currentItem()->text(0), QStringLiteral("A003"));
        QTest::keyClick(v.ListView1(), Qt::Key_Space);
        QTest::keyClick(v.ListView1(), Qt::Key_P);
        EXPECT_EQ(v.CmbSearch(1)->currentText(), QStringLiteral("A P"));
        QTest::keyClick(v.ListView1(), Qt::Key_Backspace);
        EXPECT_EQ(v.CmbSearch(1)->currentText(), QStringLiteral("A "));
        // No match keeps the selection.
        v.CmbSearch(1)->setEditText(QStringLiteral("zzz"));
        EXPECT_EQ(v.ListView1()->currentItem()->text(0), QStringLiteral("A003"));
        v.CmbSearch(1)->setEditText(QStringLiteral("  martillo "));
        EXPECT_EQ(v.ListView1()->currentItem()->text(0), QStringLiteral("A006"));
        // Enter in a search box does not accept the window.
        QTest::keyClick(v.CmbSearch(1), Qt::Key_Return);
        EXPECT_TRUE(v.isVisible());
    });
}

TEST_F(ListaLookup, NewSearchNarrowsAndNuevaBusquedaReturns) {
    ScriptedPrompts op;
    const QString sql = QStringLiteral("SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM "
                                       "VT_MA_ARTICULOS WHERE SUSPENDIDO = 0 ORDER BY DESCRIPCION");
    auto f = ventana(sql);
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        EXPECT_EQ(v.ListView1()->topLevelItemCount(), 9);
        v.CmbSearch(0)->setEditText(QStringLiteral("ab*c"));
        op.message(Prompt::Ok); // nothing found
        QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
        const QString buscada =
            u' ' + sql.left(sql.indexOf(QStringLiteral("ORDER BY"))) +
            QStringLiteral(" and DESCRIPCION like 'ab%c%' ORDER BY DESCRIPCION");
        EXPECT_EQ(v.SentenciaActual(), u' ' + buscada);
        EXPECT_EQ(v.SQL, u' ' + buscada);
        EXPECT_EQ(v.ClausulaOrden(), QStringLiteral("ORDER BY DESCRIPCION"));
        // The box shows what was searched, its wildcard as the statement took it.
        EXPECT_EQ(v.CmbSearch(0)->currentText(), QStringLiteral("ab%c"));
        EXPECT_EQ(v.ListView1()->topLevelItemCount(), 0);
        const auto told = op.recordsOf(ScriptedPrompts::Kind::Message);
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(
            told[0].text,
            QStringLiteral("La búsqueda de \"ab%c\" en DESCRIPCION no encontró ninguna fila."));

        QTest::mouseClick(v.CmdNueva(), Qt::LeftButton);
        EXPECT_EQ(v.ListView1()->topLevelItemCount(), 9);
        v.CmbSearch(0)->setEditText(QStringLiteral("t*o"));
        QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
        EXPECT_EQ(columna(v, 0), (QStringList{QStringLiteral("Tornillo hexagonal 1/4\""),
                                              QStringLiteral("Tuerca mariposa")}));
        EXPECT_EQ(v.CmbSearch(0)->currentText(), QStringLiteral("t%o"));
        EXPECT_EQ(op.recordsOf(ScriptedPrompts::Kind::Message).size(), 1u) << "rows were found";
        // A quote typed into the box is searched for, not taken as the end of the text.
        v.CfgUsaConsultaLIKE = true;
        v.CmbSearch(0)->setEditText(QStringLiteral("d'a"));
        op.message(Prompt::Ok);
        QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
        EXPECT_TRUE(
            v.SQL.endsWith(QStringLiteral(" and DESCRIPCION like '%d''a%' ORDER BY DESCRIPCION")));
        EXPECT_EQ(v.ListView1()->topLevelItemCount(), 0);
    });
}

TEST_F(ListaLookup, SearchTextsStayInsideTheirQuotesSearchAfterSearch) {
    ScriptedPrompts op;
    auto f = ventana(
        QStringLiteral("SELECT DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS ORDER BY DESCRIPCION"));
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        // Each of the three searches below finds nothing and says so.
        op.message(Prompt::Ok).message(Prompt::Ok).message(Prompt::Ok);
        const auto buscar = [&](const QString& texto) {
            v.CmbSearch(0)->setEditText(texto);
            QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
            return v.ListView1()->topLevelItemCount();
        };
        // A text holding "order by" must not become the place where the next search splits.
        EXPECT_EQ(buscar(QStringLiteral("t order by")), 0);
        EXPECT_EQ(buscar(QStringLiteral("OR 1=1 OR 5")), 0);
        EXPECT_EQ(buscar(QStringLiteral("x' UNION SELECT nombre, nombre FROM ta_usuarios --")), 0);
        EXPECT_TRUE(v.SQL.endsWith(QStringLiteral(
            " and DESCRIPCION like 'x'' UNION SELECT nombre, nombre FROM ta_usuarios --%' "
            "ORDER BY DESCRIPCION")))
            << v.SQL.toStdString();
        QTest::mouseClick(v.CmdNueva(), Qt::LeftButton);
        EXPECT_EQ(buscar(QStringLiteral("t*o")), 2);
        EXPECT_EQ(v.ClausulaOrden(), QStringLiteral("ORDER BY DESCRIPCION"));
    });
    // Every statement was one the database accepted: no error was reported.
    EXPECT_TRUE(op.recordsOf(ScriptedPrompts::Kind::ReportError).empty());
}

TEST_F(ListaLookup, HeaderClicksSortFlippingTheOrder) {
    ScriptedPrompts op;
    auto f = ventana(QStringLiteral(
        "SELECT IDARTICULO, DESCRIPCION FROM VT_MA_ARTICULOS WHERE IDARTICULO < 'A004'"));
    f->OrdenarPorLwv = true;
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        const QHeaderView* h = v.ListView1()->header();
        const auto clic = [&](int c) {
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                              QPoint(h->sectionViewportPosition(c) + 5, h->height() / 2));
        };
        EXPECT_EQ(columna(v, 0), (QStringList{QStringLiteral("A001"), QStringLiteral("A002"),
                                              QStringLiteral("A003")}));
        clic(0);
        EXPECT_EQ(columna(v, 0), (QStringList{QStringLiteral("A003"), QStringLiteral("A002"),
                                              QStringLiteral("A001")}));
        clic(1);
        EXPECT_EQ(columna(v, 1), (QStringList{QStringLiteral("Arandela plana"),
                                              QStringLiteral("Tornillo hexagonal 1/4\""),
                                              QStringLiteral("Tuerca mariposa")}));
        clic(1);
        EXPECT_EQ(columna(v, 1).first(), QStringLiteral("Tuerca mariposa"));
    });
}

TEST_F(ListaLookup, QuantityKeys) {
    ScriptedPrompts op;
    auto f = ventana(QStringLiteral("SELECT IDARTICULO, DESCRIPCION, '2.0' AS [**Cantidad**] FROM "
                                    "VT_MA_ARTICULOS ORDER BY IDARTICULO"));
    f->CheckBoxes = true;
    f->UsaCantidades = true;
    op.dialog([&](QDialog&) {
        Lib_FrmCons3& v = *f;
        QTreeWidgetItem* r = v.ListView1()->topLevelItem(0);
        v.ListView1()->setCurrentItem(r);
        QTest::keyClick(v.ListView1(), Qt::Key_Insert);
        EXPECT_EQ(r->text(2), QStringLiteral("3.0"));
        EXPECT_EQ(r->checkState(0), Qt::Checked);
        QTest::keyClick(v.ListView1(), Qt::Key_Delete);
        QTest::keyClick(v.ListView1(), Qt::Key_Delete);
        EXPECT_EQ(r->text(2), QStringLiteral("1.0"));
        EXPECT_EQ(r->checkState(0), Qt::Checked);
        QTest::keyClick(v.ListView1(), Qt::Key_Delete);
        EXPECT_EQ(r->text(2), QStringLiteral("0.00"));
        EXPECT_EQ(r->checkState(0), Qt::Unchecked);
        QTest::keyClick(v.ListView1(), Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(r->text(2), QStringLiteral("7.50"));
        EXPECT_EQ(r->checkState(0), Qt::Checked);
        QTest::keyClick(v.ListView1(), Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(CeldaCantidad::valor(r->text(2)), 0.0);
        QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton);
    });
    op.input(QStringLiteral("7.5")).input(QString());
    prompts().execDialog(*f);
    const auto preguntas = op.recordsOf(ScriptedPrompts::Kind::Input);
    ASSERT_EQ(preguntas.size(), 2u);
    EXPECT_EQ(preguntas[0].text, QStringLiteral("Ingrese la Cantidad del Articulo..."));
    EXPECT_EQ(preguntas[0].title, QStringLiteral("Carga de Datos"));
    EXPECT_EQ(f->Cantidades->Count(), 0);

    // Without a quantity column the keys fail, and say so.
    auto g = ventana(QStringLiteral("SELECT IDARTICULO FROM VT_MA_ARTICULOS"));
    g->UsaCantidades = true;
    op.dialog([&](QDialog&) {
          QTest::keyClick(g->ListView1(), Qt::Key_Insert);
      }).reportError(Prompt::Abort);
    prompts().execDialog(*g);
    const auto reportes = op.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(reportes.size(), 1u);
    EXPECT_EQ(reportes[0].title, QStringLiteral("ListView1_KeyDown"));
}

TEST_F(ListaLookup, F12ReportsAMissingArticle) {
    ScriptedPrompts op;
    const auto faltantes = [&] {
        return base().scalar(QStringLiteral("SELECT COUNT(*) FROM V_MV_FALTANTES"));
    };
    auto f = ventana(QStringLiteral(
        "SELECT IDARTICULO, DESCRIPCION || ' d''acero' AS Descripcion FROM VT_MA_ARTICULOS "
        "ORDER BY IDARTICULO"));
    db().gUsuario = QStringLiteral("o'neil");
    op.dialog([&](QDialog&) {
        Lib_FrmCons3& v = *f;
        v.ListView1()->setCurrentItem(fila(v, QStringLiteral("A002")));
        QTest::keyClick(v.ListView1(), Qt::Key_F12);
        EXPECT_EQ(faltantes(), QStringLiteral("1"));
        // Any control: the window sees the key first.
        QTest::keyClick(v.CmbSearch(0), Qt::Key_F12);
        EXPECT_EQ(faltantes(), QStringLiteral("1"));
    });
    op.message(Prompt::Yes).message(Prompt::No);
    prompts().execDialog(*f);
    const auto mensajes = op.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(mensajes.size(), 2u);
    EXPECT_EQ(mensajes[0].text,
              QStringLiteral("Desea informar el articulo A002 Tuerca mariposa d'acero\n"
                             "como un faltante de stock?"));
    EXPECT_EQ(mensajes[0].title, QStringLiteral("Atención!"));
    EXPECT_EQ(mensajes[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(mensajes[0].icon, Prompt::Icon::Question);
    EXPECT_EQ(base().scalar(QStringLiteral(
                  "SELECT IdArticulo || '|' || Descripcion || '|' || Usuario FROM V_MV_FALTANTES")),
              QStringLiteral("A002|Tuerca mariposa d'acero|o'neil"));
    EXPECT_FALSE(base().scalar(QStringLiteral("SELECT FechaHora FROM V_MV_FALTANTES")).isEmpty());

    // Outside the articles F12 does nothing.
    auto g = ventana(QStringLiteral("SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES"));
    mostrar(op, *g, [&](Lib_FrmCons3& v) { QTest::keyClick(v.ListView1(), Qt::Key_F12); });
    EXPECT_EQ(op.recordsOf(ScriptedPrompts::Kind::Message).size(), 2u);
}

TEST_F(ListaLookup, StoredColumnWidths) {
    ScriptedPrompts op;
    const ColumnWidthsFile archivo(carpeta());
    TextFile::writeLines1252(archivo.rutaArchivo(),
                             {QStringLiteral("\"VT_CLIENTES\",\"100|\""),
                              QStringLiteral("\"v_ma_articulos\",\"2880|1440|\"")});
    const QString sql =
        QStringLiteral("SELECT IDARTICULO, DESCRIPCION, IDRUBRO FROM V_MA_ARTICULOS");
    auto f = ventana(sql);
    f->GrabarCfg = true;
    double tercera = 0;
    mostrar(op, *f, [&](Lib_FrmCons3& v) {
        EXPECT_NEAR(v.anchoColumna(1), 2880, 15);
        EXPECT_NEAR(v.anchoColumna(2), 1440, 15);
        tercera = v.anchoColumna(3);
        v.ListView1()->setColumnWidth(2, Twips::toPixels(960));
    });
    f->Cerrar();
    auto g = ventana(sql);
    g->GrabarCfg = true;
    mostrar(op, *g, [&](Lib_FrmCons3& v) { EXPECT_NEAR(v.anchoColumna(3), 960, 15); });
    g->Cerrar();
    const QStringList lineas = TextFile::read1252(archivo.rutaArchivo())
                                   .value_or(QString())
                                   .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lineas.size(), 2);
    EXPECT_EQ(lineas[0], QStringLiteral("\"VT_CLIENTES\",\"100|\""));
    EXPECT_TRUE(lineas[1].startsWith(QStringLiteral("\"V_MA_ARTICULOS\",\"2880|1440|960|")));

    // The stock view shares the articles' entry.
    TextFile::writeLines1252(archivo.rutaArchivo(),
                             {QStringLiteral("\"VT_MA_ARTICULOS\",\"2000|\"")});
    auto s = ventana(QStringLiteral("SELECT IDARTICULO FROM Stk_ma_articulos"));
    mostrar(op, *s, [&](Lib_FrmCons3& v) {
        EXPECT_EQ(v.TablaConsulta(), QStringLiteral("VT_MA_ARTICULOS"));
        EXPECT_NEAR(v.anchoColumna(1), 2000, 15);
    });

    // A damaged line stops the reading where it is, without a word and without a crash.
    TextFile::writeLines1252(archivo.rutaArchivo(),
                             {QStringLiteral("\"V_MA_ARTICULOS\",\"2880|basura|\""),
                              QStringLiteral("\"V_MA_ARTICULOS\",\"3000|3000|3000|\"")});
    auto d = ventana(sql);
    mostrar(op, *d, [&](Lib_FrmCons3& v) {
        EXPECT_NEAR(v.anchoColumna(1), 2880, 15);
        EXPECT_NEAR(v.anchoColumna(3), tercera, 15);
    });
    TextFile::writeLines1252(archivo.rutaArchivo(),
                             {QStringLiteral("\"V_MA_ARTICULOS\",\"2880\"")});
    auto m = ventana(sql);
    mostrar(op, *m, [&](Lib_FrmCons3& v) { EXPECT_NEAR(v.anchoColumna(3), tercera, 15); });
}

} // namespace
