// The start-up routine on real parameter strings, INI files and SQLite files.
#include "data/DB_Dll.h"
#include "lookup/Lib_ClsCons3.h"
#include "shared/Identidad.h"
#include "shared/Util.h"
#include "startup/ModGlobal.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace ModGlobal;

struct Startup : ::testing::Test {
    QTemporaryDir programDir;
    void SetUp() override {
        resetForTests();
        setProgramFolder(programDir.path());
    }
    void TearDown() override { resetForTests(); }

    // Runs the start-up on a parameter string that cannot connect; the operator declines the retry.
    void startRefused(const QString& parameters, QString connString = {}) {
        ScriptedPrompts operatorAnswers;
        operatorAnswers.message(Prompt::No);
        EXPECT_THROW(Inicializar(false, parameters, connString), ProgramEnd);
        lastConnString = connString;
    }
    QString lastConnString;
};

TEST_F(Startup, ReadsEveryKeyOfTheParameterString) {
    startRefused(QStringLiteral("@ParametroAdicional=extra;@Menu=M1;@Server=tcp/127.0.0.1:1433;@DbName= VENTAS ;"
                                "@Usuario=pedro;@Password=clave;@UsuarioLogeado=juan;@Caja=;"));
    EXPECT_EQ(run().gParametroAdicional, QStringLiteral("extra"));
    EXPECT_EQ(run().gMenu, QStringLiteral("M1"));
    EXPECT_EQ(gDB().gServidor, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(gDB().gDbName, QStringLiteral("VENTAS"));
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("pedro"));
    EXPECT_EQ(gDB().gUserPassWord, QStringLiteral("clave"));
    EXPECT_EQ(run().gUsuarioLogeado, QStringLiteral("juan"));
    EXPECT_EQ(run().gCaja, QString()); // "@Caja=;" is an empty value
    EXPECT_EQ(gDB().gConnString,
              QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1;Database =VENTAS;UId=pedro;Pwd=clave;"));
}

TEST_F(Startup, KeysAreSubstringsAndTheLastEntryRunsToTheEnd) {
    startRefused(QStringLiteral("@UsuarioLogeado=juan;@Usuario=pedro;@server=127.0.0.1;@Password=  a b=c "));
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("Logeadojuan"));
    EXPECT_EQ(gDB().gServidor, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(gDB().gUserPassWord, QStringLiteral("a bc"));
    EXPECT_EQ(run().gCaja, QStringLiteral("1")); // missing "@Caja"
}

TEST_F(Startup, AnOracleServerBuildsTheOracleConnectionString) {
    startRefused(QStringLiteral("@Server=#ORCL;@DbName=XE;@Usuario=scott;@Password=tiger;"));
    EXPECT_EQ(lastConnString, QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=XE;User Id=scott;Password=tiger;"));
    EXPECT_EQ(gDB().gServidor, QStringLiteral("ORCL"));
    EXPECT_FALSE(gDB().gOpenFlag);
}

TEST_F(Startup, APostgresServerKeepsItsPortAndNeverShowsThePassword) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::No);
    QString connString;
    EXPECT_THROW(Inicializar(false, QStringLiteral("@Server=pg:127.0.0.1:1;@DbName=ventas;@Usuario=juan;@Password=Secreto-9;"),
                             connString),
                 ProgramEnd);
    EXPECT_EQ(connString,
              QStringLiteral("Provider=PostgreSQL;Server=127.0.0.1;Port=1;Database=ventas;Uid=juan;Pwd=Secreto-9;"));
    EXPECT_EQ(gDB().gServidor, QStringLiteral("127.0.0.1:1"));
    // The server refused the connection: its own words and codes, no password.
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral(" Estado de Sql: 08"))) << boxes[0].text.toStdString();
    EXPECT_FALSE(boxes[0].text.contains(QStringLiteral("Secreto-9")));

    // "PG" alone is this machine's server on its default port.
    resetForTests();
    setProgramFolder(programDir.path());
    QString local;
    ScriptedPrompts declines;
    declines.message(Prompt::No);
    EXPECT_THROW(Inicializar(false, QStringLiteral("@Server=PG;@DbName=d;@Usuario=u;@Password=p;"), local), ProgramEnd);
    EXPECT_EQ(local, QStringLiteral("Provider=PostgreSQL;Server=;Database=d;Uid=u;Pwd=p;"));
    EXPECT_EQ(gDB().gServidor, QString());
}

TEST_F(Startup, AnEmptyCommandLineAsksFirstAndCancellingEndsTheProgram) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.dialog([](QDialog& d) { d.reject(); });
    QString connString;
    EXPECT_THROW(Inicializar(false, QString(), connString), ProgramEnd);
    EXPECT_FALSE(gDB().gOpenFlag);
    EXPECT_FALSE(QFileInfo::exists(programDir.filePath(QStringLiteral("consultas.qln"))));
}

TEST_F(Startup, AConnectionErrorWithoutAProviderRecordEndsTheProgramWhenTheOperatorGivesUp) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::Ok).dialog([](QDialog& d) { d.reject(); });
    QString connString = QStringLiteral("Provider=Desconocido;Data Source=x;");
    EXPECT_THROW(Inicializar(false, QStringLiteral("@Server=SRV;@DbName=x;"), connString),
                 ProgramEnd);
    EXPECT_FALSE(gDB().gOpenFlag);
    EXPECT_FALSE(QFileInfo::exists(programDir.filePath(QStringLiteral("consultas.qln"))));
}

TEST_F(Startup, ConnectsToSQLiteAndCompletesTheStartup) {
    TestDatabase db(TestDatabase::demoScript());
    QString connString;
    Inicializar(false, QStringLiteral("@Server=SQLITE;@DbName=%1;@Usuario=admin;@Password=;").arg(db.path()), connString);
    EXPECT_EQ(connString, db.connectionString());
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_TRUE(gDB().gEsAdmin);
    EXPECT_EQ(gDB().gCnn().CommandTimeout(), 360);
    EXPECT_EQ(gDB().gCnn().DefaultDatabase(), db.path());
    EXPECT_EQ(run().gUsuarioLogeado, QStringLiteral("admin"));
    EXPECT_EQ(run().gDsnOdbc, QStringLiteral("DSN=%1; UID=admin; PWD=").arg(db.path()));
    EXPECT_EQ(run().gSeccionEquipo,
              gIdentidad().FirstIdentity().toUpper() + u'|' + gIdentidad().SecondIdentity().toUpper());
    EXPECT_EQ(run().gFlatToolbars, Variant(1.0)); // no INI file: the default "1"

    // Completing steps: the lookup component, the default masks, the configuration.
    const QString masks = programDir.filePath(QStringLiteral("consultas.qln"));
    EXPECT_EQ(gConsultas().gRutaMascaraConsultas, masks);
    EXPECT_TRUE(gConsultas().gUsarMascarasConsultas);
    EXPECT_EQ(gConsultas().gConnString, gDB().gConnString);
    EXPECT_EQ(QFileInfo(masks).size(), 8414);
    EXPECT_EQ(run().gTablaConfiguracion, QStringLiteral("ta_configuracion"));
    EXPECT_EQ(run().gUNegocio, QStringLiteral("0001"));
    EXPECT_EQ(run().gColorFondo, 0xFFFF00); // "CFondo" 0
    EXPECT_EQ(run().settings.PERIODO, 2026);

    // A second call neither reconnects nor rewrites the masks file.
    QFile f(masks);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("mine");
    f.close();
    Inicializar(false, QStringLiteral("@Server=127.0.0.1;"), connString);
    EXPECT_EQ(QFileInfo(masks).size(), 4);
    EXPECT_EQ(gDB().gServidor, QStringLiteral("SQLITE"));
}

TEST_F(Startup, TheIniFileGivesTheConnectionWhenAsked) {
    TestDatabase db(TestDatabase::demoScript());
    const QString section = gIdentidad().FirstIdentity().toUpper() + u'|' + gIdentidad().SecondIdentity().toUpper();
    QFile ini(programDir.filePath(QStringLiteral("CN000pr.INI")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[%1]\r\nFlatToolbars=0\r\n[%1BaseDeDatos]\r\nServidor=SQ|LITE\r\nDbName=%2\r\n")
                  .arg(section, db.path())
                  .toUtf8());
    ini.close();
    QString connString;
    Inicializar(true, QString(), connString);
    EXPECT_TRUE(gDB().gOpenFlag);
    EXPECT_EQ(gDB().gUsuario, QStringLiteral("Quillon")); // the encoded defaults
    EXPECT_EQ(gDB().gUserPassWord, QStringLiteral("pardelo"));
    EXPECT_EQ(run().gFlatToolbars, Variant(0.0));
    EXPECT_FALSE(gDB().gEsAdmin); // Quillon has no row in ta_usuarios
    EXPECT_EQ(run().gUNegocio, QStringLiteral("   1"));
}

TEST(ExtraerServidor, KeepsTheHostPart) {
    EXPECT_EQ(ExtraerServidor(QStringLiteral("tcp/SRV01:1433")), QStringLiteral("SRV01"));
    EXPECT_EQ(ExtraerServidor(QStringLiteral("SRV01:1433")), QStringLiteral("SRV01"));
    EXPECT_EQ(ExtraerServidor(QStringLiteral("SRV01")), QStringLiteral("SRV01"));
    EXPECT_EQ(ExtraerServidor(QString()), QString());
}

} // namespace
