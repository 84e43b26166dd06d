// The connection object against real drivers: SQLite files and FreeTDS on a closed loopback port.
#include "data/DB_Dll.h"
#include "data/frmAcceso.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString closedPort = QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1;Database =nada;UId=sa;Pwd=x;");

TEST(ConnectionObject, BuildsTheConnectionStringsAndKeepsAGivenOne) {
    TestDatabase db(TestDatabase::demoScript());
    DB_Dll dll;
    dll.OpenServerADODB(false, 3, db.connectionString(), false);
    EXPECT_TRUE(dll.gOpenFlag);
    EXPECT_EQ(dll.gProveedor, QStringLiteral("SQLOLEDB")); // set even though a string was given
    EXPECT_EQ(dll.gConnString, db.connectionString());
    EXPECT_EQ(dll.gCnn().State(), ado::adStateOpen);
    EXPECT_TRUE(dll.gEsAdmin); // ValidaAdmin false

    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::No);
    DB_Dll sqlServer;
    sqlServer.gServidor = QStringLiteral("127.0.0.1");
    sqlServer.gDbName = QStringLiteral("VENTAS");
    sqlServer.gUsuario = QStringLiteral("juan");
    sqlServer.gUserPassWord = QStringLiteral("secreto");
    sqlServer.OpenServerADODB(false, 3, QString(), false);
    EXPECT_EQ(sqlServer.gConnString,
              QStringLiteral("PROVIDER=SQLOLEDB;Server=127.0.0.1;Database =VENTAS;UId=juan;Pwd=secreto;"));
    EXPECT_FALSE(sqlServer.gOpenFlag);
}

TEST(ConnectionObject, AFailedOpenOffersARetryWithTheProviderError) {
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::No);
    DB_Dll dll;
    dll.OpenServerADODB(false, 3, closedPort, false);
    EXPECT_FALSE(dll.gOpenFlag);
    const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral(" Error de Conexion a Base de Datos"));
    EXPECT_EQ(boxes[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(boxes[0].icon, Prompt::Icon::Critical);
    const QString text = boxes[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral(" Estado de Sql: "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\rNumero de Error: ")));
    EXPECT_TRUE(text.contains(QStringLiteral("\rDescripcion: ")));
    EXPECT_TRUE(text.contains(QStringLiteral("\rCodigo Nativo: ")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r - Desea Intentarlo Nuevamente??? ")));
    // The SQLSTATE is the driver's own, not an empty placeholder.
    const QString state = text.mid(16, text.indexOf(u'\r') - 16);
    EXPECT_EQ(state.size(), 5) << state.toStdString();
}

TEST(ConnectionObject, RetryShowsTheLoginDialogAndConnectsWithItsAnswers) {
    TestDatabase db(TestDatabase::demoScript());
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::Yes).dialog([&](QDialog& d) {
        auto& form = dynamic_cast<frmAcceso&>(d);
        EXPECT_EQ(form.CboPlataformaDB->currentIndex(), 0); // "SQL Server" selected again
        EXPECT_EQ(form.TxtServidor->text(), QStringLiteral("127.0.0.1"));
        form.TxtDbName->setText(db.path());
        form.TxtUserId->setText(QStringLiteral("admin"));
        form.CboPlataformaDB->setCurrentIndex(2);
        QTest::mouseClick(form.bcAceptar, Qt::LeftButton);
    });
    DB_Dll dll;
    dll.gServidor = QStringLiteral("127.0.0.1");
    dll.OpenServerADODB(false, 3, QString(), true);
    EXPECT_TRUE(dll.gOpenFlag);
    EXPECT_EQ(dll.gProveedor, QStringLiteral("SQLite"));
    EXPECT_EQ(dll.gCnn().State(), ado::adStateOpen);
    EXPECT_TRUE(dll.gEsAdmin); // admin holds 1 in ta_usuarios
}

TEST(ConnectionObject, CancellingTheLoginDialogGivesUp) {
    {
        ScriptedPrompts operatorAnswers;
        operatorAnswers.dialog([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        DB_Dll dll;
        dll.OpenServerADODB(true, 3, QString(), true);
        EXPECT_FALSE(dll.gOpenFlag);
        EXPECT_EQ(dll.gCnn().Errors().Count(), 0); // no attempt was made
        EXPECT_NE(dll.gCnn().State(), ado::adStateOpen);
    }
    {
        ScriptedPrompts operatorAnswers;
        operatorAnswers.message(Prompt::Yes).dialog([](QDialog& d) {
            QTest::mouseClick(dynamic_cast<frmAcceso&>(d).bcCancelar, Qt::LeftButton);
        });
        DB_Dll dll;
        dll.OpenServerADODB(false, 3, closedPort, true);
        EXPECT_FALSE(dll.gOpenFlag);
    }
}

TEST(ConnectionObject, AFailureWithoutAProviderErrorIsAFailedConnectionToo) {
    TestDatabase db(TestDatabase::demoScript());
    {
        // The description, then the login dialog: the operator connects with its answers.
        ScriptedPrompts operatorAnswers;
        operatorAnswers.message(Prompt::Ok).dialog([&](QDialog& d) {
            auto& form = dynamic_cast<frmAcceso&>(d);
            form.TxtDbName->setText(db.path());
            form.CboPlataformaDB->setCurrentIndex(2);
            QTest::mouseClick(form.bcAceptar, Qt::LeftButton);
        });
        DB_Dll dll;
        dll.OpenServerADODB(false, 3, QStringLiteral("Provider=MSDASQL;DSN=x;"), false);
        const auto boxes = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("MSDASQL")));
        EXPECT_EQ(boxes[0].title, QString());
        EXPECT_EQ(boxes[0].buttons, Prompt::Buttons::Ok);
        EXPECT_TRUE(dll.gOpenFlag);
        EXPECT_EQ(dll.gCnn().State(), ado::adStateOpen);
    }
    {
        // Giving up the dialog is giving up the connection.
        ScriptedPrompts operatorAnswers;
        operatorAnswers.message(Prompt::Ok).dialog(
            [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        DB_Dll dll;
        dll.OpenServerADODB(false, 3, QStringLiteral("Provider=MSDASQL;DSN=x;"), false);
        EXPECT_FALSE(dll.gOpenFlag);
        EXPECT_NE(dll.gCnn().State(), ado::adStateOpen);
    }
}

TEST(ConnectionObject, AdministratorMarkOfTheConnectedUser) {
    TestDatabase db(TestDatabase::demoScript());
    db.exec(QStringLiteral("INSERT INTO ta_usuarios VALUES ('dos', 2, NULL), ('nulo', NULL, NULL), (' uno ', '1', NULL);"));
    const auto admin = [&](const QString& user) {
        DB_Dll dll;
        dll.gUsuario = user;
        dll.OpenServerADODB(false, 3, db.connectionString(), true);
        EXPECT_TRUE(dll.gOpenFlag);
        return dll.gEsAdmin;
    };
    EXPECT_TRUE(admin(QStringLiteral("admin")));
    EXPECT_TRUE(admin(QStringLiteral("uno"))); // names compared trimmed
    EXPECT_FALSE(admin(QStringLiteral("operador")));
    EXPECT_FALSE(admin(QStringLiteral("dos")));
    EXPECT_FALSE(admin(QStringLiteral("nulo")));
    EXPECT_FALSE(admin(QStringLiteral("nadie")));
    EXPECT_FALSE(admin(QStringLiteral("O'Brien"))); // a quote in the name stays inside the literal
}

TEST(LoginDialog, KeysCaptionsAndPasswordEcho) {
    frmAcceso form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Control de Acceso"));
    EXPECT_EQ(form.TxtUserPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.CboPlataformaDB->count(), 4);
    EXPECT_EQ(form.CboPlataformaDB->itemText(3), QStringLiteral("PostgreSQL"));
    EXPECT_EQ(form.CboPlataformaDB->itemText(0), QStringLiteral("SQL Server"));
    EXPECT_EQ(form.CboPlataformaDB->itemText(1), QStringLiteral("ORACLE"));
    EXPECT_EQ(form.lbcontrasena->text(), QStringLiteral("&Contraseña"));
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.TxtServidor->setFocus();
    QTest::keyClick(form.TxtServidor, Qt::Key_Return);
    EXPECT_TRUE(form.Aceptar);
    EXPECT_FALSE(form.isVisible());

    frmAcceso other;
    other.show();
    other.TxtUserId->setFocus();
    QTest::keyClick(other.TxtUserId, Qt::Key_Escape);
    EXPECT_FALSE(other.Aceptar);
    EXPECT_FALSE(other.isVisible());

    // Tab order: user, password, database, server, platform, accept, cancel.
    frmAcceso tabs;
    tabs.show();
    QApplication::setActiveWindow(&tabs);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tabs));
    tabs.TxtUserId->setFocus();
    const QWidget* order[] = {tabs.TxtUserPassword, tabs.TxtDbName, tabs.TxtServidor, tabs.CboPlataformaDB,
                              tabs.bcAceptar, tabs.bcCancelar};
    for (const QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

} // namespace
