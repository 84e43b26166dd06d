// A table read in steps: the grid holds rows while the rest are still read, a stopped load keeps
// what it read and reloads on demand, and whatever needs the whole table (a sort, an export, a
// write) waits for it.
#include "ContactsWindowFixture.h"
#include "contacts/CellStore.h"
#include "contacts/ExportNames.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <chrono>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int tableRows = 30000;

QString withManyRows(int rows = tableRows) {
    return contactsSchema() +
           u"WITH RECURSIVE n(i) AS (SELECT 13 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
           "INSERT INTO MA_contactos (id, nombre, Saldo) SELECT i, 'Fila ' || i, i * 1.25 FROM n;"_s
               .arg(rows);
}

struct LoadingWindow : ContactsWindow {
    LoadingWindow() {
        // A first block of a few rows, and steps as short as they come, so that the load is
        // still going on whatever the machine's speed.
        beforeLoad = [](FrmContactos& window) {
            window.data1->setFirstBlock(40);
            window.data1->setStepMilliseconds(0);
        };
    }
    DataControl& data() { return *w->data1; }
    // Rows of the grid that came from the database.
    int loadedRows() { return grid().cells().sourceRowCount(); }
    void waitForTheEnd() {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !data().Loading(); }, 60000));
    }
    // Lets the load go on for at least one more step.
    void letItRead() {
        QSignalSpy more(w->data1, &DataControl::rowsRead);
        ASSERT_TRUE(more.wait(10000));
    }
};

TEST_F(LoadingWindow, TheGridShowsTheFirstRowsWhileTheRestAreStillRead) {
    open(withManyRows());
    ASSERT_TRUE(data().Loading());
    EXPECT_GE(loadedRows(), 40);
    EXPECT_LT(loadedRows(), tableRows);
    EXPECT_EQ(grid().Rows(), loadedRows() + 1);
    EXPECT_EQ(grid().TextMatrix(1, 0), u"1"_s);
    EXPECT_EQ(grid().TextMatrix(40, 1), u"Fila 40"_s);
    EXPECT_TRUE(w->lblCarga->isVisible());
    EXPECT_TRUE(w->lblCarga->text().startsWith(u"Leyendo… "_s))
        << w->lblCarga->text().toStdString();

    // The operator inserts a blank row meanwhile: rows that arrive later come below every row
    // there is, so no row changes its number under the operator.
    grid().AddItem(QString(), 3);
    letItRead();
    EXPECT_GT(loadedRows(), 40);
    EXPECT_EQ(grid().TextMatrix(3, 1), QString());
    EXPECT_EQ(grid().TextMatrix(4, 0), u"3"_s);
    EXPECT_EQ(grid().Rows(), loadedRows() + 2);

    waitForTheEnd();
    EXPECT_EQ(loadedRows(), tableRows);
    EXPECT_EQ(grid().TextMatrix(grid().Rows() - 1, 0), QString::number(tableRows));
    EXPECT_FALSE(w->lblCarga->isVisible());
    EXPECT_FALSE(w->cmdCarga->isVisible());
}

TEST_F(LoadingWindow, AStoppedLoadKeepsItsRowsSaysSoAndReloads) {
    open(withManyRows());
    letItRead();
    ASSERT_TRUE(data().Loading());
    w->cmdCarga->click();
    ASSERT_FALSE(data().Loading());
    const int kept = loadedRows();
    EXPECT_GT(kept, 40);
    EXPECT_LT(kept, tableRows);
    EXPECT_EQ(data().RowsRead(), kept);
    EXPECT_EQ(data().Recordset().RecordCount(), kept);
    EXPECT_EQ(grid().TextMatrix(kept, 1), u"Fila %1"_s.arg(kept));
    EXPECT_EQ(w->lblCarga->text(), u"Detenida: %1"_s.arg(QLocale().toString(kept)));
    EXPECT_TRUE(w->lblCarga->toolTip().contains(u"solo las primeras"_s));
    EXPECT_EQ(w->cmdCarga->text(), u"&Recargar"_s);

    // Nothing more comes in by itself; a sort works on the rows there are.
    QTest::qWait(50);
    EXPECT_EQ(loadedRows(), kept);
    grid().setCol(0);
    w->Combo1->setCurrentIndex(4); // numeric, descending
    EXPECT_EQ(grid().TextMatrix(1, 0), QString::number(kept));

    // The operator reads the table again, whole this time.
    w->cmdCarga->click();
    EXPECT_EQ(w->Combo1->currentIndex(), 0);
    waitForTheEnd();
    EXPECT_EQ(loadedRows(), tableRows);
    EXPECT_FALSE(w->cmdCarga->isVisible());
}

TEST_F(LoadingWindow, ASortOrAnExportStartedDuringTheLoadWaitsForTheWholeTable) {
    open(withManyRows());
    ASSERT_TRUE(data().Loading());
    grid().setCol(0);
    w->Combo1->setCurrentIndex(4); // numeric, descending
    EXPECT_FALSE(data().Loading());
    EXPECT_EQ(loadedRows(), tableRows);
    EXPECT_EQ(grid().TextMatrix(1, 0), QString::number(tableRows));
    EXPECT_EQ(grid().TextMatrix(tableRows, 0), u"1"_s);

    // Reloaded by the filter's way back to the whole table, the load runs again; the page
    // written meanwhile holds every row.
    w->FrmFiltro->QuitarFiltro();
    ASSERT_TRUE(data().Loading());
    QTemporaryDir out;
    const QString page = out.filePath(u"lista.htm"_s);
    QStringList opened;
    const ExportNames::Opener previous =
        ExportNames::setOpener([&](const QString& path, std::function<void()>) { opened << path; });
    ScriptedPrompts operatorAnswers;
    operatorAnswers.save(page);
    w->Toolbar2_ButtonClick(u"HTM"_s);
    ExportNames::setOpener(previous);
    EXPECT_FALSE(data().Loading());
    ASSERT_EQ(opened, QStringList{page});
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text.count("<TR>"), tableRows + 1); // the names' row and every record
    EXPECT_TRUE(text.contains("Fila %1<"_ba.replace("%1", QByteArray::number(tableRows))));
}

TEST_F(LoadingWindow, TheOperatorMayStopAWaitAndTheSortGoesOnWithTheRowsRead) {
    const int rows = 400000;
    beforeLoad = [](FrmContactos& window) {
        window.data1->setFirstBlock(40);
        window.data1->setWaitDialogMilliseconds(0);
    };
    open(withManyRows(rows));
    ASSERT_TRUE(data().Loading());
    // The operator cancels the window the wait shows.
    QString told;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<QProgressDialog*>(widget);
                progress && progress->isVisible()) {
                told = progress->labelText();
                progress->cancel();
            }
        }
    });
    canceller.start(1);
    grid().setCol(0);
    w->Combo1->setCurrentIndex(4); // numeric, descending
    canceller.stop();
    EXPECT_TRUE(told.startsWith(u"Leyendo el resto de la tabla: "_s)) << told.toStdString();
    ASSERT_FALSE(data().Loading());
    const int kept = loadedRows();
    EXPECT_LT(kept, rows);
    EXPECT_EQ(grid().TextMatrix(1, 0), QString::number(kept));
    EXPECT_TRUE(w->lblCarga->text().startsWith(u"Detenida: "_s));
}

TEST_F(LoadingWindow, AnEditWrittenDuringTheLoadWaitsForItAndLeavesTheFileFree) {
    open(withManyRows());
    ASSERT_TRUE(data().Loading());
    type(2, 1, u"Roberto"_s);
    EXPECT_TRUE(data().Loading()); // typing does not wait; writing the row does
    moveAway(5);
    EXPECT_FALSE(data().Loading());
    EXPECT_EQ(w->state.gFilaPendiente, 0);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 2"_s), u"Roberto"_s);
    EXPECT_EQ(loadedRows(), tableRows);
    // The window's statements are all done: another program writes at once.
    db->exec(u"UPDATE MA_contactos SET nombre = 'Otro' WHERE id = 3"_s);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 3"_s), u"Otro"_s);
}

TEST_F(LoadingWindow, ClosingTheWindowDuringTheLoadStopsIt) {
    open(withManyRows());
    ASSERT_TRUE(data().Loading());
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(data().Loading());
    db->exec(u"UPDATE MA_contactos SET nombre = 'Otro' WHERE id = 3"_s);
    EXPECT_EQ(stored(u"SELECT nombre FROM MA_contactos WHERE id = 3"_s), u"Otro"_s);
}

} // namespace
