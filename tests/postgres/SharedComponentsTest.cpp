// The suite's shared components on a PostgreSQL server: the start-up with a "PG:" server
// entry, the administrator mark, configuration values, value lookups, schema helpers and
// the lookup dialogs' statements.
#include "PostgresEnvironment.h"
#include "QtPrinters.h"
#include "data/DB_Dll.h"
#include "data/frmAcceso.h"
#include "lookup/Lib_ClsCons3.h"
#include "lookup/Lib_FrmCons3.h"
#include "lookup/Lib_FrmCons3Tree.h"
#include "startup/DefaultMasks.h"
#include "startup/ModGlobal.h"
#include "support/ScriptedPrompts.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QString database = QStringLiteral("compartidos");

struct SharedComponents : ::testing::Test {
    static void SetUpTestSuite() {
        postgres().createDatabase(database, PostgresServer::demoScript());
    }
    QTemporaryDir programDir;

    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
        ModGlobal::resetForTests();
        ModGlobal::setProgramFolder(programDir.path());
    }
    void TearDown() override {
        ModGlobal::resetForTests();
        QLocale::setDefault(QLocale::c());
    }
    // The start-up as the program runs it, on the parameter string of the given user.
    DB_Dll& start(const QString& user = QStringLiteral("admin")) {
        ModGlobal::resetForTests();
        ModGlobal::setProgramFolder(programDir.path());
        QString connString;
        ModGlobal::Inicializar(false, postgres().parameterString(database, user), connString);
        return ModGlobal::gDB();
    }
};

TEST_F(SharedComponents, StartUpReadsTheAdministratorMarkAndTheConfiguration) {
    DB_Dll& db = start();
    ASSERT_TRUE(db.gOpenFlag);
    EXPECT_EQ(
        db.gConnString,
        QStringLiteral("Provider=PostgreSQL;Server=127.0.0.1;Port=%1;Database=%2;Uid=admin;Pwd=%3;")
            .arg(postgres().port())
            .arg(database, PostgresServer::password()));
    EXPECT_EQ(db.gServidor, QStringLiteral("127.0.0.1:%1").arg(postgres().port()));
    EXPECT_TRUE(db.gEsAdmin);
    QString aux;
    EXPECT_EQ(ModGlobal::LeerConfiguracion(QStringLiteral("PERIODO"), aux), QStringLiteral("2026"));
    EXPECT_EQ(ModGlobal::LeerConfiguracion(QStringLiteral("NoHay"), aux), QStringLiteral(" "));
    // The default masks were written on the first start.
    EXPECT_TRUE(
        QFileInfo::exists(QDir(programDir.path()).filePath(QStringLiteral("consultas.qln"))));

    // An operator who is no administrator: the mark says so.
    EXPECT_FALSE(start(QStringLiteral("operador")).gEsAdmin);
}

TEST_F(SharedComponents, TheLoginDialogConnectsToAServerWithItsPort) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.dialog([](QDialog& d) {
        auto& form = dynamic_cast<frmAcceso&>(d);
        form.TxtServidor->setText(QStringLiteral("127.0.0.1:%1").arg(postgres().port()));
        form.TxtDbName->setText(database);
        form.TxtUserId->setText(QStringLiteral("admin"));
        form.TxtUserPassword->setText(PostgresServer::password());
        form.CboPlataformaDB->setCurrentIndex(3);
        EXPECT_EQ(form.CboPlataformaDB->currentText(), QStringLiteral("PostgreSQL"));
        QTest::mouseClick(form.bcAceptar, Qt::LeftButton);
    });
    DB_Dll dll;
    dll.OpenServerADODB(true, 3, QString(), true);
    ASSERT_TRUE(dll.gOpenFlag);
    EXPECT_EQ(dll.gProveedor, QStringLiteral("PostgreSQL"));
    EXPECT_EQ(dll.gCnn().State(), ado::adStateOpen);
    EXPECT_TRUE(dll.gEsAdmin);
}

TEST_F(SharedComponents, ValueLookupsAndSchemaHelpers) {
    DB_Dll& db = start();
    ASSERT_TRUE(db.gOpenFlag);
    EXPECT_EQ(db.BuscaMaximo(QStringLiteral("MA_contactos"), QStringLiteral("id")).toDouble(),
              320.0);
    EXPECT_EQ(db.BuscaMinimo(QStringLiteral("MA_ARTICULOS"), QStringLiteral("PRECIO1"), {},
                             QStringLiteral("IDRUBRO = 1"))
                  .toDouble(),
              1.0);
    EXPECT_EQ(db.BuscaUltimoCodigo(QStringLiteral("V_TA_VENDEDORES"), QStringLiteral("IDVENDEDOR"),
                                   3, QString())
                  .toDouble(),
              3.0);
    // Texts (trimmed or not), numbers and dates, each in the form its type asks for.
    EXPECT_TRUE(db.ExisteEnTabla(QStringLiteral("VT_CLIENTES"), QStringLiteral(" C002 "),
                                 QStringLiteral("CODIGO")));
    EXPECT_FALSE(db.ExisteEnTablaST(QStringLiteral("VT_CLIENTES"), QStringLiteral(" C002 "),
                                    QStringLiteral("CODIGO")));
    EXPECT_FALSE(db.ExisteEnTabla(QStringLiteral("VT_CLIENTES"), QStringLiteral("x' OR '1'='1"),
                                  QStringLiteral("CODIGO")));
    EXPECT_TRUE(db.ExisteEnTabla(QStringLiteral("MA_contactos"), QStringLiteral("320"),
                                 QStringLiteral("id"), nullptr, 3));
    EXPECT_EQ(db.DatosTabla(QStringLiteral("MA_contactos"), QStringLiteral("03/04/2005"),
                            QStringLiteral("Nombre_y_Apellido"), QStringLiteral("FechaAlta"), 7,
                            QStringLiteral("id > 9")),
              db.DatosTabla(QStringLiteral("MA_contactos"), QStringLiteral("10"),
                            QStringLiteral("Nombre_y_Apellido"), QStringLiteral("id"), 3));
    EXPECT_EQ(db.DatosTabla(QStringLiteral("ta_usuarios"), QStringLiteral("juan"),
                            QStringLiteral("UNegocio"), QStringLiteral("nombre")),
              QStringLiteral("  2"));

    EXPECT_TRUE(db.ExisteTablaDB(QStringLiteral("MA_contactos")));
    EXPECT_TRUE(db.ExisteTablaDB(QStringLiteral("V_MA_ARTICULOS"))); // a view
    EXPECT_FALSE(db.ExisteTablaDB(QStringLiteral("MA_inexistente")));
    EXPECT_TRUE(
        db.ExisteCampoDB(QStringLiteral("MA_contactos"), QStringLiteral("Nombre_y_Apellido")));
    EXPECT_FALSE(db.ExisteCampoDB(QStringLiteral("MA_contactos"), QStringLiteral("Apodo")));
    // A missing column is added with the suite's own statement.
    db.VerCampoDB(QStringLiteral("MA_contactos"), QStringLiteral("Apodo"), true,
                  QStringLiteral("varchar(20)"), true, Variant(QStringLiteral("'-'")));
    EXPECT_TRUE(db.ExisteCampoDB(QStringLiteral("MA_contactos"), QStringLiteral("Apodo")));
    EXPECT_EQ(
        postgres().psql(database, QStringLiteral("SELECT apodo FROM ma_contactos WHERE id = 1")),
        QStringLiteral("-"));
    postgres().psql(database, QStringLiteral("ALTER TABLE ma_contactos DROP COLUMN apodo"));
}

TEST_F(SharedComponents, TheLookupDialogsStatementsRunOnTheServer) {
    start();
    Lib_ClsCons3& c = ModGlobal::gConsultas();
    c.gUsarMascarasConsultas = true;
    ScriptedPrompts op;
    // The list lookup of articles (a view, the default mask, its default condition and TOP): the
    // search text finds its row, whose fields come back by their names.
    c.Checks = false;
    CollectionRef fields = newCollection();
    fields->Add(QStringLiteral("IDARTICULO"));
    fields->Add(QStringLiteral("DESCRIPCION"));
    QString statement;
    op.dialog([&](QDialog& d) {
        auto* f = qobject_cast<Lib_FrmCons3*>(&d);
        ASSERT_TRUE(f);
        statement = f->SentenciaOriginal();
        EXPECT_EQ(f->ListView1()->topLevelItemCount(), 9); // the suspended article is left out
        QTest::keyClick(f->ListView1(), Qt::Key_Return);
    });
    c.ConsultaSearch(QStringLiteral("V_MA_ARTICULOS"), &fields, QStringLiteral("Tuer"));
    EXPECT_TRUE(statement.contains(QStringLiteral("SELECT TOP "))) << statement.toStdString();
    ASSERT_TRUE(c.Valores);
    ASSERT_EQ(c.Valores->Count(), 2);
    EXPECT_EQ(c.Valores->Item(1).toString(), QStringLiteral("A002"));
    EXPECT_EQ(c.ValorDevuelto.toString(), QStringLiteral("Tuerca mariposa"));

    // The tree lookup of families, by its codes.
    c.CampoDevuelto = QStringLiteral("IDFAMILIA");
    op.dialog([](QDialog& d) {
        auto* t = qobject_cast<Lib_FrmCons3Tree*>(&d);
        ASSERT_TRUE(t);
        t->CmbSearch(0)->setEditText(QStringLiteral("Martillos"));
        QTest::mouseClick(t->CmdAceptar(), Qt::LeftButton);
    });
    c.ConsultaSearch(
        QStringLiteral("SELECT IDFAMILIA, DESCRIPCION FROM V_TA_FAMILIAS ORDER BY IDFAMILIA"),
        nullptr, {}, nullptr, nullptr, {}, true);
    EXPECT_EQ(c.ValorDevuelto.toString(), QStringLiteral("0202"));
}

} // namespace
