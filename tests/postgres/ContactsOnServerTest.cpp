// The contacts window on a PostgreSQL server, with real keys and clicks, and a second operator
// who is a real separate process (psql) on the same database.
#include "ContactsOnServer.h"
#include "QtPrinters.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

TEST_F(ContactsOnServer, StartsLoadsTheGridAndFilters) {
    openOnServer();
    FlexGrid& g = grid();
    ASSERT_EQ(g.Rows(), 321);
    EXPECT_EQ(g.Cols(), 12);
    EXPECT_EQ(g.TextMatrix(0, 1), QStringLiteral("nombre_y_apellido"));
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("Ramón López"));
    EXPECT_EQ(g.TextMatrix(6, 1), QStringLiteral("Ñandú & Cía. <Importaciones>"));
    EXPECT_EQ(g.TextMatrix(9, 8), QStringLiteral("03/04/2005"));
    EXPECT_EQ(g.TextMatrix(1, 9), QStringLiteral("-2926,69"));

    // The filter builder: a text with a quote, a date, a number, an order; the statement runs on
    // the server and the grid shows its rows.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    FilterView& f = *w->FrmFiltro;
    ASSERT_EQ(f.cboField->count(), 12);
    EXPECT_EQ(f.cboField->itemText(1), QStringLiteral("ma_contactos.nombre_y_apellido"));
    f.cboField->setCurrentIndex(8);
    f.cboOperator->setCurrentIndex(0); // =
    f.cboValue->setEditText(QStringLiteral("3/4/2005"));
    f.cmdAnd->click();
    f.cboField->setCurrentIndex(0);
    f.cboOperator->setCurrentIndex(2); // >
    f.cboValue->setEditText(QStringLiteral("9"));
    f.cmdAnd->click();
    EXPECT_EQ(f.txtCriteria->toPlainText(),
              QStringLiteral("ma_contactos.fechaalta = #03/04/2005#\nAnd ma_contactos.id > 9"));
    f.cmdOK->click();
    ASSERT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.TextMatrix(1, 0), QStringLiteral("10"));

    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    f.txtCriteria->setPlainText(QString());
    f.cboField->setCurrentIndex(1);
    f.cboOperator->setCurrentIndex(0);
    f.cboValue->setEditText(QStringLiteral("Patricio O'Connor"));
    f.cmdOr->click();
    f.cboField->setCurrentIndex(1);
    f.cboOperator->setCurrentIndex(6); // Like
    f.cboValue->setEditText(QStringLiteral("Álvaro%"));
    f.cmdOr->click();
    f.lstFields->item(0)->setSelected(true);
    f.OptOrden1->setChecked(true); // descending
    f.cmdOK->click();
    ASSERT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("Álvaro \"el Tano\" Peña"));
    EXPECT_EQ(g.TextMatrix(2, 1), QStringLiteral("Patricio O'Connor"));

    // The distinct values of a field, from the server.
    f.cboField->setCurrentIndex(3);
    f.cmdGetValues->click();
    EXPECT_EQ(f.cboValue->count(), 14);
}

TEST_F(ContactsOnServer, WritesInsertsAndDeletesRows) {
    openOnServer();
    FlexGrid& g = grid();
    typeText(2, 1, QStringLiteral("Roberto Gómez"));
    type(2, 9, QStringLiteral("15,5"));
    type(2, 8, QStringLiteral("1/2/2020"));
    moveAway(5);
    EXPECT_EQ(
        onServer(QStringLiteral(
            "SELECT nombre_y_apellido, saldo, fechaalta, credito FROM MA_contactos WHERE id = 2")),
        QStringLiteral("Roberto Gómez|15.5000|2020-02-01|2.62"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);

    // A new row gets the key the server numbers, and shows it.
    click(5, 1);
    QTest::keyClick(&g, Qt::Key_Insert);
    ASSERT_TRUE(w->state.gRegistroNuevo);
    type(5, 1, QStringLiteral("Nueva Persona"));
    type(5, 10, QStringLiteral("100"));
    moveAway(8);
    EXPECT_FALSE(w->state.gRegistroNuevo);
    EXPECT_EQ(onServer(QStringLiteral("SELECT id, credito, saldo FROM MA_contactos WHERE "
                                      "nombre_y_apellido = 'Nueva Persona'")),
              QStringLiteral("321|100.00|NULL"));
    EXPECT_EQ(g.TextMatrix(5, 0), QStringLiteral("321"));
    type(5, 2, QStringLiteral("Calle Nueva 1"));
    moveAway(9);
    EXPECT_EQ(onServer(QStringLiteral("SELECT domicilio FROM MA_contactos WHERE id = 321")),
              QStringLiteral("Calle Nueva 1"));

    // A deletion, confirmed.
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::Ok);
    click(4, 1);
    ASSERT_EQ(g.TextMatrix(4, 0), QStringLiteral("4"));
    QTest::keyClick(&g, Qt::Key_Delete);
    EXPECT_EQ(onServer(QStringLiteral("SELECT count(*) FROM MA_contactos WHERE id = 4")),
              QStringLiteral("0"));
    EXPECT_EQ(g.Rows(), 321);
}

TEST_F(ContactsOnServer, TwoOperatorsOnTheSameRows) {
    openOnServer();
    // Another column changed by the other operator: both changes are kept.
    onServer(QStringLiteral("UPDATE MA_contactos SET domicilio = 'Otra 1' WHERE id = 2"));
    type(2, 1, QStringLiteral("Berta"));
    moveAway(5);
    EXPECT_EQ(onServer(QStringLiteral(
                  "SELECT nombre_y_apellido || '|' || domicilio FROM MA_contactos WHERE id = 2")),
              QStringLiteral("Berta|Otra 1"));

    // The same column: the operator is asked; declining keeps the other's value and shows it.
    ScriptedPrompts operatorAnswers;
    operatorAnswers.message(Prompt::No);
    onServer(QStringLiteral("UPDATE MA_contactos SET nombre_y_apellido = 'Ajena' WHERE id = 6"));
    typeText(6, 1, QStringLiteral("Mía"));
    moveAway(8);
    EXPECT_EQ(onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 6")),
              QStringLiteral("Ajena"));
    auto asked = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, QStringLiteral("Registro modificado"));
    EXPECT_EQ(grid().TextMatrix(6, 1), QStringLiteral("Ajena"));
    // Accepting writes the operator's value.
    operatorAnswers.message(Prompt::Yes);
    onServer(QStringLiteral("UPDATE MA_contactos SET nombre_y_apellido = 'Tercera' WHERE id = 7"));
    typeText(7, 1, QStringLiteral("Mía"));
    moveAway(9);
    EXPECT_EQ(onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 7")),
              QStringLiteral("Mía"));

    // The row deleted by the other operator: a Spanish error, and the edit stays in the grid.
    onServer(QStringLiteral("DELETE FROM MA_contactos WHERE id = 9"));
    operatorAnswers.reportError(Prompt::Abort);
    type(9, 1, QStringLiteral("Gaby"));
    moveAway(10);
    const auto errors = operatorAnswers.recordsOf(ScriptedPrompts::Kind::ReportError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text,
              QStringLiteral("No se pudo grabar la fila 9 en la base de datos.\n"
                             "El registro 9 ya no está en la base de datos: otro operador lo "
                             "eliminó. Lo que escribió sigue en la grilla."));
    EXPECT_EQ(grid().TextMatrix(9, 1), QStringLiteral("Gaby"));
    EXPECT_EQ(w->state.gFilaPendiente, 9);
}

TEST_F(ContactsOnServer, ARowLockedByAnotherOperatorIsWaitedForABoundedTime) {
    openOnServer();
    PostgresServer::Session other(postgres(), database);
    other.run(QStringLiteral("BEGIN; SELECT id FROM MA_contactos WHERE id = 3 FOR UPDATE;"));

    ScriptedPrompts operatorAnswers;
    operatorAnswers.reportError(Prompt::Retry);
    QElapsedTimer waited;
    qint64 waitedMs = -1;
    QString message;
    OperatorWhoActsFirst operatorAndOther(operatorAnswers, [&](const RuntimeError& e) {
        waitedMs = waited.elapsed();
        message = e.description();
        // The server's own code stays with the connection's errors, under the Spanish words.
        const ado::Errors& errors = ModGlobal::gDB().gCnn().Errors();
        EXPECT_TRUE(errors.Count() > 0 && errors.Item(0).SQLState == QStringLiteral("55P03"));
        // The row is still pending, its text in the grid; the other operator then lets go.
        EXPECT_EQ(w->state.gFilaPendiente, 3);
        EXPECT_EQ(grid().TextMatrix(3, 1), QStringLiteral("Carolina"));
        EXPECT_EQ(
            onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 3")),
            QStringLiteral("María Domínguez"));
        other.run(QStringLiteral("COMMIT;"));
    });
    type(3, 1, QStringLiteral("Carolina"));
    waited.start();
    moveAway(5);
    EXPECT_TRUE(message.contains(QStringLiteral("en uso por otro operador")))
        << message.toStdString();
    EXPECT_GE(waitedMs, 900);
    EXPECT_LT(waitedMs, 30000);
    // "Reintentar" once the lock is gone writes the row.
    EXPECT_EQ(onServer(QStringLiteral("SELECT nombre_y_apellido FROM MA_contactos WHERE id = 3")),
              QStringLiteral("Carolina"));
    EXPECT_EQ(w->state.gFilaPendiente, 0);
}

// A table read in steps on the server: the reading cursor keeps nobody from writing, and the
// window's own write waits for the rest of the rows.
TEST_F(ContactsOnServer, ATableReadInStepsLetsTheOtherOperatorWriteMeanwhile) {
    postgres().createDatabase(database, PostgresServer::demoScript());
    postgres().psql(database,
                    QStringLiteral("INSERT INTO ma_contactos (nombre_y_apellido) "
                                   "SELECT 'Fila ' || i FROM generate_series(1, 20000) i;"));
    beforeLoad = [](FrmContactos& window) {
        window.data1->setFirstBlock(40);
        window.data1->setStepMilliseconds(0);
    };
    startWindow();
    ASSERT_TRUE(w->data1->Loading());
    EXPECT_EQ(grid().TextMatrix(1, 1), QStringLiteral("Ramón López"));

    // The other operator changes a row not read yet, and one already shown, at once.
    QElapsedTimer clock;
    clock.start();
    onServer(QStringLiteral("UPDATE ma_contactos SET localidad = 'Otra' WHERE id IN (2, 20000);"));
    EXPECT_LT(clock.elapsed(), 5000);
    ASSERT_TRUE(w->data1->Loading());

    // The window's own edit is written once every row is in.
    typeText(3, 2, QStringLiteral("Calle Nueva 1"));
    moveAway(6);
    EXPECT_FALSE(w->data1->Loading());
    EXPECT_EQ(onServer(QStringLiteral("SELECT domicilio FROM ma_contactos WHERE id = 3;")),
              QStringLiteral("Calle Nueva 1"));
    EXPECT_EQ(grid().Rows(), 20321);
    EXPECT_EQ(grid().TextMatrix(20320, 1), QStringLiteral("Fila 20000"));
}

} // namespace
