#pragma once

#include "OdbcConnection.h"
#include "RowStore.h"
#include "StatementParameters.h"

#include <QStringList>
#include <vector>

namespace ado {

// Writes the records of a recordset back to its base table with parameterised statements.
// Rows are located by the table's key (SQLPrimaryKeys; else a column named "id") and, for an
// update, by the values the changed fields had when they were read, as ADO's default update
// criteria do: a row that someone else changed in one of those fields, or that is gone, is not
// touched, and the write fails with adErrRowNotFound. A change of another field by someone else
// does not stand in the way. Each write runs in a transaction of its own (unless the caller has
// one), so a statement that touched more than the one row is undone.
class RecordWriter {
public:
    // `table` and `schema` stand in for base tables the driver does not name (the table of a
    // simple "SELECT ... FROM table").
    RecordWriter(OdbcConnection& connection, const RowStore& rows, QString table, QString schema);

    // The columns that hold the key of `table` in the recordset. Raises when there is none and
    // `required`; else gives an empty list.
    std::vector<long> keyColumns(const QString& table, const QString& schema, bool required = true);
    // The names of the primary key's columns of `table`, in key order (none when the driver
    // names none).
    static QStringList primaryKeyNames(const OdbcConnection& connection, const QString& table,
                                       const QString& schema);
    // Updates `row` with `values` where `changed` is set.
    void update(long row, const std::vector<Variant>& values, const std::vector<bool>& changed);
    // The key the database gave a new record: its column and value (column -1 when none).
    struct GeneratedKey {
        long column = -1;
        Variant value;
    };
    // Inserts a record with the `set` fields of `values`. Returns the key the database gave the
    // record, when it gave one (a Null or missing integer key).
    GeneratedKey insert(const std::vector<Variant>& values, const std::vector<bool>& set);
    // Deletes `row`.
    void remove(long row);

    // The base table of a column (what the driver says, else the statement's table), its schema.
    QString tableOf(long column) const;
    QString schemaOf(long column) const;

private:
    QString quoted(const QString& name) const;
    QString tableReference(const QString& table, const QString& schema) const;
    QString columnName(long column) const;
    // The one table that `columns` belong to; raises when they belong to none or several.
    QString commonTable(const std::vector<long>& columns, QString& schema) const;
    // What locates a row: "col = ?" (its value added to `params`) or "col IS NULL".
    QString criterion(long column, const Variant& original, StatementParameters& params) const;
    bool comparable(long column) const;
    // Runs a prepared statement with its parameters; returns the rows it touched and, when the
    // statement is followed by a query for a generated key, that key.
    long run(const QString& sql, StatementParameters& params, Variant* generatedKey = nullptr);

    OdbcConnection& c_;
    const RowStore& rows_;
    QString table_;
    QString schema_;
    std::vector<long> keys_;
    QString keysTable_;
};

} // namespace ado
