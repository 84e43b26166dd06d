#pragma once

#include "data/ado/Connection.h"
#include "data/ado/Recordset.h"
#include "shared/RuntimeError.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <gtest/gtest.h>

// A contacts table with one column of each type the suite's tables use, on a real SQLite file.
inline const QString contactsSchema = QStringLiteral(
    "CREATE TABLE MA_contactos (id integer primary key, nombre varchar(50), direccion "
    "varchar(300), notas text,"
    " nacimiento date, alta datetime, saldo money, importe numeric(12,2), activo bit, edad int,"
    " apodo nvarchar(40), codigo char(10), peso real, altura float, grande bigint, chico smallint,"
    " mini tinyint, hora time, marca timestamp);"
    "INSERT INTO MA_contactos VALUES (1, 'Ana Muñoz', 'Calle Mayor 1', 'Cliente desde 1999', "
    "'1980-02-29',"
    " '2020-01-31 10:11:12', 1234.5678, 99.5, 1, 44, 'Anita', 'A1', 60.5, 1.7, 9000000000, -5, 7, "
    "'08:30:00',"
    " '2021-06-01 00:00:00');"
    "INSERT INTO MA_contactos (id, nombre, activo) VALUES (2, 'José O''Brien', 0);"
    "INSERT INTO MA_contactos (id, nombre, edad, saldo) VALUES (3, 'Zoë Peña', 30, 10);"
    "CREATE TABLE vacia (id integer primary key, texto varchar(20));");

// A Spanish locale for the test, the default one again afterwards.
struct SpanishLocale {
    SpanishLocale() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }
    ~SpanishLocale() { QLocale::setDefault(QLocale::c()); }
};

struct AdoFixture : ::testing::Test {
    TestDatabase db{contactsSchema};
    ado::Connection cnn;
    void SetUp() override {
        cnn.setCursorLocation(ado::adUseClient);
        cnn.Open(db.connectionString());
    }
};

// The number of a RuntimeError that `f` raises (0 when it raises none).
template <class F> long errorOf(F&& f, QString* description = nullptr) {
    try {
        f();
    } catch (const RuntimeError& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}
