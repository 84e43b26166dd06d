#pragma once

#include "contacts/DataControl.h"
#include "contacts/FilterView.h"
#include "contacts/FlexGrid.h"
#include "contacts/FrmContactos.h"
#include "data/DB_Dll.h"
#include "shared/Twips.h"
#include "startup/ModGlobal.h"
#include "support/ScriptedPrompts.h"
#include "support/TestDatabase.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A small contacts table on a real SQLite file and the real window loaded on it.
inline QString contactsSchema() {
    return QStringLiteral(
        "CREATE TABLE MA_contactos (id INTEGER PRIMARY KEY, nombre varchar(25), Domicilio "
        "varchar(255),"
        " Notas text, Alta date, Saldo money, Edad int, Activo bit, Codigo char(4), Importe "
        "numeric(10,2));"
        "INSERT INTO MA_contactos VALUES"
        " (1, 'Ana', 'Calle 1', NULL, '2005-04-03', 10.5, 30, 1, 'A1', 1.5),"
        " (2, 'beto', 'Calle 2', 'nota', '2006-01-31', -3, 41, 0, 'B2', 2),"
        " (3, 'Carla', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        " (4, 'Patricio O''Connor', 'Calle 4', NULL, '2005-04-03', 0, 25, 1, 'D4', 4),"
        " (5, 'Alberto', 'Calle 5', NULL, '2010-10-10', 100, 50, 1, 'E5', 5),"
        " (6, 'Daniel', 'Calle 6', NULL, '2011-11-11', 7, 60, 0, 'F6', 6),"
        " (7, 'Elena', 'Calle 7', NULL, '2012-12-12', 8, 70, 1, 'G7', 7),"
        " (8, 'Fabián', 'Calle 8', NULL, '2013-01-13', 9, 80, 1, 'H8', 8),"
        " (9, 'Gabriela', 'Calle 9', NULL, '2014-02-14', 10, 90, 0, 'I9', 9),"
        " (10, 'Hugo', 'Calle 10', NULL, '2015-03-15', 11, 15, 1, 'J10', 10),"
        " (11, 'Inés', 'Calle 11', NULL, '2016-04-16', 12, 16, 1, 'K11', 11),"
        " (12, 'Juan', 'Calle 12', NULL, '2017-05-17', 13, 17, 1, 'L12', 12);"
        "CREATE TABLE ta_usuarios (nombre varchar(30), Administrador int, UNegocio varchar(4));"
        "INSERT INTO ta_usuarios VALUES ('admin', 1, '0001');"
        "CREATE TABLE ta_configuracion (CLAVE varchar(60), VALOR varchar(255), valoraux "
        "varchar(255));");
}

struct ContactsWindow : ::testing::Test {
    QTemporaryDir programDir;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<FrmContactos> w;
    // Runs on the new window before its Form_Load (to set how the data control reads, say).
    std::function<void(FrmContactos&)> beforeLoad;

    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
        ModGlobal::resetForTests();
        ModGlobal::setProgramFolder(programDir.path());
    }
    void TearDown() override {
        if (w) {
            w->hide();
            w.reset();
        }
        ModGlobal::resetForTests();
        QLocale::setDefault(QLocale::c());
    }
    void open(const QString& schema = contactsSchema()) {
        w.reset();
        ModGlobal::resetForTests();
        ModGlobal::setProgramFolder(programDir.path());
        db = std::make_unique<TestDatabase>(schema);
        ModGlobal::setCommandLine(
            QStringLiteral("@Server=SQLITE;@DbName=%1;@Usuario=admin;@Password=;").arg(db->path()));
        showWindow();
    }
    // The window made, loaded on the command line set, shown and active.
    void showWindow() {
        w = std::make_unique<FrmContactos>();
        if (beforeLoad) beforeLoad(*w);
        w->Form_Load();
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    FlexGrid& grid() { return *w->DataGrid1; }
    QString stored(const QString& sql) { return db->scalar(sql); }

    // Clicks the cell (row, col), as the operator does.
    void click(int row, int col) {
        FlexGrid& g = grid();
        g.scrollTo(g.model()->index(row - 1, col));
        const QRect r = g.visualRect(g.model()->index(row - 1, col));
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, r.center());
    }
    // Moves to another row and on to a second cell of it: the leave rule writes a pending row
    // when a cell change starts from a row other than the pending one.
    void moveAway(int row) {
        click(row, 1);
        click(row, 2);
    }
    // Types a text into the cell (row, col) and presses Enter.
    void type(int row, int col, const QString& text) {
        click(row, col);
        keys(&grid(), text.left(1));
        keys(w->TxtEdit, text.mid(1));
        QTest::keyClick(w->TxtEdit, Qt::Key_Return);
    }
    // Typed characters, accented letters too (QTest's own typing knows ASCII only).
    static void keys(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClicks(target, QString(c));
                continue;
            }
            const auto key = Qt::Key(c.toUpper().unicode());
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    }
};
