#include "RecordWriter.h"

#include "AdoTypes.h"
#include "WriteTransaction.h"
#include "shared/RuntimeError.h"

#include <sqlucode.h>

using namespace Qt::StringLiterals;

namespace ado {

namespace {

const QString recordsetSource = u"ADODB.Recordset"_s;

[[noreturn]] void raiseRowNotFound() {
    raiseError(adErrRowNotFound,
               u"No se encuentra la fila para su actualización. Algunos valores pueden haber "
               u"cambiado desde la última vez que se leyeron."_s,
               recordsetSource);
}

[[noreturn]] void raiseTooManyRows(long rows, bool undone) {
    raiseError(adErrUnspecified,
               u"La información de la columna clave no es suficiente o es incorrecta: la escritura "
               u"afectaba a %1 filas. %2"_s.arg(rows)
                   .arg(undone ? u"No se modificó nada."_s
                               : u"La transacción en curso debe deshacerse."_s),
               recordsetSource);
}

bool isLongOrBinary(long type) {
    return type == adLongVarChar || type == adLongVarWChar || type == adBinary ||
           type == adVarBinary || type == adLongVarBinary;
}

} // namespace

RecordWriter::RecordWriter(OdbcConnection& connection, const RowStore& rows, QString table,
                           QString schema)
    : c_(connection), rows_(rows), table_(std::move(table)), schema_(std::move(schema)) {}

QString RecordWriter::quoted(const QString& name) const {
    switch (c_.dialect) {
    case Dialect::SqlServer: {
        QString n = name;
        return u'[' + n.replace(u"]"_s, u"]]"_s) + u']';
    }
    case Dialect::SQLite:
    case Dialect::PostgreSQL: {
        QString n = name;
        return u'"' + n.replace(u"\""_s, u"\"\""_s) + u'"';
    }
    case Dialect::Oracle:
        break;
    }
    // Oracle folds unquoted names to capitals, which is how the suite writes and finds them.
    return name;
}

QString RecordWriter::tableReference(const QString& table, const QString& schema) const {
    // SQLite has no owners: "dbo." in a statement's table name names nothing there.
    if (schema.isEmpty() || c_.dialect == Dialect::SQLite) return quoted(table);
    return quoted(schema) + u'.' + quoted(table);
}

QString RecordWriter::tableOf(long column) const {
    const ColumnInfo& info = rows_.columns()[std::size_t(column)];
    return info.baseTable.isEmpty() ? table_ : info.baseTable;
}

QString RecordWriter::schemaOf(long column) const {
    const ColumnInfo& info = rows_.columns()[std::size_t(column)];
    if (!info.baseTable.isEmpty()) return info.baseSchema;
    return schema_;
}

QString RecordWriter::columnName(long column) const {
    const ColumnInfo& info = rows_.columns()[std::size_t(column)];
    return info.baseColumn.isEmpty() ? info.name : info.baseColumn;
}

bool RecordWriter::comparable(long column) const {
    const long type = rows_.columns()[std::size_t(column)].type;
    // SQL Server cannot compare text, ntext or image with "=", nor Oracle a CLOB: such fields are
    // located by the key alone, as ADO does.
    const bool comparesLongText =
        c_.dialect == Dialect::SQLite || c_.dialect == Dialect::PostgreSQL;
    if (!comparesLongText && isLongOrBinary(type)) return false;
    return type != adBinary && type != adVarBinary && type != adLongVarBinary;
}

QString RecordWriter::commonTable(const std::vector<long>& columns, QString& schema) const {
    QString table;
    for (const long column : columns) {
        const QString t = tableOf(column);
        if (t.isEmpty()) {
            raiseError(
                adErrFeatureNotAvailable,
                u"No se puede actualizar el campo \"%1\": no se conoce la tabla de la que procede."_s
                    .arg(rows_.columns()[std::size_t(column)].name),
                recordsetSource);
        }
        if (table.isEmpty()) {
            table = t;
            schema = schemaOf(column);
        } else if (table.compare(t, Qt::CaseInsensitive) != 0) {
            raiseError(
                adErrFeatureNotAvailable,
                u"No se puede actualizar a la vez campos de las tablas \"%1\" y \"%2\"."_s.arg(
                    table, t),
                recordsetSource);
        }
    }
    return table;
}

QStringList RecordWriter::primaryKeyNames(const OdbcConnection& connection, const QString& table,
                                          const QString& schema) {
    QStringList names;
    OdbcHandle stmt = connection.newStatement();
    const QString schemaArg = connection.dialect == Dialect::SQLite ? QString() : schema;
    const bool answered = connection.check(
        SQLPrimaryKeysW(stmt.get(), nullptr, 0, schemaArg.isEmpty() ? nullptr : wide(schemaArg),
                        schemaArg.isEmpty() ? 0 : SQL_NTS, wide(table), SQL_NTS),
        stmt, OdbcAccept::Optional);
    if (!answered) return names;
    // COLUMN_NAME is the fourth column, KEY_SEQ the fifth.
    std::vector<std::pair<long, QString>> named;
    for (;;) {
        if (!connection.check(SQLFetch(stmt.get()), stmt, OdbcAccept::SuccessOrNoData)) break;
        SQLWCHAR name[256] = {};
        SQLLEN nameLength = 0;
        SQLINTEGER sequence = 0;
        SQLLEN sequenceLength = 0;
        connection.check(SQLGetData(stmt.get(), 4, SQL_C_WCHAR, name, sizeof name, &nameLength),
                         stmt);
        connection.check(
            SQLGetData(stmt.get(), 5, SQL_C_SLONG, &sequence, sizeof sequence, &sequenceLength),
            stmt);
        if (nameLength == SQL_NULL_DATA) continue;
        const qsizetype length = std::min<qsizetype>(nameLength / qsizetype(sizeof(SQLWCHAR)), 255);
        named.emplace_back(long(sequence),
                           QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                              std::max<qsizetype>(length, 0)));
    }
    std::sort(named.begin(), named.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : named)
        names << entry.second;
    return names;
}

std::vector<long> RecordWriter::keyColumns(const QString& table, const QString& schema,
                                           bool required) {
    if (!keysTable_.isEmpty() && keysTable_.compare(table, Qt::CaseInsensitive) == 0) return keys_;
    std::vector<long> keys;
    const auto& columns = rows_.columns();
    auto columnOf = [&](const QString& name) -> long {
        for (long i = 0; i < long(columns.size()); ++i) {
            if (tableOf(i).compare(table, Qt::CaseInsensitive) == 0 &&
                columnName(i).trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    };

    for (const QString& name : primaryKeyNames(c_, table, schema)) {
        const long column = columnOf(name);
        if (column < 0) {
            keys.clear();
            break;
        }
        keys.push_back(column);
    }
    if (keys.empty()) {
        const long id = columnOf(u"id"_s);
        if (id >= 0) keys.push_back(id);
    }
    if (keys.empty() && required) {
        raiseError(
            adErrUnspecified,
            u"Falta información de la columna clave de la tabla \"%1\": el conjunto de registros "
            u"no incluye su clave primaria ni un campo \"id\", y no se puede localizar la fila "
            u"que se quiere escribir."_s.arg(table),
            recordsetSource);
    }
    keysTable_ = table;
    keys_ = keys;
    return keys;
}

QString RecordWriter::criterion(long column, const Variant& original,
                                StatementParameters& params) const {
    const ColumnInfo& info = rows_.columns()[std::size_t(column)];
    const QString name = quoted(columnName(column));
    // SQLite keeps dates as texts that may be written in several forms ("2020-01-31",
    // "2020-01-31 00:00:00", with a "T"): compared as points in time, they are the same date.
    const bool sqliteDate =
        c_.dialect == Dialect::SQLite && RowStore::kindOf(info.type) == RowStore::CellKind::Date;
    if (original.isNull()) {
        // A text the driver could not read as a date was shown as Null; it is still that row.
        return sqliteDate ? u"(%1 IS NULL OR julianday(%1) IS NULL)"_s.arg(name)
                          : name + u" IS NULL"_s;
    }
    params.add(info, original);
    if (sqliteDate) return u"julianday(%1) = julianday(?)"_s.arg(name);
    // A numeric was read as the double nearest to it, which is what PostgreSQL's own cast gives:
    // compared as doubles, the row is found whatever the numeric's precision.
    if (c_.dialect == Dialect::PostgreSQL &&
        RowStore::kindOf(info.type) == RowStore::CellKind::Double)
        return name + u" = CAST(? AS double precision)"_s;
    return name + u" = ?"_s;
}

long RecordWriter::run(const QString& sql, StatementParameters& params, Variant* generatedKey) {
    OdbcHandle stmt = c_.newStatement();
    c_.check(SQLPrepareW(stmt.get(), wide(sql), SQL_NTS), stmt);
    params.bind(stmt);
    SQLLEN count = 0;
    if (c_.check(SQLExecute(stmt.get()), stmt, OdbcAccept::SuccessOrNoData)) {
        c_.check(SQLRowCount(stmt.get(), &count), stmt);
    }
    if (generatedKey && c_.newKey == NewKey::Returning) {
        // INSERT ... RETURNING answers with the new row's key as its result.
        SQLSMALLINT columns = 0;
        c_.check(SQLNumResultCols(stmt.get(), &columns), stmt);
        if (columns > 0 && c_.check(SQLFetch(stmt.get()), stmt, OdbcAccept::SuccessOrNoData)) {
            SQLBIGINT key = 0;
            SQLLEN indicator = 0;
            c_.check(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &key, sizeof key, &indicator), stmt);
            if (indicator != SQL_NULL_DATA) *generatedKey = Variant(static_cast<long long>(key));
        }
    }
    if (generatedKey && c_.newKey == NewKey::ScopeIdentity) {
        // The key query follows the INSERT in the same batch (SCOPE_IDENTITY only sees its own
        // batch): its result comes after the INSERT's count.
        while (c_.check(SQLMoreResults(stmt.get()), stmt, OdbcAccept::SuccessOrNoData)) {
            SQLSMALLINT columns = 0;
            c_.check(SQLNumResultCols(stmt.get(), &columns), stmt);
            if (columns == 0) continue;
            if (c_.check(SQLFetch(stmt.get()), stmt, OdbcAccept::SuccessOrNoData)) {
                SQLBIGINT key = 0;
                SQLLEN indicator = 0;
                c_.check(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &key, sizeof key, &indicator),
                         stmt);
                if (indicator != SQL_NULL_DATA)
                    *generatedKey = Variant(static_cast<long long>(key));
            }
        }
    }
    return long(count);
}

void RecordWriter::update(long row, const std::vector<Variant>& values,
                          const std::vector<bool>& changed) {
    std::vector<long> columns;
    for (long i = 0; i < long(changed.size()); ++i) {
        if (changed[std::size_t(i)]) columns.push_back(i);
    }
    if (columns.empty()) return;
    QString schema;
    const QString table = commonTable(columns, schema);
    const std::vector<long> keys = keyColumns(table, schema);

    StatementParameters params(c_);
    QStringList assignments;
    for (const long column : columns) {
        assignments << quoted(columnName(column)) + u" = ?"_s;
        params.add(rows_.columns()[std::size_t(column)], values[std::size_t(column)]);
    }
    QStringList conditions;
    for (const long key : keys)
        conditions << criterion(key, rows_.value(row, key), params);
    for (const long column : columns) {
        if (std::find(keys.begin(), keys.end(), column) != keys.end() || !comparable(column))
            continue;
        conditions << criterion(column, rows_.value(row, column), params);
    }
    const QString sql = u"UPDATE "_s + tableReference(table, schema) + u" SET "_s +
                        assignments.join(u", "_s) + u" WHERE "_s + conditions.join(u" AND "_s);
    WriteTransaction transaction(c_);
    const long touched = run(sql, params);
    if (touched == 0) raiseRowNotFound();
    if (touched > 1) raiseTooManyRows(touched, transaction.owned());
    transaction.commit();
}

RecordWriter::GeneratedKey RecordWriter::insert(const std::vector<Variant>& values,
                                                const std::vector<bool>& set) {
    std::vector<long> columns;
    for (long i = 0; i < long(set.size()); ++i) {
        if (set[std::size_t(i)]) columns.push_back(i);
    }
    QString schema;
    QString table;
    if (!columns.empty()) {
        table = commonTable(columns, schema);
    } else {
        for (long i = 0; i < rows_.columnCount() && table.isEmpty(); ++i) {
            table = tableOf(i);
            schema = schemaOf(i);
        }
        if (table.isEmpty()) commonTable({0}, schema);
    }
    const std::vector<long> keys = keyColumns(table, schema, false);
    const bool singleIntegerKey =
        keys.size() == 1 &&
        RowStore::kindOf(rows_.columns()[std::size_t(keys[0])].type) == RowStore::CellKind::Integer;
    const auto givenNull = [&](long column) {
        const Variant& v = values[std::size_t(column)];
        return !set[std::size_t(column)] || v.isNull() || v.isEmpty();
    };
    // A Null key (or identity column) is the database's to fill: leaving it out of the INSERT
    // lets SQLite number the row, PostgreSQL take its default (the identity or sequence) and
    // keeps SQL Server from refusing an identity value.
    const bool keyFromDatabase = singleIntegerKey && givenNull(keys[0]);

    StatementParameters params(c_);
    QStringList names, marks;
    for (const long column : columns) {
        const ColumnInfo& info = rows_.columns()[std::size_t(column)];
        const bool isKey = std::find(keys.begin(), keys.end(), column) != keys.end();
        if (givenNull(column) && (info.autoIncrement || (isKey && keyFromDatabase))) continue;
        names << quoted(columnName(column));
        marks << u"?"_s;
        params.add(info, values[std::size_t(column)]);
    }
    QString sql = u"INSERT INTO "_s + tableReference(table, schema);
    sql += names.isEmpty()
               ? u" DEFAULT VALUES"_s
               : u" ("_s + names.join(u", "_s) + u") VALUES ("_s + marks.join(u", "_s) + u')';
    if (keyFromDatabase && c_.newKey == NewKey::ScopeIdentity)
        sql += u"; SELECT CAST(SCOPE_IDENTITY() AS bigint)"_s;
    if (keyFromDatabase && c_.newKey == NewKey::Returning)
        sql += u" RETURNING "_s + quoted(columnName(keys[0]));

    WriteTransaction transaction(c_);
    Variant key;
    run(sql, params, keyFromDatabase ? &key : nullptr);
    if (keyFromDatabase && c_.newKey == NewKey::Rowid) {
        // The key of the row just inserted, read from the row itself: last_insert_rowid() is the
        // key only when the key column is the table's rowid ("integer primary key").
        const QString keySql = u"SELECT "_s + quoted(columnName(keys[0])) + u" FROM "_s +
                               tableReference(table, schema) +
                               u" WHERE rowid = last_insert_rowid()"_s;
        OdbcHandle stmt = c_.newStatement();
        // A table without rowid has nothing to say here; the record keeps a Null key.
        if (c_.check(SQLExecDirectW(stmt.get(), wide(keySql), SQL_NTS), stmt,
                     OdbcAccept::Optional) &&
            c_.check(SQLFetch(stmt.get()), stmt, OdbcAccept::SuccessOrNoData)) {
            SQLBIGINT id = 0;
            SQLLEN indicator = 0;
            c_.check(SQLGetData(stmt.get(), 1, SQL_C_SBIGINT, &id, sizeof id, &indicator), stmt);
            if (indicator != SQL_NULL_DATA) key = Variant(static_cast<long long>(id));
        }
    }
    transaction.commit();
    GeneratedKey generated;
    if (keyFromDatabase && !key.isEmpty()) {
        generated.column = keys[0];
        generated.value = key;
    }
    return generated;
}

void RecordWriter::remove(long row) {
    QString schema;
    QString table;
    for (long i = 0; i < rows_.columnCount() && table.isEmpty(); ++i) {
        table = tableOf(i);
        schema = schemaOf(i);
    }
    if (table.isEmpty()) commonTable({0}, schema);
    const std::vector<long> keys = keyColumns(table, schema);
    StatementParameters params(c_);
    QStringList conditions;
    for (const long key : keys)
        conditions << criterion(key, rows_.value(row, key), params);
    const QString sql = u"DELETE FROM "_s + tableReference(table, schema) + u" WHERE "_s +
                        conditions.join(u" AND "_s);
    WriteTransaction transaction(c_);
    const long touched = run(sql, params);
    if (touched == 0) raiseRowNotFound();
    if (touched > 1) raiseTooManyRows(touched, transaction.owned());
    transaction.commit();
}

} // namespace ado
