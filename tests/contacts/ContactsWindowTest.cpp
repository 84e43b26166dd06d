// The contacts window on a real SQLite file: loading, widths, sorting, sizing and the filter.
#include "ContactsWindowFixture.h"

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>

namespace {

TEST_F(ContactsWindow, LoadsEveryRowAndFieldWithTheirWidths) {
    open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("CONTACTOS"));
    FlexGrid& g = grid();
    EXPECT_EQ(g.Rows(), 13);
    EXPECT_EQ(g.Cols(), 10);
    EXPECT_EQ(g.TextMatrix(0, 0), QStringLiteral("id"));
    EXPECT_EQ(g.TextMatrix(0, 1), QStringLiteral("nombre"));
    EXPECT_EQ(g.TextMatrix(4, 1), QStringLiteral("Patricio O'Connor"));
    EXPECT_EQ(g.TextMatrix(3, 2), QString()); // Null shows empty
    EXPECT_EQ(g.TextMatrix(1, 5), QStringLiteral("10,5")); // money in the locale's form
    EXPECT_EQ(g.TextMatrix(1, 4), QStringLiteral("03/04/2005"));
    EXPECT_TRUE(w->state.gTieneId);
    EXPECT_EQ(w->Combo1->count(), 7);
    EXPECT_EQ(w->Combo1->itemText(5), QStringLiteral("Ascendente (Alfanumérico)"));
    EXPECT_FALSE(w->FrmFiltro->isVisible());
    EXPECT_FALSE(w->FrmFiltro->cmdOK->isEnabled());
    EXPECT_EQ(w->FrmFiltro->txtCriteria->toPlainText(), QString());
    EXPECT_EQ(w->FrmFiltro->cboOperator->count(), 7);

    // Widths by type: numbers and dates 10 letters, boolean 5, text by its size up to 30,
    // long wide text 100, currency by its size (8), size 0 17.
    // n letters "A"; the grid keeps widths in whole pixels, so they read back within one pixel.
    const auto letters = [&](int n) { return w->anchoColumna(200, n); };
    EXPECT_NEAR(g.ColWidth(0), letters(10), 15);
    EXPECT_NEAR(g.ColWidth(1), letters(25), 15);
    EXPECT_NEAR(g.ColWidth(2), letters(30), 15); // varchar(255)
    EXPECT_NEAR(g.ColWidth(4), letters(10), 15); // date
    EXPECT_NEAR(g.ColWidth(5), letters(8), 15);  // money
    EXPECT_GE(g.ColWidth(7), letters(5) - 15);   // bit, but never narrower than its name
    EXPECT_NEAR(w->anchoColumna(203, 1073741823), letters(10) * 10, 10);
    EXPECT_EQ(w->anchoColumna(200, 0), w->anchoColumna(200, 17));
    EXPECT_EQ(w->anchoColumna(200, 31), w->anchoColumna(200, 30));
    EXPECT_EQ(w->anchoColumna(6, 8), w->anchoColumna(200, 8));
}

TEST_F(ContactsWindow, TheKeyFieldIsFoundByItsTrimmedName) {
    open(QStringLiteral("CREATE TABLE MA_contactos (\" ID \" int, nombre varchar(10));"
                        "INSERT INTO MA_contactos VALUES (1, 'a');"
                        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"));
    EXPECT_TRUE(w->state.gTieneId);
    open(QStringLiteral("CREATE TABLE MA_contactos (codigo int, nombre varchar(10));"
                        "INSERT INTO MA_contactos VALUES (1, 'a');"
                        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"));
    EXPECT_FALSE(w->state.gTieneId);
}

TEST_F(ContactsWindow, TheSortSelectorReordersOnlyTheShownRows) {
    open();
    FlexGrid& g = grid();
    g.setCol(1);
    w->Combo1->setCurrentIndex(5); // text ascending, ignoring case
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("Alberto"));
    EXPECT_EQ(g.TextMatrix(2, 1), QStringLiteral("Ana"));
    EXPECT_EQ(g.TextMatrix(3, 1), QStringLiteral("beto"));
    EXPECT_EQ(g.TextMatrix(0, 1), QStringLiteral("nombre"));
    g.setCol(6);
    w->Combo1->setCurrentIndex(4); // numeric descending
    EXPECT_EQ(g.TextMatrix(1, 6), QStringLiteral("90"));
    const QString before = g.TextMatrix(1, 1);
    w->Combo1->setCurrentIndex(0); // "(Ninguno)" reorders nothing
    EXPECT_EQ(g.TextMatrix(1, 1), before);
    EXPECT_EQ(stored(QStringLiteral("SELECT nombre FROM MA_contactos WHERE id = 1")), QStringLiteral("Ana"));
    // Typing in the selector does nothing.
    w->Combo1->setFocus();
    QTest::keyClicks(w->Combo1, QStringLiteral("Asc"));
    EXPECT_EQ(w->Combo1->currentIndex(), 0);
}

TEST_F(ContactsWindow, EnlargingTheWindowKeepsTheToolbarAtTheRightEdge) {
    open();
    w->resize(w->width() + 200, w->height() + 150);
    QApplication::processEvents();
    const int gap = w->FrmPlanilla->width() - (w->Toolbar2->x() + w->Toolbar2->width());
    EXPECT_NEAR(gap, Twips::toPixels(240), 1);
    EXPECT_NEAR(grid().width(), w->FrmPlanilla->width() - Twips::toPixels(150), 1);
}

TEST_F(ContactsWindow, TheFilterBuilderComposesAndAppliesTheStatement) {
    open();
    w->Combo1->setCurrentIndex(6);
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    FilterView& f = *w->FrmFiltro;
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.cmdQuitar->isEnabled()) << "no filter to take away yet";
    EXPECT_FALSE(w->FrmPlanilla->isVisible());
    ASSERT_EQ(f.cboField->count(), 10);
    EXPECT_EQ(f.cboField->itemText(0), QStringLiteral("MA_contactos.id"));
    f.cboField->setCurrentIndex(1);
    f.cboOperator->setCurrentIndex(6); // Like
    f.cboValue->setEditText(QStringLiteral("A%"));
    f.cmdAnd->click();
    f.cboField->setCurrentIndex(0);
    f.cboOperator->setCurrentIndex(2); // >
    f.cboValue->setEditText(QStringLiteral("10"));
    f.cmdOr->click();
    EXPECT_EQ(f.txtCriteria->toPlainText(),
              QStringLiteral("MA_contactos.nombre Like 'A%'\n Or MA_contactos.id > 10"));
    EXPECT_TRUE(f.cmdOK->isEnabled());
    f.lstFields->item(1)->setSelected(true);
    const QString fields = QStringLiteral("MA_contactos.id,MA_contactos.nombre,MA_contactos.Domicilio,MA_contactos.Notas,"
                                          "MA_contactos.Alta,MA_contactos.Saldo,MA_contactos.Edad,MA_contactos.Activo,"
                                          "MA_contactos.Codigo,MA_contactos.Importe");
    EXPECT_EQ(f.sentencia(), QStringLiteral("SELECT ") + fields +
                                 QStringLiteral(" FROM MA_contactos WHERE MA_contactos.nombre Like 'A%'   Or "
                                                "MA_contactos.id > 10 ORDER BY nombre ASC "));
    f.cmdOK->click();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(w->FrmPlanilla->isVisible());
    FlexGrid& g = grid();
    ASSERT_EQ(g.Rows(), 5); // Alberto, Ana, Inés, Juan
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("Alberto"));
    EXPECT_EQ(g.TextMatrix(4, 1), QStringLiteral("Juan"));
    // The reload replaced the selector's order.
    EXPECT_EQ(w->Combo1->currentText(), QStringLiteral("(Ninguno)"));

    // "Quitar filtro" brings the whole table back, in its own order.
    w->Combo1->setCurrentIndex(2);
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    ASSERT_TRUE(f.cmdQuitar->isEnabled());
    f.cmdQuitar->click();
    EXPECT_FALSE(f.isVisible());
    ASSERT_EQ(g.Rows(), 13);
    EXPECT_EQ(g.TextMatrix(1, 1), QStringLiteral("Ana"));
    EXPECT_EQ(w->Combo1->currentIndex(), 0);
    EXPECT_EQ(w->data1->RecordSource(), QStringLiteral("MA_contactos"));
    EXPECT_EQ(f.txtCriteria->toPlainText(),
              QStringLiteral("MA_contactos.nombre Like 'A%'\n Or MA_contactos.id > 10"))
        << "the criterion stays for the next filter";
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    EXPECT_FALSE(f.cmdQuitar->isEnabled());
}

TEST_F(ContactsWindow, FilterValuesDatesQuotesAndRejectedCriteria) {
    open();
    ScriptedPrompts operatorAnswers;
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    FilterView& f = *w->FrmFiltro;
    // Possible values: the distinct non-empty values of the field.
    f.cboField->setCurrentIndex(2);
    f.cmdGetValues->click();
    EXPECT_EQ(f.cboValue->count(), 11);
    EXPECT_EQ(f.cboValue->currentText(), f.cboValue->itemText(0));
    // A date criterion.
    f.cboField->setCurrentIndex(4);
    f.cboOperator->setCurrentIndex(0);
    f.cboValue->setEditText(QStringLiteral("3/4/2005"));
    f.cmdAnd->click();
    EXPECT_EQ(f.txtCriteria->toPlainText(), QStringLiteral("MA_contactos.Alta = #03/04/2005#"));
    f.cmdOK->click();
    EXPECT_EQ(grid().Rows(), 3); // Ana and Patricio
    // A name with an apostrophe.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    f.txtCriteria->setPlainText(QString());
    f.cboField->setCurrentIndex(1);
    f.cboValue->setEditText(QStringLiteral("Patricio O'Connor"));
    f.cmdAnd->click();
    f.cmdOK->click();
    ASSERT_EQ(grid().Rows(), 2);
    EXPECT_EQ(grid().TextMatrix(1, 0), QStringLiteral("4"));
    // A criterion the database rejects keeps the view open, the grid as it was.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    operatorAnswers.message(Prompt::Ok);
    f.txtCriteria->setPlainText(QStringLiteral("nombre = = 'x'"));
    f.cmdOK->click();
    EXPECT_TRUE(f.isVisible());
    ASSERT_EQ(operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message).size(), 1u);
    // The driver's own text follows a Spanish line that says what failed.
    const QString told = operatorAnswers.recordsOf(ScriptedPrompts::Kind::Message)[0].text;
    EXPECT_TRUE(told.startsWith(QStringLiteral("No se pudo aplicar el filtro: la base de datos no "
                                               "aceptó la sentencia.\n\n")))
        << told.toStdString();
    EXPECT_GT(told.size(), 80);
    EXPECT_EQ(grid().Rows(), 2);
    // "&Cancelar" keeps the criterion and the grid.
    f.cmdCancel->click();
    EXPECT_TRUE(w->FrmPlanilla->isVisible());
    EXPECT_EQ(f.txtCriteria->toPlainText(), QStringLiteral("nombre = = 'x'"));
    EXPECT_EQ(grid().Rows(), 2);
    // No field chosen: "&Agregar al criterio" changes nothing.
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    f.cboField->setCurrentIndex(-1);
    f.cmdAnd->click();
    EXPECT_EQ(f.txtCriteria->toPlainText(), QStringLiteral("nombre = = 'x'"));
}

TEST_F(ContactsWindow, AMaximisedWindowIsRestoredForTheFilterView) {
    open();
    w->showMaximized();
    QApplication::processEvents();
    w->Toolbar2_ButtonClick(QStringLiteral("Filtro"));
    EXPECT_FALSE(w->isMaximized());
    EXPECT_TRUE(w->FrmFiltro->isVisible());
}

} // namespace
