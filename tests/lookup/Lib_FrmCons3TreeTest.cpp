#include "lookup/Lib_FrmCons3Tree.h"
#include "DemoLookup.h"

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>

namespace {

class ArbolLookup : public DemoLookup {
protected:
    std::unique_ptr<Lib_FrmCons3Tree> ventana(const QString& sql, const QString& campo = {},
                                              bool checks = false) {
        auto f = std::make_unique<Lib_FrmCons3Tree>(db());
        f->SQL = sql;
        f->CampoDevuelto = campo;
        f->CheckBoxes = checks;
        return f;
    }
    static void mostrar(ScriptedPrompts& op, Lib_FrmCons3Tree& f,
                        std::function<void(Lib_FrmCons3Tree&)> operar) {
        op.dialog([&f, operar](QDialog&) { operar(f); });
        prompts().execDialog(f);
    }
    // The shown tree as text: each item's code, children in brackets.
    static QString forma(QTreeWidgetItem* item) {
        QString t = item->text(0).section(QStringLiteral(" - "), 0, 0);
        if (item->childCount() == 0) return t;
        QStringList hijos;
        for (int i = 0; i < item->childCount(); ++i)
            hijos.append(forma(item->child(i)));
        return t + u'[' + hijos.join(u' ') + u']';
    }
    static QString forma(const QTreeWidget* arbol) {
        QStringList partes;
        for (int i = 0; i < arbol->topLevelItemCount(); ++i)
            partes.append(forma(arbol->topLevelItem(i)));
        return partes.join(u' ');
    }
    static QTreeWidgetItem* nodo(const Lib_FrmCons3Tree& f, const QString& codigo) {
        return f.itemDeNodo(f.arbol().buscarClave(u'A' + codigo));
    }
    void tabla(const QStringList& codigos) {
        QString sql = QStringLiteral(
            "CREATE TABLE CODIGOS (n INTEGER PRIMARY KEY, C varchar(10), D varchar(30));");
        for (const QString& c : codigos) {
            sql += QStringLiteral("INSERT INTO CODIGOS (C, D) VALUES ('%1', 'Nodo %1');").arg(c);
        }
        base().exec(sql);
    }
};

const QString familias =
    QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA");
const QString codigos = QStringLiteral("SELECT C, D FROM CODIGOS ORDER BY n");

TEST_F(ArbolLookup, BuildsTheTreeFromTheCodes) {
    ScriptedPrompts op;
    auto f = ventana(familias);
    mostrar(op, *f, [&](Lib_FrmCons3Tree& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("Consulta..."));
        EXPECT_EQ(v.TreeV()->topLevelItem(0)->text(0), QStringLiteral("Consulta..."));
        EXPECT_TRUE(v.TreeV()->topLevelItem(0)->isExpanded());
        EXPECT_EQ(forma(v.TreeV()),
                  QStringLiteral("Consulta...[01[0101[010101] 0102] 02[0201 0202] 03[0301]]"));
        EXPECT_EQ(nodo(v, QStringLiteral("0102"))->text(0), QStringLiteral("0102 - Tuercas"));
        EXPECT_EQ(v.CmbSearch(0)->toolTip(), QStringLiteral("F5 realiza nueva busqueda"));
    });

    tabla({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("2"), QString(),
           QStringLiteral("3"), QStringLiteral("3"), QStringLiteral("31")});
    auto g = ventana(codigos);
    op.dialog([&](QDialog&) {
        EXPECT_EQ(forma(g->TreeV()), QStringLiteral("Consulta...[1[10] 2] [3[31]]"));
    });
    op.reportError(Prompt::Ignore); // the second code 3
    prompts().execDialog(*g);
    const auto reportes = op.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(reportes.size(), 1u);
    EXPECT_EQ(reportes[0].title, QStringLiteral("ArmarTreeVAutomatico"));

    auto vacio =
        ventana(QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS WHERE 1 = 0"));
    mostrar(op, *vacio, [&](Lib_FrmCons3Tree& v) {
        EXPECT_EQ(forma(v.TreeV()), QStringLiteral("Consulta..."));
    });
    vacio->Cerrar();
    EXPECT_EQ(vacio->TreeV()->topLevelItemCount(), 0);
}

TEST_F(ArbolLookup, CheckingReachesThreeLevelsDown) {
    ScriptedPrompts op;
    tabla({QStringLiteral("1"), QStringLiteral("11"), QStringLiteral("111"), QStringLiteral("1111"),
           QStringLiteral("11111"), QStringLiteral("2")});
    auto f = ventana(codigos, QStringLiteral("codigo"), true);
    mostrar(op, *f, [&](Lib_FrmCons3Tree& v) {
        QTreeWidgetItem* uno = nodo(v, QStringLiteral("1"));
        v.TreeV()->setCurrentItem(uno);
        QTest::keyClick(v.TreeV(), Qt::Key_Space);
        EXPECT_EQ(uno->checkState(0), Qt::Checked);
        for (const QString& c :
             {QStringLiteral("11"), QStringLiteral("111"), QStringLiteral("1111")}) {
            EXPECT_EQ(nodo(v, c)->checkState(0), Qt::Checked) << c.toStdString();
        }
        EXPECT_EQ(nodo(v, QStringLiteral("11111"))->checkState(0), Qt::Unchecked);
        EXPECT_EQ(nodo(v, QStringLiteral("2"))->checkState(0), Qt::Unchecked);
        QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton);
    });
    ASSERT_TRUE(f->Valores);
    ASSERT_EQ(f->Valores->Count(), 4);
    EXPECT_EQ(f->Valores->Item(1).toString(), QStringLiteral("1"));
    EXPECT_EQ(f->Valores->Item(4).toString(), QStringLiteral("1111"));
}

TEST_F(ArbolLookup, IncrementalSearchNewSearchAndKeys) {
    ScriptedPrompts op;
    auto f = ventana(familias);
    mostrar(op, *f, [&](Lib_FrmCons3Tree& v) {
        QTest::keyClicks(v.CmbSearch(0), QStringLiteral("01"));
        EXPECT_EQ(v.TreeV()->currentItem(), nodo(v, QStringLiteral("01")));
        v.CmbSearch(0)->setEditText(QStringLiteral("TORN"));
        EXPECT_EQ(v.TreeV()->currentItem(), nodo(v, QStringLiteral("0101")));
        v.CmbSearch(0)->setEditText(QStringLiteral("Herramientas"));
        EXPECT_EQ(v.TreeV()->currentItem(), nodo(v, QStringLiteral("02")));
        v.CmbSearch(0)->setEditText(QString());
        EXPECT_EQ(v.TreeV()->currentItem(), v.TreeV()->topLevelItem(0));

        enfocar(v.CmbSearch(0));
        QTest::keyClick(v.CmbSearch(0), Qt::Key_PageDown);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), v.TreeV());

        v.CmbSearch(0)->setEditText(QStringLiteral("cab"));
        QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
        EXPECT_EQ(v.SQL,
                  QStringLiteral(
                      "SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS  where Descripcion like "
                      "'%cab%' ORDER BY IDFAMILIA"));
        EXPECT_EQ(v.SentenciaActual(), v.SQL);
        EXPECT_EQ(v.ClausulaOrden(), QStringLiteral("ORDER BY IDFAMILIA"));
        EXPECT_EQ(v.campoDeCaja(), QStringLiteral("Descripcion"));
        EXPECT_EQ(v.CmbSearch(0)->currentText(), QString());
        EXPECT_EQ(forma(v.TreeV()), QStringLiteral("Consulta...[010101]"));
        // A quote typed into the box stays inside the text searched for.
        v.CmbSearch(0)->setEditText(QStringLiteral("o'"));
        QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
        EXPECT_TRUE(
            v.SQL.endsWith(QStringLiteral(" and Descripcion like '%o''%' ORDER BY IDFAMILIA")));
        EXPECT_EQ(forma(v.TreeV()), QStringLiteral("Consulta..."));
    });
}

TEST_F(ArbolLookup, SearchTextsStayInsideTheirQuotesSearchAfterSearch) {
    ScriptedPrompts op;
    auto f = ventana(familias);
    mostrar(op, *f, [&](Lib_FrmCons3Tree& v) {
        const auto buscar = [&](const QString& texto) {
            v.CmbSearch(0)->setEditText(texto);
            QTest::keyClick(v.CmbSearch(0), Qt::Key_F5);
            return forma(v.TreeV());
        };
        EXPECT_EQ(buscar(QStringLiteral("x order by")), QStringLiteral("Consulta..."));
        EXPECT_EQ(buscar(QStringLiteral("1 OR 1=1 OR 5")), QStringLiteral("Consulta..."));
        EXPECT_TRUE(v.SQL.endsWith(
            QStringLiteral(" and Descripcion like '%1 OR 1=1 OR 5%' ORDER BY IDFAMILIA")))
            << v.SQL.toStdString();
        EXPECT_EQ(v.ClausulaOrden(), QStringLiteral("ORDER BY IDFAMILIA"));
    });
    EXPECT_TRUE(op.recordsOf(ScriptedPrompts::Kind::ReportError).empty());
}

TEST_F(ArbolLookup, ARefusedStatementIsReportedOnce) {
    ScriptedPrompts op;
    auto f = ventana(QStringLiteral("SELECT C, D FROM NO_EXISTE ORDER BY C"));
    op.dialog([&](QDialog&) {
          EXPECT_EQ(forma(f->TreeV()), QStringLiteral("Consulta..."));
      }).reportError(Prompt::Abort);
    prompts().execDialog(*f);
    const auto reportes = op.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(reportes.size(), 1u);
    EXPECT_EQ(reportes[0].title, QStringLiteral("AbrirRecordset"));
}

TEST_F(ArbolLookup, AcceptSingleNode) {
    ScriptedPrompts op;
    const auto elegir = [&](const QString& sql, const QString& campo, const QString& codigo) {
        auto f = ventana(sql, campo);
        mostrar(op, *f, [&](Lib_FrmCons3Tree& v) {
            QTreeWidgetItem* item = nodo(v, codigo);
            v.TreeV()->setCurrentItem(item);
            QTest::mouseClick(v.TreeV()->viewport(), Qt::LeftButton, {},
                              v.TreeV()->visualItemRect(item).center());
            QTest::mouseDClick(v.TreeV()->viewport(), Qt::LeftButton, {},
                               v.TreeV()->visualItemRect(item).center());
        });
        EXPECT_EQ(f->result(), QDialog::Accepted);
        return f->ValorDevuelto;
    };
    EXPECT_EQ(elegir(familias, QStringLiteral("IDFAMILIA"), QStringLiteral("0101")).toString(),
              QStringLiteral("0101"));
    EXPECT_EQ(elegir(QStringLiteral(
                         "SELECT IDPOSICION, DESCRIPCION FROM MA_POSICIONES ORDER BY IDPOSICION"),
                     QStringLiteral("idposicion"), QStringLiteral("11"))
                  .toString(),
              QStringLiteral("11"));
    EXPECT_EQ(elegir(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO ORDER BY CODIGO"),
                     QStringLiteral("Codigo"), QStringLiteral("21"))
                  .toString(),
              QStringLiteral("21"));
    // A code the table does not hold gives an empty text; another name returns nothing.
    EXPECT_EQ(
        elegir(QStringLiteral("SELECT '99', 'x'"), QStringLiteral("CODIGO"), QStringLiteral("99")),
        Variant(QString()));
    EXPECT_TRUE(elegir(familias, QStringLiteral("DESCRIPCION"), QStringLiteral("01")).isEmpty());

    // Accepting with no node selected is reported, and the window stays.
    auto f = ventana(familias, QStringLiteral("IDFAMILIA"));
    op.dialog([&](QDialog&) {
        QTest::mouseClick(f->CmdAceptar(), Qt::LeftButton);
        EXPECT_TRUE(f->isVisible());
        QTest::mouseClick(f->CmdCancelar(), Qt::LeftButton);
    });
    op.reportError(Prompt::Abort);
    prompts().execDialog(*f);
    const auto reportes = op.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(reportes.size(), 1u);
    EXPECT_EQ(reportes[0].title, QStringLiteral("HScroll1_Change"));
    EXPECT_EQ(f->ValorDevuelto, Variant(QString()));
    EXPECT_FALSE(f->Valores);
}

TEST_F(ArbolLookup, AcceptCheckedNodes) {
    ScriptedPrompts op;
    auto f = ventana(familias, QStringLiteral("IDFAMILIA"), true);
    mostrar(op, *f, [&](Lib_FrmCons3Tree& v) {
        nodo(v, QStringLiteral("02"))->setCheckState(0, Qt::Checked);
        v.TreeV()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton);
    });
    // The root gives an empty code; then every node down to three levels, in the order added.
    QStringList valores;
    for (long i = 1; i <= f->Valores->Count(); ++i)
        valores.append(f->Valores->Item(i).toString());
    EXPECT_EQ(valores,
              (QStringList{QString(), QStringLiteral("01"), QStringLiteral("0101"),
                           QStringLiteral("010101"), QStringLiteral("0102"), QStringLiteral("02"),
                           QStringLiteral("0201"), QStringLiteral("0202"), QStringLiteral("03"),
                           QStringLiteral("0301")}));

    auto g = ventana(
        QStringLiteral("SELECT IDPOSICION, DESCRIPCION FROM MA_POSICIONES ORDER BY IDPOSICION"),
        QStringLiteral("IDPOSICION"), true);
    mostrar(op, *g, [&](Lib_FrmCons3Tree& v) {
        nodo(v, QStringLiteral("12"))->setCheckState(0, Qt::Checked);
        nodo(v, QStringLiteral("2"))->setCheckState(0, Qt::Checked);
        QTest::mouseClick(v.CmdAceptar(), Qt::LeftButton);
    });
    ASSERT_EQ(g->Valores->Count(), 2);
    EXPECT_EQ(g->Valores->Item(1).toString(), QStringLiteral("12"));
    EXPECT_EQ(g->Valores->Item(2).toString(), QStringLiteral("2"));
    EXPECT_TRUE(g->ValorDevuelto.isEmpty());
}

} // namespace
