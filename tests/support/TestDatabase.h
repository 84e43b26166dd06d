#pragma once

#include <QString>
#include <QTemporaryDir>

// A real SQLite database file in a temporary folder, created from SQL text, for tests that go
// through the real ODBC driver. The folder and the file go when the object goes.
class TestDatabase {
public:
    // Creates the file and runs `script` on it (several statements allowed). Fails the test when
    // the script is rejected.
    explicit TestDatabase(const QString& script = {}, const QString& fileName = QStringLiteral("test.db"));

    // Runs more SQL directly on the file (outside the program's connection).
    void exec(const QString& sql) const;
    // The first column of the first row of a query, as text ("" when no row, "NULL" for Null).
    QString scalar(const QString& sql) const;

    const QString& path() const { return path_; }
    const QString& folder() const { return folderPath_; }
    // "Provider=SQLite;Data Source=<file>;"
    QString connectionString() const;

    // The demo database script of the program (demo/contactos.sql).
    static QString demoScript();

private:
    QTemporaryDir dir_;
    QString folderPath_;
    QString path_;
};
