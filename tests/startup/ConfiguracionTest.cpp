// The configuration table: one key at a time and the settings loaded at start-up.
#include "data/DB_Dll.h"
#include "startup/ModGlobal.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

using namespace ModGlobal;

struct Configuration : ::testing::Test {
    TestDatabase db{QStringLiteral(
        "CREATE TABLE ta_configuracion (CLAVE varchar(60), VALOR varchar(255), valoraux varchar(255));"
        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"
        "INSERT INTO ta_usuarios VALUES ('ana', 0, NULL), ('luis', 0, '12345');")};
    void SetUp() override {
        resetForTests();
        gDB().OpenServerADODB(false, 3, db.connectionString(), false);
        ASSERT_TRUE(gDB().gOpenFlag);
    }
    void TearDown() override { resetForTests(); }
    void set(const QString& key, const QString& value) {
        db.exec(QStringLiteral("INSERT INTO ta_configuracion VALUES ('%1', %2, 'aux de %1')").arg(key, value));
    }
};

TEST_F(Configuration, LeerConfiguracionReadsOneKey) {
    set(QStringLiteral("Clave1"), QStringLiteral("'valor'"));
    set(QStringLiteral("Nula"), QStringLiteral("NULL"));
    set(QStringLiteral("[FECHA DESDE]"), QStringLiteral("'01/01/2026'"));
    QString aux = QStringLiteral("x");
    EXPECT_EQ(LeerConfiguracion(QStringLiteral(" Clave1 "), aux), QStringLiteral("valor"));
    EXPECT_EQ(aux, QStringLiteral("aux de Clave1"));
    EXPECT_EQ(run().gTablaConfiguracion, QStringLiteral("TA_CONFIGURACION"));
    EXPECT_EQ(LeerConfiguracion(QStringLiteral("Nula"), aux), QString());
    EXPECT_EQ(LeerConfiguracion(QStringLiteral("Falta"), aux), QStringLiteral(" "));
    EXPECT_EQ(aux, QString());
    // Sent in upper case, so it finds the row stored in upper case.
    EXPECT_EQ(LeerConfiguracion(QStringLiteral("[fecha desde]"), aux), QStringLiteral("01/01/2026"));
}

TEST_F(Configuration, AFailureIsReportedWithItsLabel) {
    run().gTablaConfiguracion = QStringLiteral("no_existe");
    ScriptedPrompts operatorAnswers;
    operatorAnswers.reportError(Prompt::Abort).reportError(Prompt::Abort);
    QString aux;
    EXPECT_EQ(LeerConfiguracion(QStringLiteral("Clave1"), aux), QString()); // empty, not a space
    const auto shown = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, QStringLiteral("AbrirRecordset"));
    EXPECT_EQ(shown[1].title, QStringLiteral("Cfg"));
}

TEST_F(Configuration, CargarConfiguracionAppliesEachRule) {
    set(QStringLiteral("MostrarStockenConsultas"), QStringLiteral("'si'"));
    set(QStringLiteral("UsaConsultaLike"), QStringLiteral("'SI '")); // not trimmed: no
    set(QStringLiteral("VALIDACODIGOBARRA"), QStringLiteral("' SI '")); // trimmed: yes
    set(QStringLiteral("TituloClientes"), QStringLiteral("'  Clientes  '"));
    set(QStringLiteral("ModuloOrdenDeTrabajo"), QStringLiteral("''"));
    set(QStringLiteral("MADERERA"), QStringLiteral("' '"));
    set(QStringLiteral("V_ModificaCPrecio"), QStringLiteral("'no'"));
    set(QStringLiteral("C_ModificaCPrecio"), QStringLiteral("'x'"));
    set(QStringLiteral("PERIODO"), QStringLiteral("'2,5'"));
    set(QStringLiteral("CLetra"), QStringLiteral("'255'"));
    set(QStringLiteral("MaxDto"), QStringLiteral("' 12,75 '"));
    run().gUsuarioLogeado = QStringLiteral("ana");
    CargarConfiguracion(QStringLiteral("/opt/app/"));
    const Configuracion& s = run().settings;
    EXPECT_TRUE(s.MostrarStockenConsultas);
    EXPECT_FALSE(s.UsaConsultaLike);
    EXPECT_TRUE(s.VALIDACODIGOBARRA);
    EXPECT_EQ(s.TituloClientes, QStringLiteral("Clientes"));
    EXPECT_EQ(s.TituloProveedores, QString()); // missing: " " trimmed
    EXPECT_EQ(s.CantidadDecimales, QStringLiteral(" ")); // missing, not trimmed
    EXPECT_TRUE(s.ModuloOrdenDeTrabajo);
    EXPECT_FALSE(s.MADERERA);
    EXPECT_FALSE(s.V_ModificaCPrecio);
    EXPECT_TRUE(s.C_ModificaCPrecio);
    EXPECT_EQ(s.PERIODO, 2);
    EXPECT_EQ(s.MaxDto.scaled, 127500);
    EXPECT_EQ(run().gColorLetra, 255);
    EXPECT_EQ(run().gColorFondo, 0xFFFF00); // missing "CFondo"
    EXPECT_EQ(run().gRutaDocTareas, QStringLiteral("/opt/app/PZDOCTareas.qln"));
    EXPECT_EQ(run().gUNegocio, QStringLiteral("   1")); // an empty UNegocio
    run().gUsuarioLogeado = QStringLiteral("luis");
    set(QStringLiteral("CFondo"), QStringLiteral("'16777215'"));
    set(QStringLiteral("ModuloOrdenDeTrabajo2"), QStringLiteral("'NO'"));
    CargarConfiguracion(QStringLiteral("/opt/app/"));
    EXPECT_EQ(run().gUNegocio, QStringLiteral("1234")); // fitted to four characters
    EXPECT_EQ(run().gColorFondo, 0xFFFFFF);
}

} // namespace
