#include "lookup/Lib_ClsCons3.h"
#include "DemoLookup.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "lookup/MasksFile.h"
#include "startup/DefaultMasks.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// The run's component on the demo database, configured as the start-up leaves it, with the
// default masks in the program folder.
class ConsultaLookup : public DemoLookup {
protected:
    void SetUp() override {
        DemoLookup::SetUp();
        base().exec(
            QStringLiteral("UPDATE ta_configuracion SET VALOR = '' WHERE CLAVE = 'TopConsArt'"));
        mascaras_ = QDir(carpeta()).filePath(QStringLiteral("consultas.qln"));
        GrabarMascarasDefault(mascaras_);
    }
    Lib_ClsCons3& componente() {
        Lib_ClsCons3& c = ModGlobal::gConsultas();
        c.gUsarMascarasConsultas = true;
        c.gRutaMascaraConsultas = mascaras_;
        return c;
    }
    // Scripts the list dialog: `operar` sees it loaded; the statement it was given is kept.
    void lista(ScriptedPrompts& op, std::function<void(Lib_FrmCons3&)> operar = {}) {
        op.dialog([this, operar](QDialog& d) {
            auto* f = qobject_cast<Lib_FrmCons3*>(&d);
            ASSERT_TRUE(f);
            sentencia_ = f->SentenciaOriginal().mid(1);
            if (operar) operar(*f);
        });
    }
    void topConsArt(const QString& valor) {
        base().exec(
            QStringLiteral("UPDATE ta_configuracion SET VALOR = '%1' WHERE CLAVE = 'TopConsArt'")
                .arg(valor));
    }
    void agregarMascara(const QString& tabla, const QString& campos,
                        const QString& condicion = {}) {
        MascaraConsulta r;
        r.TablaMascara = tabla;
        r.CamposMascara = campos;
        r.CondicionMascara = condicion;
        MasksFile(mascaras_).agregar(r);
    }

    QString mascaras_;
    QString sentencia_;
};

TEST_F(ConsultaLookup, CreationReadsTheConfiguration) {
    Lib_ClsCons3& c = ModGlobal::gConsultas();
    EXPECT_EQ(c.MuestraStock, QStringLiteral("SI"));
    EXPECT_EQ(c.StkNivel1.toString(), QStringLiteral("32768"));
    EXPECT_EQ(c.StkNivel4.toString(), QStringLiteral("8421504"));
    EXPECT_FALSE(c.usaConsultaLike());
    ASSERT_TRUE(c.CmpsDevueltos);
    EXPECT_EQ(c.Valores->Count(), 0);
    EXPECT_EQ(c.carpetaPrograma(), carpeta());
}

TEST_F(ConsultaLookup, MaskStatementsRowLimitAndWhere) {
    ScriptedPrompts op;
    Lib_ClsCons3& c = componente();
    const auto consultar = [&](const QString& tabla, QString where = {}, QString campo = {}) {
        lista(op, [](Lib_FrmCons3& f) { QTest::mouseClick(f.CmdCancelar(), Qt::LeftButton); });
        c.ConsultaSearch(tabla, nullptr, {}, &campo, &where);
        return std::pair{campo, where};
    };
    auto [campo, where] = consultar(QStringLiteral("V_MA_ARTICULOS"));
    EXPECT_EQ(
        sentencia_,
        QStringLiteral(
            "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE SUSPENDIDO = 0 "
            "ORDER BY DESCRIPCION"));
    EXPECT_EQ(campo, QStringLiteral("DESCRIPCION"));
    EXPECT_TRUE(c.mascara().has_value());

    std::tie(campo, where) =
        consultar(QStringLiteral("v_ma_articulos "), QStringLiteral("IDRUBRO = 3"));
    EXPECT_EQ(where, QStringLiteral(" (IDRUBRO = 3) "));
    EXPECT_EQ(
        sentencia_,
        QStringLiteral(
            "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS WHERE  (IDRUBRO = 3)  "
            "ORDER BY DESCRIPCION"));
    std::tie(campo, where) =
        consultar(QStringLiteral("VT_CLIENTES"), QStringLiteral("1"), QStringLiteral("CODIGO"));
    EXPECT_EQ(where, QStringLiteral("1"));
    EXPECT_EQ(campo, QStringLiteral("CODIGO"));
    EXPECT_EQ(sentencia_, QStringLiteral("SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM "
                                         "VT_CLIENTES WHERE 1 ORDER BY CODIGO"));
    std::tie(campo, where) =
        consultar(QStringLiteral("VT_CLIENTES"), QStringLiteral("(Dada_De_Baja = 1)"));
    EXPECT_EQ(where, QStringLiteral("(Dada_De_Baja = 1)"));
    EXPECT_TRUE(sentencia_.endsWith(
        QStringLiteral("FROM VT_CLIENTES WHERE (Dada_De_Baja = 1) ORDER BY RAZON_SOCIAL")));
    consultar(QStringLiteral("V_TA_VENDEDORES"));
    EXPECT_EQ(
        sentencia_,
        QStringLiteral("SELECT TOP 1000 NOMBRE,IDVENDEDOR FROM V_TA_VENDEDORES ORDER BY NOMBRE"));

    for (const auto& [valor, limite] :
         {std::pair{QStringLiteral("0"), 1000}, std::pair{QStringLiteral("muchas"), 1000},
          std::pair{QStringLiteral("50"), 50}}) {
        topConsArt(valor);
        consultar(QStringLiteral("V_TA_TECNICOS"));
        EXPECT_TRUE(sentencia_.startsWith(QStringLiteral("SELECT TOP %1 NOMBRE").arg(limite)))
            << sentencia_.toStdString();
    }
}

TEST_F(ConsultaLookup, GivenAndDefaultStatements) {
    ScriptedPrompts op;
    Lib_ClsCons3& c = componente();
    const auto cancelar = [](Lib_FrmCons3& f) {
        QTest::mouseClick(f.CmdCancelar(), Qt::LeftButton);
    };
    lista(op, cancelar);
    c.ConsultaSearch(QStringLiteral("select IDARTICULO from v_ma_articulos"));
    EXPECT_EQ(sentencia_, QStringLiteral("select IDARTICULO from VT_MA_ARTICULOS"));

    // A name with "select" in it is taken for a statement, even with a mask of its own; the
    // server refuses it and the window says so as it loads.
    base().exec(QStringLiteral("CREATE VIEW V_SELECTOS AS SELECT 1 AS A, 2 AS B"));
    agregarMascara(QStringLiteral("V_SELECTOS"), QStringLiteral("|A|B|"));
    lista(op, cancelar);
    op.reportError(Prompt::Abort);
    c.ConsultaSearch(QStringLiteral("V_SELECTOS"));
    EXPECT_EQ(sentencia_, QStringLiteral("V_SELECTOS"));
    // One fault, one prompt: the steps that need the rows do not run on the closed recordset.
    const auto reportes = op.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(reportes.size(), 1u);
    EXPECT_EQ(reportes[0].title, QStringLiteral("AbrirRecordset"));
    EXPECT_TRUE(op.recordsOf(ScriptedPrompts::Kind::Message).empty());

    // A table without a mask: its fields, in reverse order, sorted by the description.
    c.gUsarMascarasConsultas = false;
    QString campo = QStringLiteral("IDTECNICO");
    lista(op, cancelar);
    c.ConsultaSearch(QStringLiteral("V_MA_MANTENIMIENTOS"), nullptr, {}, &campo);
    EXPECT_EQ(
        sentencia_,
        QStringLiteral(
            "SELECT TOP 1000 DESCRIPCION,CODIGO FROM V_MA_MANTENIMIENTOS ORDER BY DESCRIPCION"));
    EXPECT_EQ(campo, QStringLiteral("DESCRIPCION"));

    base().exec(QStringLiteral(
        "CREATE TABLE SOLO_ID (ID int, FECHAHORA_GRABACION varchar(20), "
        "FECHAHORA_MODIFICACION varchar(20)); INSERT INTO SOLO_ID VALUES (1, 'a', 'b');"));
    campo = QStringLiteral("ID");
    QString where = QStringLiteral("ID = 1");
    lista(op, cancelar);
    c.ConsultaSearch(QStringLiteral("SOLO_ID"), nullptr, {}, &campo, &where);
    EXPECT_EQ(sentencia_, QStringLiteral("SELECT TOP 1000  *  FROM SOLO_ID ORDER BY ID"));

    lista(op, cancelar);
    c.ConsultaSearch(QStringLiteral("SOLO_ID"), nullptr, {}, nullptr, nullptr,
                     QStringLiteral("SELECT ID FROM SOLO_ID"));
    EXPECT_EQ(sentencia_, QStringLiteral("SELECT ID FROM SOLO_ID"));
}

TEST_F(ConsultaLookup, AHalfRecordAtTheEndOfTheMasksFileIsToldOnce) {
    {
        QFile f(mascaras_);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("V_MA_ARTICULOS interrumpido");
    }
    ScriptedPrompts op;
    Lib_ClsCons3& c = componente();
    const auto cancelar = [](Lib_FrmCons3& f) {
        QTest::mouseClick(f.CmdCancelar(), Qt::LeftButton);
    };
    op.message(Prompt::Ok);
    lista(op, cancelar);
    c.ConsultaSearch(QStringLiteral("V_TA_FAMILIAS"));
    // The whole masks still work; the second lookup says nothing more.
    EXPECT_TRUE(sentencia_.contains(QStringLiteral("FROM V_TA_FAMILIAS")));
    lista(op, cancelar);
    c.ConsultaSearch(QStringLiteral("V_TA_FAMILIAS"));
    const auto mensajes = op.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_TRUE(mensajes[0].text.contains(QStringLiteral("registro incompleto")));
    EXPECT_TRUE(mensajes[0].text.contains(QDir::toNativeSeparators(mascaras_)));
    EXPECT_EQ(mensajes[0].title, QStringLiteral("Aviso al operador"));
}

TEST_F(ConsultaLookup, MaskWithoutSearchColumnStopsTheCall) {
    ScriptedPrompts op;
    Lib_ClsCons3& c = componente();
    agregarMascara(QStringLiteral("V_TA_FAMILIAS"), QStringLiteral("|DESCRIPCION|"));
    c.Checks = true;
    c.CampoDevuelto = QStringLiteral("DESCRIPCION");
    c.ValorDevuelto = QStringLiteral("antes");
    CollectionRef cmps = newCollection();
    cmps->Add(QStringLiteral("DESCRIPCION"));
    op.message(Prompt::Ok);
    c.ConsultaSearch(QStringLiteral("V_TA_FAMILIAS"), &cmps);
    const auto mensajes = op.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(mensajes.size(), 1u);
    EXPECT_EQ(mensajes[0].text, QStringLiteral("Debe configurar la consulta para esta tabla"));
    EXPECT_EQ(mensajes[0].title, QStringLiteral("Aviso al operador"));
    EXPECT_EQ(mensajes[0].icon, Prompt::Icon::Information);
    EXPECT_TRUE(op.recordsOf(ScriptedPrompts::Kind::Dialog).empty());
    EXPECT_TRUE(c.Checks);
    EXPECT_EQ(c.CampoDevuelto, QStringLiteral("DESCRIPCION"));
    EXPECT_EQ(c.ValorDevuelto.toString(), QStringLiteral("antes"));
    ASSERT_TRUE(cmps);
    EXPECT_EQ(cmps->Count(), 1);

    // With a search column of the caller's the same mask works.
    QString campo = QStringLiteral("DESCRIPCION");
    lista(op, [](Lib_FrmCons3& f) { QTest::mouseClick(f.CmdCancelar(), Qt::LeftButton); });
    c.ConsultaSearch(QStringLiteral("V_TA_FAMILIAS"), &cmps, {}, &campo);
    EXPECT_EQ(
        sentencia_,
        QStringLiteral("SELECT TOP 1000 DESCRIPCION FROM V_TA_FAMILIAS ORDER BY DESCRIPCION"));
}

TEST_F(ConsultaLookup, ListOutputsAndFinish) {
    ScriptedPrompts op;
    Lib_ClsCons3& c = componente();
    CollectionRef cmps = newCollection();
    cmps->Add(QStringLiteral("IDARTICULO"));
    cmps->Add(QStringLiteral("DESCRIPCION"));
    const CollectionRef misma = cmps;
    c.Checks = false;
    lista(op, [](Lib_FrmCons3& f) {
        EXPECT_EQ(f.CmbSearch(0)->currentText(), QStringLiteral("Tuer"));
        EXPECT_FALSE(f.OrdenarPorLwv);
        QTest::keyClick(f.ListView1(), Qt::Key_Return);
    });
    c.ConsultaSearch(QStringLiteral("V_MA_ARTICULOS"), &cmps, QStringLiteral("Tuer"));
    ASSERT_TRUE(c.Valores);
    ASSERT_EQ(c.Valores->Count(), 2);
    EXPECT_EQ(c.Valores->Item(1).toString(), QStringLiteral("A002"));
    EXPECT_EQ(c.ValorDevuelto.toString(), QStringLiteral("Tuerca mariposa"));
    EXPECT_EQ(c.Cantidades->Count(), 0);
    EXPECT_FALSE(cmps);
    EXPECT_EQ(misma->Count(), 0);

    // Check boxes: the checked rows' first column; Checks and CampoDevuelto are per call.
    c.Checks = true;
    c.CampoDevuelto = QStringLiteral("IDARTICULO");
    lista(op, [&](Lib_FrmCons3& f) {
        EXPECT_TRUE(f.CheckBoxes);
        f.CmbSearch(1)->setEditText(QStringLiteral("A00"));
        f.ListView1()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(f.CmdAceptar(), Qt::LeftButton);
    });
    c.ConsultaSearch(QStringLiteral("V_MA_ARTICULOS"), nullptr, {}, nullptr, nullptr, {}, false,
                     QStringLiteral("A004"));
    ASSERT_EQ(c.Valores->Count(), 2);
    EXPECT_EQ(c.Valores->Item(1).toString(), QStringLiteral("A003")); // Arandela comes first
    EXPECT_EQ(c.Valores->Item(2).toString(), QStringLiteral("A004"));
    EXPECT_TRUE(c.ValorDevuelto.isEmpty());
    EXPECT_FALSE(c.Checks);
    EXPECT_TRUE(c.CampoDevuelto.isEmpty());

    // The next call has a fresh window: nothing typed before is there.
    lista(op, [](Lib_FrmCons3& f) {
        EXPECT_FALSE(f.CheckBoxes);
        EXPECT_EQ(f.CmbSearch(1)->currentText(), QString());
        QTest::mouseClick(f.CmdCancelar(), Qt::LeftButton);
    });
    c.ConsultaSearch(QStringLiteral("V_MA_ARTICULOS"));
    EXPECT_FALSE(c.Valores);
    EXPECT_EQ(c.ValorDevuelto, Variant(QString()));
    EXPECT_EQ(c.Cantidades->Count(), 0);
    EXPECT_EQ(op.recordsOf(ScriptedPrompts::Kind::Dialog).size(), 3u);
}

TEST_F(ConsultaLookup, TreeLookup) {
    ScriptedPrompts op;
    Lib_ClsCons3& c = componente();
    c.Cantidades = nullptr;
    c.CampoDevuelto = QStringLiteral("IDFAMILIA");
    op.dialog([](QDialog& d) {
        auto* t = qobject_cast<Lib_FrmCons3Tree*>(&d);
        ASSERT_TRUE(t);
        EXPECT_EQ(
            t->SQL,
            QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA"));
        t->CmbSearch(0)->setEditText(QStringLiteral("Martillos"));
        QTest::mouseClick(t->CmdAceptar(), Qt::LeftButton);
    });
    c.ConsultaSearch(
        QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA"),
        nullptr, {}, nullptr, nullptr, {}, true);
    EXPECT_EQ(c.ValorDevuelto.toString(), QStringLiteral("0202"));
    ASSERT_TRUE(c.Valores);
    EXPECT_EQ(c.Valores->Count(), 0);
    EXPECT_FALSE(c.Cantidades); // a tree lookup leaves it alone
    EXPECT_TRUE(c.CampoDevuelto.isEmpty());

    c.Checks = true;
    c.CampoDevuelto = QStringLiteral("CODIGO");
    op.dialog([](QDialog& d) {
        auto* t = qobject_cast<Lib_FrmCons3Tree*>(&d);
        ASSERT_TRUE(t && t->CheckBoxes);
        t->itemDeNodo(t->arbol().buscarClave(QStringLiteral("A2")))->setCheckState(0, Qt::Checked);
        QTest::mouseClick(t->CmdAceptar(), Qt::LeftButton);
    });
    c.ConsultaSearch(QStringLiteral("SELECT CODIGO, DESCRIPCION FROM TA_CCOSTO ORDER BY CODIGO"),
                     nullptr, {}, nullptr, nullptr, {}, true);
    ASSERT_EQ(c.Valores->Count(), 2);
    EXPECT_EQ(c.Valores->Item(2).toString(), QStringLiteral("21"));
    EXPECT_FALSE(c.Checks);
}

} // namespace
